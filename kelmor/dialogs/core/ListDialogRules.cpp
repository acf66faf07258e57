#include "ListDialogRules.h"

#include <algorithm>

namespace kelmor::core {
namespace {

std::int32_t NotBelowZero(std::int64_t length) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(length, 0, INT32_MAX));
}

}  // namespace

std::u16string ListCaption(std::u16string_view caption, bool showCount, std::int64_t count) {
    std::u16string text(caption);
    if (showCount) {
        const std::string digits = std::to_string(count);
        text += u" [";
        text.append(digits.begin(), digits.end());
        text += u']';
    }
    return text;
}

std::u16string_view LineTag(std::u16string_view line) {
    const std::size_t tab = line.find(u'\t');
    return tab == std::u16string_view::npos ? line : line.substr(tab + 1);
}

std::int32_t ListFormMinimumHeight(std::int32_t windowHeight, std::int32_t innerHeight,
                                   std::int32_t tagHeight) {
    const std::int64_t frame = static_cast<std::int64_t>(windowHeight) - innerHeight;
    return NotBelowZero(frame + 2 * static_cast<std::int64_t>(tagHeight) + 2 * kListMargin);
}

Bounds ListBoxBounds(std::int32_t innerWidth, std::int32_t innerHeight, std::int32_t tagHeight) {
    return {kListMargin, kListMargin, NotBelowZero(static_cast<std::int64_t>(innerWidth) - 2 * kListMargin),
            NotBelowZero(static_cast<std::int64_t>(innerHeight) - tagHeight - 2 * kListMargin)};
}

Bounds TagLabelBounds(std::int32_t innerWidth, std::int32_t listHeight, std::int32_t tagHeight) {
    return {kListMargin, NotBelowZero(static_cast<std::int64_t>(listHeight) + kListMargin),
            NotBelowZero(static_cast<std::int64_t>(innerWidth) - 2 * kListMargin), tagHeight};
}

}  // namespace kelmor::core
