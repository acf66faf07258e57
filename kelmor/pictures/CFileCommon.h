// The reader of every format the platform's own picture loader reads: BMP, JPEG, GIF, placeable
// WMF, EMF, ICO and CUR. The file's bytes are handed to OleLoadPicture; the type code comes from
// the loaded picture's type and, for bitmaps, from the file's first bytes.
#pragma once

#include "IFileFormat.h"

namespace kelmor {

class CFileCommon final : public IFileFormat {
public:
    // A trial load whose result is dropped: true when the platform loader takes the file. A PNG
    // file is refused even where the loader would take it (Wine's does), so that it goes to the
    // PNG reader instead of coming back as a JPEG.
    bool Verify(const std::wstring& fileName) override;

    // Loads the file again after Verify and reports the picture in `info`: bitmaps with the
    // bitmap's width, height and bits per pixel; metafiles, icons and cursors with -1 for all
    // three. A failure of that second load is raised.
    HRESULT LoadPicture(const std::wstring& fileName, PictureInfo* info, IPictureDisp** picture) override;
};

}  // namespace kelmor
