// The reader of PNG files. It decodes nothing itself: the outside library Sarvik.dll tests the
// signature, reads the header and writes the pixels into buffers this reader sizes. Sarvik is
// bound by name at the first use, from the library's own folder only.
#pragma once

#include "DibFileFormat.h"

namespace kelmor {

class CFilePNG final : public DibFileFormat {
public:
    CFilePNG() : DibFileFormat(nvkPtePNG) {}

protected:
    // True when the file starts with the PNG signature and Sarvik is there; false for a name that
    // the ANSI code page cannot hold exactly (Sarvik takes 8-bit names; a look-alike could be
    // another file). The signature is Sarvik's own test, made here on the bytes already read.
    bool Recognise(const PictureFile& file) override;
    bool ReadImage(const PictureFile& file, core::DIBImage& record) override;
};

}  // namespace kelmor
