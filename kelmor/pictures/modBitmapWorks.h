// Turning a reader's pixel record into a platform picture object.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "Owners.h"
#include "pictures/core/DIBImage.h"

namespace kelmor::modBitmapWorks {

// A picture object owning a new bitmap with the record's pixels (top row first; 8-bit indices
// converted through the record's palette). A record that does not describe its pixels (width or
// height not positive, a depth other than 8 or 24, fewer bytes than its rows need) raises error 5
// before anything is read. Other errors are raised as well (error 51 with the bitmap helpers'
// descriptions, a failure status of the support library as its own error); every handle made on
// the way is released on every path.
HRESULT CreatePictureFromDIB(const core::DIBImage& record, IPictureDisp** picture);

// Pixel rows lying elsewhere than in a record (a file's own bytes): 24 bits per pixel, each row
// width * 3 bytes, a multiple of 4; `bits` holds all of them.
struct PixelRows {
    const std::uint8_t* bits = nullptr;
    std::size_t size = 0;
    LONG width = 0;
    LONG height = 0;
    bool bottomUp = false;  // the first row is the bottom one
};

// A picture object drawn from such rows, as CreatePictureFromDIB draws a 24-bit record; error 5 for
// rows that do not describe their pixels, the other errors as there.
HRESULT CreatePictureFromRows(const PixelRows& rows, IPictureDisp** picture);

// The source named by the errors raised while a picture is built: they reach the caller through
// nvkMain.LoadPictureEx.
std::wstring ErrorSource();

// Bytes per row as the readers lay them out; raises error 6 (overflow) when it does not fit.
HRESULT GetScanlineLength(LONG width, LONG bpp, LONG* length);

// A 1 x 1 top-down DIB section of `bpp` bits per pixel (empty when the system gives none). Selected
// into a fresh memory context, it gives the context its pixel format, so that bitmaps made compatible
// with the context take that format. `palette`, when given, points at a 256-entry colour table
// (1024 bytes of RGBQUAD); without it the table is zeros.
UniqueBitmap NewBackBitmap(LONG bpp, const void* palette);

// A picture object for `bitmap`. When the picture holds this very handle it owns the bitmap from
// now on and `bitmap` lets it go; otherwise (the picture made a copy) `bitmap` still owns it. A
// failure of the support library is raised.
HRESULT PictureFromBitmap(UniqueBitmap& bitmap, IPictureDisp** picture);

}  // namespace kelmor::modBitmapWorks
