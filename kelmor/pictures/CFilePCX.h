// The reader of PCX files: 256-colour files with their palette and 24-bit three-plane files,
// decoded from memory by core::DecodePcx.
#pragma once

#include "DibFileFormat.h"

namespace kelmor {

class CFilePCX final : public DibFileFormat {
public:
    CFilePCX() : DibFileFormat(nvkPtePCX) {}

    // True when the file's first byte is 10 (of at least two bytes).
    bool Verify(const std::wstring& fileName) override;

protected:
    bool ReadImage(const std::wstring& fileName, core::DIBImage& record) override;
};

}  // namespace kelmor
