#include "CFileCommon.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <array>
#include <cstdint>

#include "ErrorInfo.h"
#include "Kelmor0200.h"
#include "Owners.h"
#include "PictureInfo.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

constexpr std::array<BYTE, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A whole file in movable global memory, as OleLoadPicture reads it through a stream, and its
// first bytes for telling the formats apart. The file is read here with the wide file API
// rather than given to OleLoadPicturePath: any name the system opens works (no URL parsing, no
// full path needed), and the bytes that are typed are the very bytes that were loaded.
class FileImage {
public:
    FileImage() = default;
    ~FileImage() {
        if (memory_) GlobalFree(memory_);
    }
    FileImage(const FileImage&) = delete;
    FileImage& operator=(const FileImage&) = delete;

    HRESULT Read(const std::wstring& fileName) {
        HANDLE raw = CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (raw == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
        UniqueHandle file(raw);
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file.get(), &size)) return HRESULT_FROM_WIN32(GetLastError());
        // The loader takes the length as a signed 32-bit value; nothing larger is a picture it reads.
        if (size.QuadPart <= 0 || size.QuadPart > MAXLONG) return CTL_E_INVALIDPICTURE;
        memory_ = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(size.QuadPart));
        if (!memory_) return E_OUTOFMEMORY;
        auto* bytes = static_cast<BYTE*>(GlobalLock(memory_));
        if (!bytes) return HRESULT_FROM_WIN32(GetLastError());
        DWORD total = 0;
        const auto wanted = static_cast<DWORD>(size.QuadPart);
        HRESULT hr = S_OK;
        while (total < wanted) {
            DWORD read = 0;
            if (!ReadFile(file.get(), bytes + total, wanted - total, &read, nullptr)) {
                hr = HRESULT_FROM_WIN32(GetLastError());
                break;
            }
            if (read == 0) break;  // the file became shorter since its size was read
            total += read;
        }
        length_ = total;
        for (size_t i = 0; i < head_.size() && i < length_; ++i) head_[i] = bytes[i];
        GlobalUnlock(memory_);
        return hr;
    }

    // The loader's picture over the bytes read. The stream takes the memory over.
    HRESULT Load(ComPtr<IPictureDisp>& picture) {
        ComPtr<IStream> stream;
        HRESULT hr = CreateStreamOnHGlobal(memory_, TRUE, &stream);
        if (FAILED(hr)) return hr;
        memory_ = nullptr;
        ULARGE_INTEGER length{};
        length.QuadPart = length_;
        hr = stream->SetSize(length);  // only the bytes actually read
        if (FAILED(hr)) return hr;
        return OleLoadPicture(stream.Get(), static_cast<LONG>(length_), FALSE, IID_IPictureDisp,
                              reinterpret_cast<void**>(picture.ReleaseAndGetAddressOf()));
    }

    bool StartsWith(const BYTE* prefix, size_t count) const {
        if (length_ < count || count > head_.size()) return false;
        for (size_t i = 0; i < count; ++i) {
            if (head_[i] != prefix[i]) return false;
        }
        return true;
    }
    bool IsPng() const { return StartsWith(kPngSignature.data(), kPngSignature.size()); }

    // The type code of a bitmap the loader made from these bytes: "BM" is a Windows bitmap,
    // "GIF" in any letter case a GIF, anything else a JPEG.
    nvkPictureTypeEx BitmapType() const {
        if (length_ >= 2 && head_[0] == 'B' && head_[1] == 'M') return nvkPteBMP;
        const auto upper = [](BYTE c) { return c >= 'a' && c <= 'z' ? static_cast<BYTE>(c - 'a' + 'A') : c; };
        if (length_ >= 3 && upper(head_[0]) == 'G' && upper(head_[1]) == 'I' && upper(head_[2]) == 'F') {
            return nvkPteGIF;
        }
        return nvkPteJPG;
    }

private:
    HGLOBAL memory_ = nullptr;
    DWORD length_ = 0;
    std::array<BYTE, 8> head_{};
};

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
Info GetBitmapInfo(OLE_HANDLE handle, const FileImage& file) {
    Info info;
    BITMAP bitmap{};
    if (GetObjectW(HandleOf(handle), sizeof bitmap, &bitmap) == sizeof bitmap) {
        info.width = bitmap.bmWidth;
        info.height = bitmap.bmHeight;
        info.bpp = bitmap.bmBitsPixel;
    }
    info.type = file.BitmapType();
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

bool CFileCommon::Verify(const std::wstring& fileName) {
    bool loaded = false;
    try {
        FileImage file;
        ComPtr<IPictureDisp> picture;
        loaded = SUCCEEDED(file.Read(fileName)) && !file.IsPng() && SUCCEEDED(file.Load(picture)) && picture;
    } catch (...) {
        loaded = false;
    }
    // A failed trial leaves nothing behind for a later error to be mistaken for.
    if (!loaded) SetErrorInfo(0, nullptr);
    return loaded;
}

HRESULT CFileCommon::LoadPicture(const std::wstring& fileName, PictureInfo* info, IPictureDisp** picture) {
    if (!picture) return E_POINTER;
    *picture = nullptr;
    if (info) info->Clear();
    if (!Verify(fileName)) return S_OK;

    FileImage file;
    ComPtr<IPictureDisp> loaded;
    SetErrorInfo(0, nullptr);
    HRESULT hr = file.Read(fileName);
    if (SUCCEEDED(hr)) hr = file.Load(loaded);
    if (SUCCEEDED(hr) && !loaded) hr = CTL_E_INVALIDPICTURE;
    // Passed on as an error of nvkMain.LoadPictureEx, the one public way here.
    if (FAILED(hr)) return PassOnError(hr, ErrorSourceOf(__uuidof(_nvkMain)));

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
            found = GetBitmapInfo(handle, file);
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
