// The reader of Photoshop documents: the flattened RGB image of version-1 files, 8 bits per channel,
// raw or PackBits-compressed, as a 24-bit picture. Files it recognises but cannot decode are left to
// the readers after it.
#pragma once

#include "DibFileFormat.h"

namespace kelmor {

class CFilePSD final : public DibFileFormat {
public:
    CFilePSD() : DibFileFormat(nvkPtePSD) {}

    // True when the file starts with the signature "8BPS"; reads only those bytes.
    bool Verify(const std::wstring& fileName) override;

protected:
    // Reads the whole file once and decodes it from memory.
    bool ReadImage(const std::wstring& fileName, core::DIBImage& record) override;
};

}  // namespace kelmor
