// Fuzz target of the Photoshop document decoder: any bytes either fail or give a record whose size
// matches its header, without reading or writing outside a buffer. Nothing is filtered out: the
// decoder bounds its memory by the data (and a file without channels by its fixed limit), which
// the memory-capped runs check.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "pictures/core/PsdDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    kelmor::core::DIBImage image;
    const kelmor::core::DecodeResult result = kelmor::core::DecodePsd(file, image);
    if (result.status == kelmor::core::DecodeStatus::NotThisFormat && kelmor::core::IsPsd(file)) std::abort();
    if (result) {
        // 24-bit pictures, and the 8-bit black picture of a file without channels.
        const bool black = size >= 14 && data[12] == 0 && data[13] == 0;
        const auto row = kelmor::core::GetScanlineLength(image.Width, image.BPP);
        if (image.BPP != (black ? 8 : 24) || image.Width <= 0 || image.Height <= 0 || !row ||
            image.Bits.size() != static_cast<std::size_t>(*row) * static_cast<std::size_t>(image.Height))
            std::abort();
    }
    return 0;
}
