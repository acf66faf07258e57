#include "PngRows.h"

#include <cstring>
#include <limits>

namespace sarvik {

std::optional<std::int32_t> RowLength(std::int64_t width, int bpp) {
    if (width < 1 || (bpp != 8 && bpp != 24)) return std::nullopt;
    const std::int64_t bytes = width * (bpp / 8);
    const std::int64_t padded = (bytes + 3) & ~std::int64_t{3};
    if (width > std::numeric_limits<std::int32_t>::max() || padded > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(padded);
}

bool ImageFits(std::int64_t width, std::int64_t height, int bpp) {
    const auto row = RowLength(width, bpp);
    if (!row || height < 1 || height > std::numeric_limits<std::int32_t>::max()) return false;
    return height <= std::numeric_limits<std::int32_t>::max() / *row;
}

void BgraRowOverWhite(const std::uint8_t* bgra, std::size_t width, std::uint8_t* out, std::size_t rowLength) {
    std::uint8_t* o = out;
    for (std::size_t x = 0; x < width; ++x, bgra += 4, o += 3) {
        const std::uint8_t a = bgra[3];
        if (a == 255) {
            o[0] = bgra[0];
            o[1] = bgra[1];
            o[2] = bgra[2];
        } else {
            o[0] = OverWhite(bgra[0], a);
            o[1] = OverWhite(bgra[1], a);
            o[2] = OverWhite(bgra[2], a);
        }
    }
    std::memset(o, 0, rowLength - width * 3);
}

void UnpackIndexRow(const std::uint8_t* packed, std::size_t width, int bits, std::uint8_t* out,
                    std::size_t rowLength) {
    if (bits == 8) {
        std::memcpy(out, packed, width);
    } else {
        const unsigned perByte = 8u / static_cast<unsigned>(bits);
        const unsigned mask = (1u << bits) - 1u;
        for (std::size_t x = 0; x < width; ++x) {
            const unsigned shift = 8u - static_cast<unsigned>(bits) * (1u + static_cast<unsigned>(x % perByte));
            out[x] = static_cast<std::uint8_t>((packed[x / perByte] >> shift) & mask);
        }
    }
    std::memset(out + width, 0, rowLength - width);
}

std::uint32_t PaletteEntry(std::uint32_t argb) {
    const auto a = static_cast<std::uint8_t>(argb >> 24);
    const auto r = OverWhite(static_cast<std::uint8_t>(argb >> 16), a);
    const auto g = OverWhite(static_cast<std::uint8_t>(argb >> 8), a);
    const auto b = OverWhite(static_cast<std::uint8_t>(argb), a);
    return static_cast<std::uint32_t>(b) | (static_cast<std::uint32_t>(g) << 8) | (static_cast<std::uint32_t>(r) << 16);
}

}  // namespace sarvik
