// The reader of Photoshop documents. Its decoder is not written yet: it recognises no file, so such
// files are left to the readers after it and, failing those, end in error 481.
#pragma once

#include "DibFileFormat.h"

namespace kelmor {

class CFilePSD final : public DibFileFormat {
public:
    CFilePSD() : DibFileFormat(nvkPtePSD) {}

    bool Verify(const std::wstring& fileName) override;

protected:
    bool ReadImage(const std::wstring& fileName, core::DIBImage& record) override;
};

}  // namespace kelmor
