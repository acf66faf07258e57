// The message texts of the error display: the caller's own sentence in front of the details of
// an error object, or of a Win32 or multimedia error code with the system's text for it; and
// the message-box style the display uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ErrorReportText.h"

namespace kelmor::core {

// What sets the two code variants apart: the label in front of the number and the category the
// report is logged under.
struct ErrorCodeKind {
    std::u16string_view label;
    std::u16string_view logSource;
};

inline constexpr ErrorCodeKind kWin32ApiError{u"Win32 API error: ", u"Win32 API Error"};
inline constexpr ErrorCodeKind kWinMMError{u"WinMM.DLL error: ", u"WinMM.DLL Error"};
// The category of reports of an error object.
inline constexpr std::u16string_view kRuntimeErrorLogSource = u"Runtime Error";

// The message-box flag that adds a Help button.
inline constexpr std::int32_t kHelpButtonStyle = 0x4000;

// The message for an error object: the caller's text, an empty line and the details
// (ErrorDetailsText); only one of them when the other is empty; "Unknown run-time error." when
// both are.
std::u16string ErrorObjectMessage(std::u16string_view callerText, const ErrorReportFields& fields);

// The message for an error code: the caller's text and an empty line when there is a caller's
// text, the kind's label and the number's display text, and on a line of its own
// "Description: " with the system's text when there is one. The system's text keeps its own
// line breaks.
std::u16string ErrorCodeMessage(std::u16string_view callerText, const ErrorCodeKind& kind,
                                std::u16string_view numberText, std::u16string_view systemText);

// The style of an error object's message box: the caller's style with the Help button when the
// error names a help file. A Help button the caller asked for already stays as it is.
std::int32_t ErrorObjectStyle(std::int32_t style, std::u16string_view helpFile);

}  // namespace kelmor::core
