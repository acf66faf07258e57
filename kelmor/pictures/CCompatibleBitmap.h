// A bitmap made compatible with a memory device context; owns its handle until a picture object
// takes the bitmap over.
#pragma once

#include <windows.h>
#include <ocidl.h>

namespace kelmor {

class CCompatibleBitmap {
public:
    CCompatibleBitmap() = default;
    // Deletes the bitmap unless a picture object owns it now.
    ~CCompatibleBitmap();
    CCompatibleBitmap(const CCompatibleBitmap&) = delete;
    CCompatibleBitmap& operator=(const CCompatibleBitmap&) = delete;

    HBITMAP hBitmap() const { return bitmap_; }
    // Takes `bitmap` over (the object deletes it).
    void SetHandle(HBITMAP bitmap) { bitmap_ = bitmap; }
    bool OwnedByPicture() const { return ownedByPicture_; }

    // A picture object for the bitmap. When the picture holds this very handle it owns the
    // bitmap from now on, and the object no longer deletes it. A failure of the support library
    // is raised.
    HRESULT GetStdPicture(IPictureDisp** picture);

    // The picture step shared with the back bitmap: a picture for `bitmap`, and whether the
    // picture holds that handle itself (rather than a copy of its own).
    static HRESULT PictureForBitmap(HBITMAP bitmap, IPictureDisp** picture, bool* holdsHandle);

private:
    HBITMAP bitmap_ = nullptr;
    bool ownedByPicture_ = false;
};

}  // namespace kelmor
