// The pixel layout that Sarvik delivers, as portable arithmetic: row lengths, the palette entry
// layout, unpacking of packed palette indices and the reduction of straight-alpha colour to plain
// blue, green, red over a white background. No platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace sarvik {

// Bytes of one delivered row for `width` pixels of `bpp` bits (8 or 24), padded to a multiple of
// 4; empty for another depth, a width below 1, or a length outside the signed 32-bit range.
std::optional<std::int32_t> RowLength(std::int64_t width, int bpp);

// True when `height` rows of RowLength(width, bpp) bytes fit in a signed 32-bit byte count, the
// largest buffer a caller sizes with 32-bit arithmetic.
bool ImageFits(std::int64_t width, std::int64_t height, int bpp);

// One colour over white: `value` weighted by `alpha`, white by 255 - alpha, rounded to nearest.
constexpr std::uint8_t OverWhite(std::uint8_t value, std::uint8_t alpha) {
    const unsigned mixed = value * alpha + 255u * (255u - alpha);
    return static_cast<std::uint8_t>((mixed + 127u) / 255u);
}

// `width` pixels of blue, green, red, alpha (straight alpha) as blue, green, red over white, then
// zeros up to `rowLength` bytes. `out` holds rowLength bytes.
void BgraRowOverWhite(const std::uint8_t* bgra, std::size_t width, std::uint8_t* out, std::size_t rowLength);

// `width` palette indices of `bits` bits each (1, 2, 4 or 8), packed first pixel in the high
// bits, as one byte per index, then zeros up to `rowLength` bytes.
void UnpackIndexRow(const std::uint8_t* packed, std::size_t width, int bits, std::uint8_t* out,
                    std::size_t rowLength);

// A palette colour given as 0xAARRGGBB as the delivered entry: blue, green, red, 0 in a
// little-endian 32-bit value, a partly transparent colour taken over white as the pixels are.
std::uint32_t PaletteEntry(std::uint32_t argb);

}  // namespace sarvik
