#include "pictures/CBackBitmap.h"

#include <cstring>

#include "pictures/CCompatibleBitmap.h"

namespace kelmor {

CBackBitmap::~CBackBitmap() {
    if (bitmap_ && !ownedByPicture_) DeleteObject(bitmap_);
}

void CBackBitmap::Initialize(LONG bpp, const void* paletteData) {
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = 1;
    info.header.biHeight = -1;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bpp);
    info.header.biCompression = BI_RGB;
    if (paletteData) std::memcpy(info.colors, paletteData, sizeof info.colors);
    void* pixels = nullptr;
    bitmap_ = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels,
                               nullptr, 0);
}

HRESULT CBackBitmap::GetStdPicture(IPictureDisp** picture) {
    bool holdsHandle = false;
    const HRESULT hr = CCompatibleBitmap::PictureForBitmap(bitmap_, picture, &holdsHandle);
    if (SUCCEEDED(hr) && holdsHandle) ownedByPicture_ = true;
    return hr;
}

}  // namespace kelmor
