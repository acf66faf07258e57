#include "DibFileFormat.h"

#include <memory>

#include "PictureInfo.h"
#include "modBitmapWorks.h"

namespace kelmor {

HRESULT DibFileFormat::LoadPicture(const std::wstring& fileName, PictureInfo* info, IPictureDisp** picture) {
    if (!picture) return E_POINTER;
    *picture = nullptr;
    if (info) info->Clear();

    // The record can be large: it lives only for this call.
    std::unique_ptr<core::DIBImage> record;
    try {
        if (!Verify(fileName)) return S_OK;
        record = std::make_unique<core::DIBImage>();
        if (!ReadImage(fileName, *record)) return S_OK;
    } catch (...) {
        return S_OK;
    }

    const HRESULT hr = modBitmapWorks::CreatePictureFromDIB(*record, picture);
    if (FAILED(hr) || !*picture) return hr;
    if (info) info->SetInfo(record->Width, record->Height, record->BPP, type_);
    return S_OK;
}

}  // namespace kelmor
