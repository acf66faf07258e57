// The pixel record that the format readers fill and CreatePictureFromDIB turns into a picture,
// and the row arithmetic shared by the readers. Portable: no platform headers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
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

}  // namespace kelmor::core
