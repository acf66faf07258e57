// Reading of a standard list file: 8-bit text, one entry per line, where comment lines and
// (when asked) blank lines are skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "CommandLineSplit.h"

namespace kelmor::core {

// Which lines a reading keeps, and how.
struct ListFileRules {
    // A line whose trimmed text starts with this marker (compared exactly, character by
    // character) is a comment. Empty: no line is a comment.
    std::u16string commentMarker = u";";
    // Skip lines that are empty once trimmed.
    bool ignoreBlanks = true;
    // Keep lines trimmed rather than as read.
    bool trimStrings = true;
};

// A text conversion of a reading; false when it failed (the reading then stops).
using TextConversion = std::function<bool(std::u16string_view text, std::u16string& converted)>;

// The conversions a reading applies; the platform supplies them.
struct ListFileConversions {
    // The bytes of one line (without its terminator) as text.
    std::function<bool(std::string_view bytes, std::u16string& text)> decode;
    // Leading and trailing blanks removed: decides blanks and comments, and gives the kept
    // text when the rules ask for trimmed lines.
    TrimFunction trim;
    // Applied to each kept line when the file is in the OEM code page; empty otherwise.
    TextConversion fromOem;
};

// Reads a list file handed over in pieces of any size. Lines end at CR LF or at a lone CR; a
// lone LF is part of the line's text; the last line needs no terminator, and a terminator at
// the very end starts no further line.
class ListFileReader {
public:
    ListFileReader(ListFileRules rules, ListFileConversions conversions);

    // The next bytes of the file. False when a conversion failed: nothing more is read.
    bool Feed(std::span<const std::uint8_t> bytes);
    // The end of the file. False when a conversion failed.
    bool Finish();

    // The kept lines in file order; the n-th of them is stored under the key n (1, 2, ...).
    const std::vector<std::u16string>& Items() const { return items_; }

private:
    bool Line(std::string_view bytes);

    ListFileRules rules_;
    ListFileConversions conversions_;
    std::vector<std::u16string> items_;
    std::string partial_;   // the bytes of a line whose end has not been read yet
    bool afterCr_ = false;  // the last byte read was a CR: an LF right after it belongs to it
    bool failed_ = false;
};

// The runtime error number that opening a file for input raises for a system error code
// (53 file not found, 76 path not found, 75 path/file access error, ...).
std::int32_t FileOpenErrorNumber(std::uint32_t systemError);

// The runtime error number of a failed read in the middle of a file (57 device I/O error).
inline constexpr std::int32_t kFileReadErrorNumber = 57;

}  // namespace kelmor::core
