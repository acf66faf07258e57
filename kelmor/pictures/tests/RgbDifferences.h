// How a decoded record compares with another decoder's output: the benchmarks' check that both
// sides of a comparison decoded the same picture.
#pragma once

#include <cstddef>
#include <cstdint>

#include "pictures/core/DIBImage.h"

namespace kelmor::test {

// Bytes in which `ours` (24-bit rows of blue, green, red, top first, padded to 4) differs from a
// reference's red, green, blue pixels (rows top first, unpadded). `widen` maps each of our channel
// values to what the reference makes of it (16-bit pictures widen their channels differently).
inline std::size_t RgbDifferences(const core::DIBImage& ours, const std::uint8_t* rgb, int width, int height,
                                  std::uint8_t (*widen)(std::uint8_t) = nullptr) {
    if (ours.BPP != 24 || ours.Width != width || ours.Height != height) return SIZE_MAX;
    const std::size_t row = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    std::size_t differing = 0;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* bgr = &ours.Bits[y * row];
        const std::uint8_t* ref = rgb + static_cast<std::size_t>(y) * width * 3;
        for (int x = 0; x < width * 3; x += 3)
            for (int c = 0; c < 3; ++c) {
                const std::uint8_t got = widen ? widen(bgr[x + c]) : bgr[x + c];
                differing += got != ref[x + 2 - c];
            }
    }
    return differing;
}

}  // namespace kelmor::test
