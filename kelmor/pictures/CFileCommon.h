// The reader of every format the platform's own picture loader reads: BMP, JPEG, GIF, placeable
// WMF, EMF, ICO and CUR. The file's bytes are handed to OleLoadPicture; the type code comes from
// the loaded picture's type and, for bitmaps, from the file's first bytes.
#pragma once

#include <wrl/client.h>

#include <cstdint>

#include "IFileFormat.h"

namespace kelmor {

class CFileCommon final : public IFileFormat {
public:
    // A trial load: true when the platform loader takes the file. Its picture is kept for the
    // LoadPicture of the same file that follows. A PNG file or a Photoshop document is never
    // offered to the loader (Wine's takes PNG), so that it goes to its own reader; files of formats
    // without a signature (a TGA may start like a cursor file) are.
    bool Verify(const PictureFile& file) override;

    // The picture Verify made of this file (or of a trial made now, for a file not just verified)
    // and its report in `info`: bitmaps with the bitmap's width, height and bits per pixel;
    // metafiles, icons and cursors with -1 for all three.
    HRESULT LoadPicture(const PictureFile& file, PictureInfo* info, IPictureDisp** picture) override;

private:
    Microsoft::WRL::ComPtr<IPictureDisp> verified_;
    std::uint64_t verifiedSerial_ = 0;
};

}  // namespace kelmor
