#include "PictureInfo.h"

#include "Owners.h"
#include "Text.h"

namespace kelmor {
namespace {

// Asked for by the library only, to reach its own object behind a _PictureInfo pointer. No proxy
// or foreign object answers it, and no client ever receives it.
constexpr GUID kIidPictureInfoObject = {
    0xde89e835, 0xb177, 0x41cd, {0x97, 0x82, 0x24, 0x2d, 0xd1, 0xf3, 0x53, 0xc5}};

const wchar_t* TypeName(LONG type) {
    switch (type) {
        case nvkPteNothing:
            return L"Nothing";
        case nvkPteBMP:
            return L"Windows bitmap";
        case nvkPteJPG:
            return L"JPEG";
        case nvkPteGIF:
            return L"CompuServe GIF";
        case nvkPteWMF:
            return L"Windows metafile";
        case nvkPteEMF:
            return L"Enhanced metafile";
        case nvkPteICO:
            return L"Windows icon";
        case nvkPteCUR:
            return L"Windows cursor";
        case nvkPtePNG:
            return L"Portable network graphics";
        case nvkPtePSD:
            return L"Photoshop document";
        case nvkPtePCX:
            return L"PCX";
        case nvkPteTGA:
            return L"Targa";
        default:
            return L"Unknown";
    }
}

}  // namespace

HRESULT PictureInfo::CreateInstance(REFIID riid, void** ppv) {
    return Create<PictureInfo>(riid, ppv);
}

Microsoft::WRL::ComPtr<PictureInfo> PictureInfo::Of(IUnknown* info) {
    Microsoft::WRL::ComPtr<PictureInfo> object;
    if (info) {
        void* raw = nullptr;
        if (SUCCEEDED(info->QueryInterface(kIidPictureInfoObject, &raw)) && raw) {
            Adopt(object, static_cast<PictureInfo*>(raw));
        }
    }
    return object;
}

void* PictureInfo::QueryOther(REFIID riid) {
    return IsEqualIID(riid, kIidPictureInfoObject) ? static_cast<PictureInfo*>(this) : nullptr;
}

void PictureInfo::Clear() {
    SetInfo(0, 0, 0, nvkPteNothing);
}

void PictureInfo::SetInfo(LONG width, LONG height, LONG bpp, nvkPictureTypeEx type) {
    width_ = width;
    height_ = height;
    bpp_ = bpp;
    type_ = type;
}

HRESULT PictureInfo::Width(LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = width_;
    return S_OK;
}

HRESULT PictureInfo::Height(LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = height_;
    return S_OK;
}

HRESULT PictureInfo::ImageBPP(LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = bpp_;
    return S_OK;
}

HRESULT PictureInfo::PictureType(nvkPictureTypeEx* Result) {
    if (!Result) return E_POINTER;
    *Result = type_;
    return S_OK;
}

HRESULT PictureInfo::GetPictureTypeName(BSTR* Result) {
    if (!Result) return E_POINTER;
    return ToBstr(TypeName(type_), Result) == S_OK ? S_OK : Raise(7);
}

}  // namespace kelmor
