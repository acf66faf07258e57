// The common course of the readers that decode a format themselves: they fill a pixel record,
// which becomes a picture object here.
#pragma once

#include "IFileFormat.h"
#include "Kelmor0200.h"
#include "pictures/core/DIBImage.h"

namespace kelmor {

class DibFileFormat : public IFileFormat {
public:
    // Clears `info`, checks the file with Verify, decodes it with ReadImage, builds the picture
    // and reports its size, depth and the reader's type in `info`. A file that is not of the
    // format or cannot be decoded gives no picture; only the building raises.
    HRESULT LoadPicture(const std::wstring& fileName, PictureInfo* info, IPictureDisp** picture) final;

protected:
    explicit DibFileFormat(nvkPictureTypeEx type) : type_(type) {}

    // Fills `record` from the file; false when it cannot be decoded. Never raises: an exception
    // that escapes (out of memory for a huge declared size) counts as false.
    virtual bool ReadImage(const std::wstring& fileName, core::DIBImage& record) = 0;

private:
    nvkPictureTypeEx type_;
};

}  // namespace kelmor
