// Shared pieces of the DLL's functions (see support.h).
#include "support.h"

#include <climits>

namespace nksupport::win {

LONG LastErrorStatus() {
    return Win32Status(GetLastError());
}

std::wstring FromBstr(BSTR text) {
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

std::u16string ToU16(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

std::wstring ToWide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::u16string U16FromBstr(BSTR text) {
    return ToU16(FromBstr(text));
}

LONG PutText(std::wstring_view text, BSTR* result) {
    // A BSTR's length prefix counts bytes in 32 bits.
    if (text.size() > UINT_MAX / 2) return kOverflow;
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!copy) return E_OUTOFMEMORY;
    *result = copy;
    return kOk;
}

LONG PutText(std::u16string_view text, BSTR* result) {
    return PutText(ToWide(text), result);
}

LONG ModulePath(HMODULE module, std::wstring& path) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return LastErrorStatus();
        // A full buffer means the path was cut: try again with more room.
        if (length < buffer.size()) {
            buffer.resize(length);
            path = std::move(buffer);
            return kOk;
        }
        if (buffer.size() >= 0x10000) return Win32Status(ERROR_INSUFFICIENT_BUFFER);
        buffer.resize(buffer.size() * 2);
    }
}

bool LongPath(const std::wstring& path, std::wstring& longPath, DWORD& error) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetLongPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            error = GetLastError();
            return false;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            longPath = std::move(buffer);
            return true;
        }
        buffer.resize(length);  // the size it needs, its NUL included
    }
}

LONG ToAnsi(std::wstring_view text, std::string& bytes) {
    bytes.clear();
    if (text.empty()) return kOk;
    if (text.size() > INT_MAX) return kOverflow;
    const int length = static_cast<int>(text.size());
    const UINT codePage = GetACP();
    // UTF-8 holds every character; only an unpaired surrogate has no form there. The
    // used-default check is not available for it.
    const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    const int size = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return codePage == CP_UTF8 ? kBadArgument : LastErrorStatus();
    bytes.resize(static_cast<std::size_t>(size));
    BOOL usedDefault = FALSE;
    const int written = WideCharToMultiByte(codePage, flags, text.data(), length, bytes.data(), size, nullptr,
                                            codePage == CP_UTF8 ? nullptr : &usedDefault);
    if (written <= 0) {
        bytes.clear();
        return codePage == CP_UTF8 ? kBadArgument : LastErrorStatus();
    }
    if (usedDefault) {
        bytes.clear();
        return kBadArgument;
    }
    bytes.resize(static_cast<std::size_t>(written));
    return kOk;
}

LONG FromCodePage(UINT codePage, std::string_view bytes, std::wstring& text) {
    text.clear();
    if (bytes.empty()) return kOk;
    if (bytes.size() > INT_MAX) return kOverflow;
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    if (size <= 0) return LastErrorStatus();
    text.resize(static_cast<std::size_t>(size));
    const int written = MultiByteToWideChar(codePage, 0, bytes.data(), length, text.data(), size);
    if (written <= 0) {
        text.clear();
        return LastErrorStatus();
    }
    text.resize(static_cast<std::size_t>(written));
    return kOk;
}

LONG MakePicture(const PICTDESC& description, IPictureDisp** result) {
    PICTDESC copy = description;
    IPictureDisp* picture = nullptr;
    const HRESULT hr =
        OleCreatePictureIndirect(&copy, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(&picture));
    if (FAILED(hr)) return hr;
    if (!picture) return E_UNEXPECTED;
    *result = picture;
    return kOk;
}

}  // namespace nksupport::win
