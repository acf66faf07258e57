#include "pictures/CCompatibleBitmap.h"

#include <oleauto.h>
#include <olectl.h>

#include "ErrorInfo.h"
#include "NevkitSupport0100.h"
#include "Owners.h"
#include "pictures/modBitmapWorks.h"

namespace kelmor {

CCompatibleBitmap::~CCompatibleBitmap() {
    if (bitmap_ && !ownedByPicture_) DeleteObject(bitmap_);
}

HRESULT CCompatibleBitmap::GetStdPicture(IPictureDisp** picture) {
    bool holdsHandle = false;
    const HRESULT hr = PictureForBitmap(bitmap_, picture, &holdsHandle);
    if (SUCCEEDED(hr) && holdsHandle) ownedByPicture_ = true;
    return hr;
}

HRESULT CCompatibleBitmap::PictureForBitmap(HBITMAP bitmap, IPictureDisp** picture, bool* holdsHandle) {
    *picture = nullptr;
    *holdsHandle = false;
    IPictureDisp* made = nullptr;
    const LONG status = nkGetBitmapFromHandle(bitmap, &made);
    if (status < 0) {
        if (made) made->Release();
        return RaiseSupportStatus(status, modBitmapWorks::ErrorSource());
    }
    if (!made) return PassOnError(E_POINTER, modBitmapWorks::ErrorSource());

    // The picture's handle property. Picture handles are 32-bit values (OLE_HANDLE); GDI handles
    // carry their meaning in the low 32 bits on 64-bit Windows too.
    DISPPARAMS none{};
    UniqueVariant handle;
    const HRESULT hr = made->Invoke(DISPID_PICT_HANDLE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                    &none, handle.put(), nullptr, nullptr);
    if (SUCCEEDED(hr) && SUCCEEDED(VariantChangeType(handle.get(), handle.get(), 0, VT_UI4))) {
        *holdsHandle = V_UI4(handle.get()) == static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(bitmap));
    }
    *picture = made;
    return S_OK;
}

}  // namespace kelmor
