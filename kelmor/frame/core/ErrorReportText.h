// The report text of an error: its number, description, source, help file and help context,
// one labelled section each, as the error display and the event logger show them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelmor::core {

struct ErrorReportFields {
    std::int32_t number = 0;
    std::u16string numberText;  // the display text of `number`
    std::u16string description;
    std::u16string source;
    std::u16string helpFile;
    std::int32_t helpContext = 0;
    std::u16string helpContextText;  // the display text of `helpContext`
};

inline constexpr std::u16string_view kUnknownRuntimeError = u"Unknown run-time error.";

// The sections of the fields that are present (a number or help context other than 0, a text
// that is not empty), in the order number, description, source, help file, help context, each
// with its 14-character label and ending in CR LF; the description's own CR LF pairs become
// blanks and its section ends with an empty line. The CR LF that ends the whole text is dropped
// once, so a description section at the end leaves one CR LF behind. Empty when no field is
// present.
std::u16string ErrorDetailsText(const ErrorReportFields& fields);

// ErrorDetailsText, or "Unknown run-time error." when no field is present.
std::u16string FormatErrorText(const ErrorReportFields& fields);

}  // namespace kelmor::core
