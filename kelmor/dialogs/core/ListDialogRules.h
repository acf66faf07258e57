// The simple list dialog's text and layout rules: the caption with the line count, the tag of
// a line, and the placement of the list and the tag label when the window is resized.
// Lengths are twips, as the window code measures them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelmor::core {

// The caption: `caption`, and with `showCount` a blank and the number of lines in square
// brackets (" [3]"; an empty caption gives the suffix alone).
std::u16string ListCaption(std::u16string_view caption, bool showCount, std::int64_t count);

// What the tag label shows for a clicked line: the text after its first TAB, or the whole line
// when it has none.
std::u16string_view LineTag(std::u16string_view line);

// Distance of the list and the label from the window's inner edges.
inline constexpr std::int32_t kListMargin = 60;

struct Bounds {
    std::int32_t left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Bounds&) const = default;
};

// The lowest the window may be: its frame (outer height less inner height), room for twice
// the label's height, and the margins.
std::int32_t ListFormMinimumHeight(std::int32_t windowHeight, std::int32_t innerHeight,
                                   std::int32_t tagHeight);

// The list fills the inner area above the label, inside the margins. Lengths that would be
// negative in a very narrow or low window are 0: a control cannot take a negative size.
Bounds ListBoxBounds(std::int32_t innerWidth, std::int32_t innerHeight, std::int32_t tagHeight);

// The label sits under the list (whose height the list box may have rounded to whole lines),
// as wide as the list; its height stays as it is.
Bounds TagLabelBounds(std::int32_t innerWidth, std::int32_t listHeight, std::int32_t tagHeight);

}  // namespace kelmor::core
