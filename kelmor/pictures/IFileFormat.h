// What every picture file reader does. Readers belong to one thread; between a Verify and the
// LoadPicture of the same file (the same PictureFile) a reader may keep what it found, so that the
// file is decoded once.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>

#include "PictureFile.h"

namespace kelmor {

class PictureInfo;

class IFileFormat {
public:
    virtual ~IFileFormat() = default;

    // True when the reader recognises the file as its format. Never fails: a missing or short
    // file or a wrong signature gives false.
    virtual bool Verify(const PictureFile& file) = 0;

    // The loaded picture in `picture` (S_OK), or S_OK with no picture when the file is not of the
    // format or cannot be decoded. A failure HRESULT (with its error information) only for an
    // error while building the picture, which passes on to the caller. `info` may be null.
    virtual HRESULT LoadPicture(const PictureFile& file, PictureInfo* info, IPictureDisp** picture) = 0;
};

}  // namespace kelmor
