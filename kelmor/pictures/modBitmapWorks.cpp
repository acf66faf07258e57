#include "pictures/modBitmapWorks.h"

#include <cstring>
#include <memory>
#include <new>

#include <oleauto.h>
#include <olectl.h>

#include "ErrorInfo.h"
#include "NevkitSupport0100.h"
#include "pictures/CCompatibleDC.h"

namespace kelmor::modBitmapWorks {

namespace {

// A BITMAPINFO with room for a full 256-entry colour table.
struct BitmapInfo256 {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

// The record describes a picture that can be drawn without reading outside its pixel rows.
bool IsDrawable(const core::DIBImage& record) {
    if (record.Width <= 0 || record.Height <= 0) return false;
    if (record.BPP != 8 && record.BPP != 24) return false;
    const std::optional<std::int32_t> rowLength = core::GetScanlineLength(record.Width, record.BPP);
    if (!rowLength) return false;
    const std::uint64_t needed =
        static_cast<std::uint64_t>(*rowLength) * static_cast<std::uint64_t>(record.Height);
    return record.Bits.size() >= needed;
}

// The header of rows of `bpp` bits per pixel, top row first or bottom row first.
BitmapInfo256 InfoOf(LONG width, LONG height, LONG bpp, bool topDown) {
    BitmapInfo256 info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = topDown ? -height : height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bpp);
    info.header.biCompression = BI_RGB;
    return info;
}

}  // namespace

std::wstring ErrorSource() {
    return ErrorSourceOf(__uuidof(_nvkMain));
}

HRESULT GetScanlineLength(LONG width, LONG bpp, LONG* length) {
    *length = 0;
    const std::optional<std::int32_t> bytes = core::GetScanlineLength(width, bpp);
    if (!bytes) return RaiseError(6, ErrorSource());
    *length = *bytes;
    return S_OK;
}

UniqueBitmap NewBackBitmap(LONG bpp, const void* palette) {
    BitmapInfo256 info = InfoOf(1, 1, bpp, true);
    if (palette) std::memcpy(info.colors, palette, sizeof info.colors);
    void* pixels = nullptr;
    return UniqueBitmap(
        CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0));
}

HRESULT PictureFromBitmap(UniqueBitmap& bitmap, IPictureDisp** picture) {
    *picture = nullptr;
    IPictureDisp* made = nullptr;
    const LONG status = nkGetBitmapFromHandle(bitmap.get(), &made);
    if (status < 0) {
        if (made) made->Release();
        return RaiseSupportStatus(status, ErrorSource());
    }
    if (!made) return PassOnError(E_POINTER, ErrorSource());

    // The picture's handle property. Picture handles are 32-bit values (OLE_HANDLE); GDI handles
    // carry their meaning in the low 32 bits on 64-bit Windows too.
    DISPPARAMS none{};
    UniqueVariant handle;
    const HRESULT hr = made->Invoke(DISPID_PICT_HANDLE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                    &none, handle.put(), nullptr, nullptr);
    if (SUCCEEDED(hr) && SUCCEEDED(VariantChangeType(handle.get(), handle.get(), 0, VT_UI4)) &&
        V_UI4(handle.get()) == static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(bitmap.get()))) {
        bitmap.release();  // the picture owns it now
    }
    *picture = made;
    return S_OK;
}

namespace {

// Draws rows described by `info` (its height negative for rows top first) into a new 24-bit bitmap
// compatible with a memory context and hands the bitmap to a picture object.
HRESULT DrawPicture(const BitmapInfo256& info, const void* bits, IPictureDisp** picture) {
    const LONG width = info.header.biWidth;
    const LONG height = info.header.biHeight < 0 ? -info.header.biHeight : info.header.biHeight;
    // Declared so that they go in this order on every path: the context first (it puts its
    // initial bitmap back, so that neither bitmap is still selected), then the bitmaps.
    // A fresh memory context holds a one-bit bitmap, and a bitmap made compatible with it would be
    // monochrome; with the 24-bit back bitmap selected, the new bitmap takes 24 bits per pixel.
    const UniqueBitmap back = NewBackBitmap(24, nullptr);
    UniqueBitmap bitmap;
    std::unique_ptr<CCompatibleDC> dc;
    // Without the back bitmap the new bitmap would silently lose every colour: refused instead.
    if (!back) return RaiseError(51, ErrorSource(), L"Can't create compatible bitmap.");
    HRESULT hr = CCompatibleDC::Create(&dc);
    if (FAILED(hr)) return hr;
    hr = dc->SelectBitmap(back.get());
    if (FAILED(hr)) return hr;
    hr = dc->CreateCompatibleBitmap(width, height, &bitmap);
    if (FAILED(hr)) return hr;
    // Puts the context's initial bitmap back first, which releases the back bitmap.
    hr = dc->SelectBitmap(bitmap.get());
    if (FAILED(hr)) return hr;
    const int lines = StretchDIBits(dc->hDC(), 0, 0, width, height, 0, 0, width, height, bits,
                                    reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
    // A picture whose pixels were never drawn would pass for a good one: refused instead.
    if (lines <= 0) return RaiseError(51, ErrorSource(), L"Can't draw to compatible bitmap.");
    dc.reset();

    return PictureFromBitmap(bitmap, picture);
}

}  // namespace

HRESULT CreatePictureFromDIB(const core::DIBImage& record, IPictureDisp** picture) {
    *picture = nullptr;
    if (!IsDrawable(record)) return RaiseError(5, ErrorSource());
    // The pixel rows as stored: top row first (a negative height), 8-bit indices through the
    // record's colour table.
    BitmapInfo256 info = InfoOf(record.Width, record.Height, record.BPP, true);
    static_assert(sizeof info.colors == sizeof record.Palette);
    if (record.BPP == 8) std::memcpy(info.colors, record.Palette.data(), sizeof info.colors);
    return DrawPicture(info, record.Bits.data(), picture);
}

HRESULT CreatePictureFromRows(const PixelRows& rows, IPictureDisp** picture) {
    *picture = nullptr;
    const std::uint64_t row = static_cast<std::uint64_t>(rows.width) * 3;
    if (!rows.bits || rows.width <= 0 || rows.height <= 0 || row % 4 != 0 ||
        rows.size < row * static_cast<std::uint64_t>(rows.height))
        return RaiseError(5, ErrorSource());
    return DrawPicture(InfoOf(rows.width, rows.height, 24, !rows.bottomUp), rows.bits, picture);
}

}  // namespace kelmor::modBitmapWorks
