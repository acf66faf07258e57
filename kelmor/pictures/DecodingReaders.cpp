#include "DecodingReaders.h"

#include "pictures/core/PcxDecoder.h"
#include "pictures/core/PsdDecoder.h"
#include "pictures/core/TgaDecoder.h"

namespace kelmor {

bool PsdFormat::Recognise(std::span<const std::uint8_t> bytes) { return core::IsPsd(bytes); }
core::DecodeResult PsdFormat::Decode(std::span<const std::uint8_t> bytes, core::DIBImage& record) {
    return core::DecodePsd(bytes, record);
}

bool PcxFormat::Recognise(std::span<const std::uint8_t> bytes) { return core::IsPcx(bytes); }
core::DecodeResult PcxFormat::Decode(std::span<const std::uint8_t> bytes, core::DIBImage& record) {
    return core::DecodePcx(bytes, record);
}

bool TgaFormat::Recognise(std::span<const std::uint8_t> bytes) { return core::IsTga(bytes); }
core::DecodeResult TgaFormat::Decode(std::span<const std::uint8_t> bytes, core::DIBImage& record) {
    return core::DecodeTga(bytes, record);
}
bool TgaFormat::Rows(std::span<const std::uint8_t> bytes, modBitmapWorks::PixelRows& rows) {
    const std::optional<core::TgaRows> found = core::RawTgaRows(bytes);
    if (!found) return false;
    rows.bits = found->bits.data();
    rows.size = found->bits.size();
    rows.width = found->width;
    rows.height = found->height;
    rows.bottomUp = found->bottomUp;
    return true;
}

template class DecodingReader<PsdFormat>;
template class DecodingReader<PcxFormat>;
template class DecodingReader<TgaFormat>;

}  // namespace kelmor
