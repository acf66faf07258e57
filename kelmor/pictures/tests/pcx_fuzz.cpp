// Any bytes into the PCX decoder: it must answer without reading or writing outside its buffers,
// and what it accepts must be a well-formed record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "pictures/core/PcxDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelmor::core;
    const std::span<const std::uint8_t> file(data, size);
    DIBImage image;
    if (!DecodePcx(file, image)) return 0;
    if (!IsPcx(file)) std::abort();
    if (image.BPP != 8 && image.BPP != 24) std::abort();
    if (image.Width <= 0 || image.Height <= 0) std::abort();
    const auto stride = GetScanlineLength(image.Width, image.BPP);
    if (!stride ||
        image.Bits.size() != static_cast<std::size_t>(*stride) * static_cast<std::size_t>(image.Height))
        std::abort();
    // A second decode into the used record must give the same picture.
    DIBImage again = image;
    if (!DecodePcx(file, again) || again.Bits != image.Bits || again.Palette != image.Palette) std::abort();
    return 0;
}
