#include "pictures/CCompatibleDC.h"

#include <new>

#include "ErrorInfo.h"
#include "pictures/modBitmapWorks.h"

namespace kelmor {

namespace {

HRESULT RaiseGdiError(const wchar_t* description) {
    return RaiseError(51, modBitmapWorks::ErrorSource(), description);
}

}  // namespace

HRESULT CCompatibleDC::Create(std::unique_ptr<CCompatibleDC>* dc) {
    dc->reset();
    const HDC made = CreateCompatibleDC(nullptr);
    if (!made) return RaiseGdiError(L"Can't create compatible DC.");
    dc->reset(new (std::nothrow) CCompatibleDC(made));
    if (!*dc) {
        DeleteDC(made);
        return RaiseError(7, modBitmapWorks::ErrorSource());
    }
    return S_OK;
}

CCompatibleDC::~CCompatibleDC() {
    SelectBitmap(nullptr);
    DeleteDC(dc_);
}

HRESULT CCompatibleDC::CreateCompatibleBitmap(LONG width, LONG height, UniqueBitmap* bitmap) {
    bitmap->reset(::CreateCompatibleBitmap(dc_, width, height));
    if (!*bitmap) return RaiseGdiError(L"Can't create compatible bitmap.");
    return S_OK;
}

HRESULT CCompatibleDC::SelectBitmap(HBITMAP bitmap) {
    if (!bitmap) {
        if (previous_) {
            SelectObject(dc_, previous_);
            previous_ = nullptr;
        }
        return S_OK;
    }
    SelectBitmap(nullptr);
    previous_ = static_cast<HBITMAP>(SelectObject(dc_, bitmap));
    if (!previous_) return RaiseGdiError(L"Can't select bitmap.");
    return S_OK;
}

HRESULT CCompatibleDC::BitBlt(HDC destination, LONG destX, LONG destY, LONG width, LONG height, LONG srcX,
                              LONG srcY, DWORD rasterOperation) {
    if (!::BitBlt(destination, destX, destY, width, height, dc_, srcX, srcY, rasterOperation))
        return RaiseGdiError(L"Cant BitBlt to target DC.");
    return S_OK;
}

}  // namespace kelmor
