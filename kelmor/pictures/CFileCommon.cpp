#include "CFileCommon.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <cstdint>
#include <span>
#include <utility>

#include "ErrorInfo.h"
#include "Kelmor0200.h"
#include "Owners.h"
#include "PictureInfo.h"
#include "PictureSignatures.h"
#include "pictures/core/PsdDecoder.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

// The loader's picture over the file's bytes, read through a stream over the shared memory (which
// the stream leaves alone).
HRESULT LoadFromBytes(const PictureFile& file, ComPtr<IPictureDisp>& picture) {
    const std::span<const std::uint8_t> bytes = file.Bytes();
    // The loader takes the length as a signed 32-bit value; nothing larger is a picture it reads.
    if (bytes.empty() || bytes.size() > MAXLONG) return CTL_E_INVALIDPICTURE;
    ComPtr<IStream> stream;
    const HRESULT hr = CreateStreamOnHGlobal(file.Global(), FALSE, &stream);
    if (FAILED(hr)) return hr;
    return OleLoadPicture(stream.Get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPictureDisp,
                          reinterpret_cast<void**>(picture.ReleaseAndGetAddressOf()));
}

// The type code of a bitmap the loader made from these bytes: "BM" is a Windows bitmap, "GIF" in
// any letter case a GIF, anything else a JPEG.
nvkPictureTypeEx BitmapType(std::span<const std::uint8_t> head) {
    if (head.size() >= 2 && head[0] == 'B' && head[1] == 'M') return nvkPteBMP;
    const auto upper = [](std::uint8_t c) { return c >= 'a' && c <= 'z' ? static_cast<std::uint8_t>(c - 'a' + 'A') : c; };
    if (head.size() >= 3 && upper(head[0]) == 'G' && upper(head[1]) == 'I' && upper(head[2]) == 'F') return nvkPteGIF;
    return nvkPteJPG;
}

// OLE_HANDLE carries the 32 significant bits of a GDI or user handle; widening sign-extends,
// as the system does for such handles in 64-bit code.
HANDLE HandleOf(OLE_HANDLE handle) {
    return LongToHandle(static_cast<LONG>(handle));
}

struct Info {
    LONG width = 0;
    LONG height = 0;
    LONG bpp = 0;
    nvkPictureTypeEx type = nvkPteNothing;
};

// Width, height and depth of the picture's bitmap (zeros when the handle cannot be read) with
// the type its file's first bytes give.
Info GetBitmapInfo(OLE_HANDLE handle, std::span<const std::uint8_t> head) {
    Info info;
    BITMAP bitmap{};
    if (GetObjectW(HandleOf(handle), sizeof bitmap, &bitmap) == sizeof bitmap) {
        info.width = bitmap.bmWidth;
        info.height = bitmap.bmHeight;
        info.bpp = bitmap.bmBitsPixel;
    }
    info.type = BitmapType(head);
    return info;
}

// Icon or cursor, by the flag of the icon's information. The two bitmaps that GetIconInfo makes
// are deleted. A handle that cannot be read counts as an icon, which the picture says it is.
nvkPictureTypeEx GetIconType(OLE_HANDLE handle) {
    ICONINFO icon{};
    if (!GetIconInfo(static_cast<HICON>(HandleOf(handle)), &icon)) return nvkPteICO;
    if (icon.hbmMask) DeleteObject(icon.hbmMask);
    if (icon.hbmColor) DeleteObject(icon.hbmColor);
    return icon.fIcon ? nvkPteICO : nvkPteCUR;
}

}  // namespace

bool CFileCommon::OfferedToTheLoader(std::span<const std::uint8_t> bytes) {
    // PNG: some versions of the loader take it, and it would come back as a JPEG instead of going
    // to the PNG reader. Photoshop documents: the loader reads none.
    if (IsPngSignature(bytes) || core::IsPsd(bytes)) return false;
    // A first word of 0 is how the loader tells icon and cursor files (it reads no other format that
    // starts so); one without a single image in its directory (the count at byte 4) is none it can
    // load. A true-colour Targa file usually starts so: 00 00 02 00 00 00.
    if (bytes.size() >= 6 && bytes[0] == 0 && bytes[1] == 0 && bytes[4] == 0 && bytes[5] == 0) return false;
    return !bytes.empty();
}

bool CFileCommon::Verify(const PictureFile& file) {
    verified_.Reset();
    verifiedSerial_ = 0;
    bool loaded = false;
    try {
        loaded = OfferedToTheLoader(file.Bytes()) && SUCCEEDED(LoadFromBytes(file, verified_)) && verified_;
    } catch (...) {
        loaded = false;
    }
    // A failed trial leaves nothing behind for a later error to be mistaken for.
    if (!loaded) {
        verified_.Reset();
        SetErrorInfo(0, nullptr);
        return false;
    }
    verifiedSerial_ = file.Serial();
    return true;
}

HRESULT CFileCommon::LoadPicture(const PictureFile& file, PictureInfo* info, IPictureDisp** picture) {
    if (!picture) return E_POINTER;
    *picture = nullptr;
    if (info) info->Clear();
    // The picture of the trial load of this very file is the one handed out: loaded once.
    if (verifiedSerial_ != file.Serial() && !Verify(file)) return S_OK;
    ComPtr<IPictureDisp> loaded = std::move(verified_);
    verifiedSerial_ = 0;

    ComPtr<IPicture> object;
    SHORT type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    if (SUCCEEDED(loaded.As(&object))) {
        object->get_Type(&type);
        object->get_Handle(&handle);
    }
    Info found;
    switch (type) {
        case PICTYPE_BITMAP:
            found = GetBitmapInfo(handle, file.Bytes());
            break;
        case PICTYPE_ENHMETAFILE:
            found = {-1, -1, -1, nvkPteEMF};
            break;
        case PICTYPE_ICON:
            found = {-1, -1, -1, GetIconType(handle)};
            break;
        case PICTYPE_METAFILE:
            found = {-1, -1, -1, nvkPteWMF};
            break;
        default:
            break;
    }
    if (info) info->SetInfo(found.width, found.height, found.bpp, found.type);
    *picture = loaded.Detach();
    return S_OK;
}

}  // namespace kelmor
