// Targa (TGA) files: the true-colour image types, uncompressed and run-length encoded, decoded
// from memory into a 24-bit pixel record. Portable: no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "pictures/core/DIBImage.h"
#include "pictures/core/Decoding.h"

namespace kelmor::core {

// The size of the fixed file header: every check of the format needs this many bytes.
inline constexpr std::size_t kTgaHeaderSize = 18;

// True when `head` (the file's first bytes) holds a whole header whose image type is 2
// (uncompressed true-colour) or 10 (run-length true-colour). Nothing else is checked here.
bool IsTga(std::span<const std::uint8_t> head);

// Decodes a whole file into `out`: Width and Height from the header, BPP 24, rows top first,
// each row padded with zero bytes to a multiple of 4. Refused: a file that is not a true-colour
// TGA (NotThisFormat), a depth other than 15, 16, 24 or 32 bits (Unsupported), a size of 0 or a
// negative one, or a run-length stream going on past the last pixel (Invalid), uncompressed
// pixels or a stream that end early (Truncated), a run-length picture larger than its data can
// encode at 128 pixels a packet (TooLarge). Nothing is allocated before the size is checked.
// `out` may be reused between calls; on failure its contents are unspecified.
DecodeResult DecodeTga(std::span<const std::uint8_t> file, DIBImage& out);

// The pixels of an uncompressed 24-bit file whose rows are laid out exactly as the record's would be
// (three bytes a pixel, a row a multiple of 4 bytes): such a picture can be drawn straight from
// the file's bytes, with the very pixels DecodeTga would copy. Empty for any other file, and for
// every file DecodeTga refuses.
struct TgaRows {
    std::span<const std::uint8_t> bits;  // height rows of width * 3 bytes
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool bottomUp = true;  // the first row in the file is the bottom one
};
std::optional<TgaRows> RawTgaRows(std::span<const std::uint8_t> file);

}  // namespace kelmor::core
