// Targa (TGA) files: the true-colour image types, uncompressed and run-length encoded, decoded
// from memory into a 24-bit pixel record. Portable: no platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "pictures/core/DIBImage.h"

namespace kelmor::core {

// The size of the fixed file header: every check of the format needs this many bytes.
inline constexpr std::size_t kTgaHeaderSize = 18;

// True when `head` (the file's first bytes) holds a whole header whose image type is 2
// (uncompressed true-colour) or 10 (run-length true-colour). Nothing else is checked here.
bool IsTga(std::span<const std::uint8_t> head);

// Decodes a whole file into `out`: Width and Height from the header, BPP 24, rows top first,
// each row padded with zero bytes to a multiple of 4. False for a file that is not a true-colour
// TGA, that declares a size of 0 or a negative one, a depth other than 15, 16, 24 or 32 bits, or
// that ends before its pixels do; also when a run-length stream goes on past the last pixel.
// `out` may be reused between calls; on failure its contents are unspecified.
bool DecodeTga(std::span<const std::uint8_t> file, DIBImage& out);

}  // namespace kelmor::core
