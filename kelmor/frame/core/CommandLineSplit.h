// Splitting of a command line into its items: the program name and the arguments.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmor::core {

// Removes leading and trailing blanks from a text. Returns false when it could not (the split
// then stops and reports the failure).
using TrimFunction = std::function<bool(std::u16string_view text, std::u16string& trimmed)>;

// The trimming the support library applies: the blank and the control characters tab, LF, VT,
// FF and CR at both ends.
std::u16string TrimBlanks(std::u16string_view text);

// Splits `text` into items appended to `items`:
// - only the blank (U+0020) separates unquoted items, and runs of blanks give no empty items;
// - an item is quoted only when its first character is a double quote; it then runs to the next
//   double quote, blanks included, and the quotes are dropped; the text right after the closing
//   quote starts the next item even without a blank between;
// - a double quote inside an unquoted item is an ordinary character;
// - there is no escape character;
// - a missing closing quote makes the rest of the line one item;
// - two quotes with nothing between them give an empty item.
// The text and every rest after an item are trimmed with `trim`. Returns false when `trim`
// failed; `items` then holds what was split before the failure.
bool SplitCommandLine(std::u16string_view text, const TrimFunction& trim, std::vector<std::u16string>& items);

// The same with TrimBlanks.
std::vector<std::u16string> SplitCommandLine(std::u16string_view text);

}  // namespace kelmor::core
