// The reader of Targa files: uncompressed and run-length true-colour images of 15, 16, 24 or
// 32 bits per pixel, decoded into a 24-bit picture.
#pragma once

#include "DibFileFormat.h"

namespace kelmor {

class CFileTGA final : public DibFileFormat {
public:
    CFileTGA() : DibFileFormat(nvkPteTGA) {}

    // True when the file's header names one of the two true-colour image types; reads only the
    // header. Never raises.
    bool Verify(const std::wstring& fileName) override;

protected:
    bool ReadImage(const std::wstring& fileName, core::DIBImage& record) override;
};

}  // namespace kelmor
