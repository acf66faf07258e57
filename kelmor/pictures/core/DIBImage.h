// The pixel record that the format readers fill and CreatePictureFromDIB turns into a picture,
// and the small arithmetic shared by the readers. Portable: no platform headers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kelmor::core {

struct DIBImage {
    std::int32_t Width = 0;   // pixels per row
    std::int32_t Height = 0;  // rows
    std::int32_t BPP = 0;     // 8 (palette indices) or 24 (blue, green, red bytes)
    // 8 bits per pixel only: the colour table, each entry blue, green, red, 0 (RGBQUAD order) in
    // a little-endian 32-bit value.
    std::array<std::int32_t, 256> Palette{};
    // The pixel rows, top row first, each GetScanlineLength(Width, BPP) bytes long (padding after
    // the pixels); Height rows in all.
    std::vector<std::uint8_t> Bits;
};

// Bytes per pixel row, rounded up to a multiple of 4: 8 and 24 bits per pixel only, 0 for any
// other depth. Empty when the length does not fit in a signed 32-bit value (the Windows layer
// raises that as an overflow).
std::optional<std::int32_t> GetScanlineLength(std::int32_t width, std::int32_t bpp);

// value * 2^n and value / 2^n (integer division, toward zero) on signed 32-bit values; empty when
// the result leaves the 32-bit range (an overflow) or n is outside 0..31.
std::optional<std::int32_t> ShiftLeft(std::int32_t value, std::int32_t n);
std::optional<std::int32_t> ShiftRight(std::int32_t value, std::int32_t n);

// Two bytes at `offset` as an unsigned 16-bit value: b1 + b2 * 256 when little-endian, otherwise
// b1 * 256 + b2. Empty when fewer than two bytes are there.
std::optional<std::uint16_t> ReadWord(std::span<const std::uint8_t> bytes, std::size_t offset,
                                      bool littleEndian);

}  // namespace kelmor::core
