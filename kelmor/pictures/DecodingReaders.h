// The readers of the formats the library decodes itself from the file's bytes (TGA, PSD, PCX): one
// reader shell over a format's description, the signature check and the decoder of its portable core.
#pragma once

#include <cstdint>
#include <span>

#include "DibFileFormat.h"
#include "pictures/core/DIBImage.h"
#include "pictures/core/Decoding.h"

namespace kelmor {

template <class Format>
class DecodingReader final : public DibFileFormat {
public:
    DecodingReader() : DibFileFormat(Format::kType) {}

protected:
    bool Recognise(const PictureFile& file) override { return Format::Recognise(file.Bytes()); }
    bool ReadImage(const PictureFile& file, core::DIBImage& record) override {
        return Format::Decode(file.Bytes(), record);
    }
    LONG ReportedDepth(const core::DIBImage& record) const override { return Format::Depth(record); }
    bool RowsInFile(const PictureFile& file, modBitmapWorks::PixelRows& rows) override {
        return Format::Rows(file.Bytes(), rows);
    }
};

// Photoshop documents: the flattened RGB image of version-1 files, 8 bits per channel, raw or
// PackBits, as a 24-bit picture (a file without channels, a black one, is decoded as 8-bit indices
// and still reported as 24 bits). Recognised by the signature "8BPS"; files recognised but not
// decoded are left to the readers after it.
struct PsdFormat {
    static constexpr nvkPictureTypeEx kType = nvkPtePSD;
    static bool Recognise(std::span<const std::uint8_t> bytes);
    static core::DecodeResult Decode(std::span<const std::uint8_t> bytes, core::DIBImage& record);
    static LONG Depth(const core::DIBImage&) { return 24; }
    static bool Rows(std::span<const std::uint8_t>, modBitmapWorks::PixelRows&) { return false; }
};

// PCX: 256-colour files with their palette and 24-bit three-plane files. The format's only
// signature is its first byte, 10 (of at least two bytes): a file of another format that starts
// with 10 passes and is refused by the decoder, so the readers after this one get it.
struct PcxFormat {
    static constexpr nvkPictureTypeEx kType = nvkPtePCX;
    static bool Recognise(std::span<const std::uint8_t> bytes);
    static core::DecodeResult Decode(std::span<const std::uint8_t> bytes, core::DIBImage& record);
    static LONG Depth(const core::DIBImage& record) { return record.BPP; }
    static bool Rows(std::span<const std::uint8_t>, modBitmapWorks::PixelRows&) { return false; }
};

// Targa: uncompressed and run-length true-colour images of 15, 16, 24 or 32 bits per pixel, as a
// 24-bit picture. Recognised by a whole header naming one of the two true-colour image types.
// Uncompressed 24-bit files whose rows are a multiple of 4 bytes are drawn from the file's bytes.
struct TgaFormat {
    static constexpr nvkPictureTypeEx kType = nvkPteTGA;
    static bool Recognise(std::span<const std::uint8_t> bytes);
    static core::DecodeResult Decode(std::span<const std::uint8_t> bytes, core::DIBImage& record);
    static LONG Depth(const core::DIBImage& record) { return record.BPP; }
    static bool Rows(std::span<const std::uint8_t> bytes, modBitmapWorks::PixelRows& rows);
};

using CFilePSD = DecodingReader<PsdFormat>;
using CFilePCX = DecodingReader<PcxFormat>;
using CFileTGA = DecodingReader<TgaFormat>;

}  // namespace kelmor
