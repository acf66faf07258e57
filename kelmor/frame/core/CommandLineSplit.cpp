#include "CommandLineSplit.h"

namespace kelmor::core {
namespace {

constexpr char16_t kQuote = u'"';
constexpr char16_t kBlank = u' ';

bool IsTrimmed(char16_t c) { return c == kBlank || (c >= u'\t' && c <= u'\r'); }

}  // namespace

std::u16string TrimBlanks(std::u16string_view text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsTrimmed(text[first])) ++first;
    while (last > first && IsTrimmed(text[last - 1])) --last;
    return std::u16string(text.substr(first, last - first));
}

bool SplitCommandLine(std::u16string_view text, const TrimFunction& trim, std::vector<std::u16string>& items) {
    std::u16string rest;
    if (!trim(text, rest)) return false;
    bool quoted = !rest.empty() && rest.front() == kQuote;
    while (!rest.empty()) {
        size_t next;  // where the rest continues after this item
        if (quoted) {
            quoted = false;
            const size_t close = rest.find(kQuote, 1);
            if (close == std::u16string::npos) {
                items.push_back(rest.substr(1));
                return true;
            }
            items.push_back(rest.substr(1, close - 1));
            next = close + 1;
        } else {
            const size_t blank = rest.find(kBlank);
            if (blank == std::u16string::npos) {
                items.push_back(rest);
                return true;
            }
            items.push_back(rest.substr(0, blank));
            next = blank;
        }
        std::u16string trimmed;
        if (!trim(std::u16string_view(rest).substr(next), trimmed)) return false;
        rest = std::move(trimmed);
        quoted = !rest.empty() && rest.front() == kQuote;
    }
    return true;
}

std::vector<std::u16string> SplitCommandLine(std::u16string_view text) {
    std::vector<std::u16string> items;
    SplitCommandLine(
        text,
        [](std::u16string_view t, std::u16string& out) {
            out = TrimBlanks(t);
            return true;
        },
        items);
    return items;
}

}  // namespace kelmor::core
