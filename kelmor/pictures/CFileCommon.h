// The reader of every format the platform's own picture loader reads: BMP, JPEG, GIF, placeable
// WMF, EMF, ICO and CUR. The file's bytes are handed to OleLoadPicture; the type code comes from
// the loaded picture's type and, for bitmaps, from the file's first bytes.
#pragma once

#include <wrl/client.h>

#include <cstdint>
#include <span>

#include "IFileFormat.h"

namespace kelmor {

class CFileCommon final : public IFileFormat {
public:
    // A trial load: true when the platform loader takes the file. Its picture is kept for the
    // LoadPicture of the same file that follows. Only files the loader may take are offered to it.
    bool Verify(const PictureFile& file) override;

    // False for files the loader cannot take or must not be given, by their first bytes: a PNG
    // file or a Photoshop document (Wine's loader takes PNG; it must go to its own reader), an icon
    // or cursor file without images (as a true-colour Targa file usually starts), an empty file.
    // Files of formats without a signature that may be the loader's (a Targa file like a cursor
    // with images, a PCX file) are offered, in the trial order.
    static bool OfferedToTheLoader(std::span<const std::uint8_t> bytes);

    // The picture Verify made of this file (or of a trial made now, for a file not just verified)
    // and its report in `info`: bitmaps with the bitmap's width, height and bits per pixel;
    // metafiles, icons and cursors with -1 for all three.
    HRESULT LoadPicture(const PictureFile& file, PictureInfo* info, IPictureDisp** picture) override;

private:
    Microsoft::WRL::ComPtr<IPictureDisp> verified_;
    std::uint64_t verifiedSerial_ = 0;
};

}  // namespace kelmor
