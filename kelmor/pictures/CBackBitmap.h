// A one-pixel DIB section. Selected into a fresh memory context, it gives the context its pixel
// format, so that bitmaps made compatible with the context take that format.
#pragma once

#include <windows.h>
#include <ocidl.h>

namespace kelmor {

class CBackBitmap {
public:
    CBackBitmap() = default;
    // Deletes the section unless a picture object owns it now.
    ~CBackBitmap();
    CBackBitmap(const CBackBitmap&) = delete;
    CBackBitmap& operator=(const CBackBitmap&) = delete;

    // Makes a 1 x 1 top-down DIB section of `bpp` bits per pixel. `paletteData`, when given,
    // points at a 256-entry colour table (1024 bytes of RGBQUAD); without it the table is zeros.
    // The handle is kept as the system gives it, so a failure leaves hBitmap() 0.
    void Initialize(LONG bpp, const void* paletteData);

    HBITMAP hBitmap() const { return bitmap_; }
    // Takes `bitmap` over (the object deletes it).
    void SetHandle(HBITMAP bitmap) { bitmap_ = bitmap; }
    bool OwnedByPicture() const { return ownedByPicture_; }

    // A picture object for the section; see CCompatibleBitmap::GetStdPicture.
    HRESULT GetStdPicture(IPictureDisp** picture);

private:
    HBITMAP bitmap_ = nullptr;
    bool ownedByPicture_ = false;
};

}  // namespace kelmor
