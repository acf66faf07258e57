// The reader of PNG files. It decodes nothing itself: the outside library Sarvik.dll tests the
// signature, reads the header and writes the pixels into buffers this reader sizes. Sarvik is
// bound by name at the first use, from the library's own folder only.
#pragma once

#include "DibFileFormat.h"

namespace kelmor {

class CFilePNG final : public DibFileFormat {
public:
    CFilePNG() : DibFileFormat(nvkPtePNG) {}

    // True when Sarvik is there and calls the file a PNG file; false for a name that the ANSI
    // code page cannot hold exactly (Sarvik takes 8-bit names; a look-alike could be another file).
    bool Verify(const std::wstring& fileName) override;

protected:
    bool ReadImage(const std::wstring& fileName, core::DIBImage& record) override;
};

}  // namespace kelmor
