#include "pictures/core/DIBImage.h"

#include <limits>

namespace kelmor::core {

namespace {

std::optional<std::int32_t> Fit(std::int64_t value) {
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<std::int32_t> GetScanlineLength(std::int32_t width, std::int32_t bpp) {
    // Every step must stay in the 32-bit range, as the readers' own arithmetic would: the byte
    // count of the pixels, then that count plus 3.
    std::int64_t bytes = 0;
    switch (bpp) {
        case 8:
            bytes = static_cast<std::int64_t>(width);
            break;
        case 24:
            bytes = static_cast<std::int64_t>(width) * 3;
            break;
        default:
            return 0;
    }
    if (!Fit(bytes) || !Fit(bytes + 3)) return std::nullopt;
    // Rounded down to a multiple of 4 by masking the two low bits (toward minus infinity).
    return Fit((bytes + 3) & ~std::int64_t{3});
}

}  // namespace kelmor::core
