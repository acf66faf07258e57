// Fuzz target of the Photoshop document decoder: any bytes either fail or give a record whose size
// matches its header, without reading or writing outside a buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "pictures/core/PsdDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    // A file without channels is a legitimate black picture of its declared size, data or not: keep
    // those small so that the run measures the decoder, not the allocator.
    if (size >= 22 && data[12] == 0 && data[13] == 0) {
        const std::uint64_t height =
            (std::uint64_t{data[14]} << 24) | (data[15] << 16) | (data[16] << 8) | data[17];
        const std::uint64_t width =
            (std::uint64_t{data[18]} << 24) | (data[19] << 16) | (data[20] << 8) | data[21];
        if (width * height > (1u << 18)) return 0;
    }
    kelmor::core::DIBImage image;
    if (kelmor::core::DecodePsd(file, image)) {
        const auto row = kelmor::core::GetScanlineLength(image.Width, 24);
        if (image.BPP != 24 || image.Width <= 0 || image.Height <= 0 || !row ||
            image.Bits.size() != static_cast<std::size_t>(*row) * static_cast<std::size_t>(image.Height))
            std::abort();
    }
    return 0;
}
