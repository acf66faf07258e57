#include "ErrorReportText.h"

namespace kelmor::core {
namespace {

constexpr std::u16string_view kLineBreak = u"\r\n";

// A text on one line: every CR LF pair becomes one blank.
std::u16string OneLine(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, 2) == kLineBreak) {
            out += u' ';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::u16string ErrorDetailsText(const ErrorReportFields& f) {
    std::u16string text;
    if (f.number != 0) {
        text.append(u"Error number: ").append(f.numberText).append(kLineBreak);
    }
    if (!f.description.empty()) {
        text.append(u"Description:  ").append(OneLine(f.description)).append(kLineBreak).append(kLineBreak);
    }
    if (!f.source.empty()) text.append(u"Source:       ").append(f.source).append(kLineBreak);
    if (!f.helpFile.empty()) text.append(u"Help file:    ").append(f.helpFile).append(kLineBreak);
    if (f.helpContext != 0) {
        text.append(u"Help context: ").append(f.helpContextText).append(kLineBreak);
    }
    if (text.ends_with(kLineBreak)) text.resize(text.size() - kLineBreak.size());
    return text;
}

std::u16string FormatErrorText(const ErrorReportFields& fields) {
    std::u16string text = ErrorDetailsText(fields);
    return text.empty() ? std::u16string(kUnknownRuntimeError) : text;
}

}  // namespace kelmor::core
