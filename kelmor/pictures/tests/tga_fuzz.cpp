// Any bytes given to the Targa decoder: it must never read or write outside the file or the
// record, and a picture it accepts must have the record's promised shape.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "pictures/core/TgaDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    kelmor::core::DIBImage out;
    if (!kelmor::core::DecodeTga(file, out)) return 0;
    const auto row = kelmor::core::GetScanlineLength(out.Width, 24);
    if (!kelmor::core::IsTga(file) || out.BPP != 24 || out.Width <= 0 || out.Height <= 0 || !row ||
        out.Bits.size() != static_cast<std::size_t>(*row) * static_cast<std::size_t>(out.Height))
        std::abort();
    // Row padding is always zero.
    for (std::int32_t y = 0; y < out.Height; ++y)
        for (std::int32_t i = out.Width * 3; i < *row; ++i)
            if (out.Bits[static_cast<std::size_t>(y) * *row + i] != 0) std::abort();
    return 0;
}
