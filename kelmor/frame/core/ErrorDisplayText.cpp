#include "ErrorDisplayText.h"

namespace kelmor::core {
namespace {

constexpr std::u16string_view kLineBreak = u"\r\n";

}  // namespace

std::u16string ErrorObjectMessage(std::u16string_view callerText, const ErrorReportFields& fields) {
    const std::u16string details = ErrorDetailsText(fields);
    if (details.empty())
        return callerText.empty() ? std::u16string(kUnknownRuntimeError) : std::u16string(callerText);
    if (callerText.empty()) return details;
    std::u16string message(callerText);
    message.append(kLineBreak).append(kLineBreak).append(details);
    return message;
}

std::u16string ErrorCodeMessage(std::u16string_view callerText, const ErrorCodeKind& kind,
                                std::u16string_view numberText, std::u16string_view systemText) {
    std::u16string message;
    if (!callerText.empty()) message.append(callerText).append(kLineBreak).append(kLineBreak);
    message.append(kind.label).append(numberText);
    if (!systemText.empty()) message.append(kLineBreak).append(u"Description: ").append(systemText);
    return message;
}

std::int32_t ErrorObjectStyle(std::int32_t style, std::u16string_view helpFile) {
    // Set as a flag, not added as a number: adding it to a style that holds it already would
    // carry into the next flag and lose the button.
    return helpFile.empty() ? style : style | kHelpButtonStyle;
}

}  // namespace kelmor::core
