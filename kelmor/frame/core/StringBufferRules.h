// How a text and a requested length become the characters of an 8-bit string buffer: the text
// with a closing NUL, padded with NULs up to the length, or cut to one character less than the
// length and closed with a NUL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelmor::core {

struct BufferPlan {
    std::size_t kept = 0;   // leading characters of the text that go into the buffer
    std::size_t nuls = 0;   // NUL characters that follow them (at least one)
};

// The buffer for `text` and `length`:
// - length 0 or less, or not less than the text's length + 1: the whole text, then NULs up to
//   `length` characters (one NUL at least);
// - otherwise the first `length` - 1 characters and one NUL, `length` characters in all. A cut
//   that would leave the first half of a surrogate pair drops that half too and closes with one
//   NUL more, so the buffer never ends in half a character.
BufferPlan PlanBuffer(std::u16string_view text, std::int32_t length);

}  // namespace kelmor::core
