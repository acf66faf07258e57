// The common course of the readers that decode a format themselves: they fill a pixel record,
// which becomes a picture object here.
#pragma once

#include <cstdint>

#include "IFileFormat.h"
#include "Kelmor0200.h"
#include "modBitmapWorks.h"
#include "pictures/core/DIBImage.h"

namespace kelmor {

class DibFileFormat : public IFileFormat {
public:
    // Recognise, remembering the file that was recognised.
    bool Verify(const PictureFile& file) final;

    // Clears `info`, checks the file (unless this very file was just verified), decodes it with
    // ReadImage, builds the picture and reports its size, depth and the reader's type in `info`. A
    // file that is not of the format or cannot be decoded gives no picture; only the building raises.
    HRESULT LoadPicture(const PictureFile& file, PictureInfo* info, IPictureDisp** picture) final;

protected:
    explicit DibFileFormat(nvkPictureTypeEx type) : type_(type) {}

    // True when the file is of the format, from its first bytes. Never raises.
    virtual bool Recognise(const PictureFile& file) = 0;
    // Fills `record` from the file; false when it cannot be decoded. An exception that escapes (out
    // of memory) counts as false.
    virtual bool ReadImage(const PictureFile& file, core::DIBImage& record) = 0;
    // The depth reported for a decoded record: the record's own unless a format says otherwise.
    virtual LONG ReportedDepth(const core::DIBImage& record) const { return record.BPP; }
    // True when the file's own bytes hold 24-bit rows ready to draw (`rows` says where): the picture
    // is then drawn from them without a record. Only where ReadImage would give those very pixels.
    virtual bool RowsInFile(const PictureFile&, modBitmapWorks::PixelRows&) { return false; }

private:
    nvkPictureTypeEx type_;
    std::uint64_t verified_ = 0;  // the serial of the file the last Verify recognised
};

}  // namespace kelmor
