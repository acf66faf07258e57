// Number texts, numbers, texts and paths: adapters from the exported functions to the portable
// rules, plus the few that need the system (code pages, the file system).
#include "support.h"

#include <cstring>
#include <cwchar>

using namespace nksupport;
using namespace nksupport::win;

namespace {

// Shape of the functions that deliver one text made by a portable rule.
template <class Make>
LONG TextResult(BSTR* result, Make&& make) {
    if (!result) return kBadArgument;
    *result = nullptr;
    return Guarded([&]() -> LONG {
        std::u16string text;
        const Status status = make(text);
        if (status != Status::Ok) return ToStatus(status);
        return PutText(std::u16string_view(text), result);
    });
}

}  // namespace

extern "C" {

LONG __stdcall nkFormatLong(LONG value, BSTR* result) {
    return TextResult(result, [&](std::u16string& text) {
        text = FormatLong(value);
        return Status::Ok;
    });
}

LONG __stdcall nkFormatDouble(double value, BSTR* result) {
    return TextResult(result, [&](std::u16string& text) { return FormatDouble(value, text); });
}

LONG __stdcall nkFormatInt64(double value, BSTR* result) {
    return TextResult(result, [&](std::u16string& text) { return FormatInt64(value, text); });
}

LONG __stdcall nkFormatByteSize(double bytes, BSTR* result) {
    return TextResult(result, [&](std::u16string& text) { return FormatByteSize(bytes, text); });
}

LONG __stdcall nkFormatVersion(LONG major, LONG minor, LONG revision, BSTR* result) {
    return TextResult(result,
                      [&](std::u16string& text) { return FormatVersion(major, minor, revision, text); });
}

LONG __stdcall nkHexEx4(LONG value, BSTR* result) {
    return TextResult(result, [&](std::u16string& text) {
        text = HexEx4(value);
        return Status::Ok;
    });
}

LONG __stdcall nkGetErrorNumber(LONG number, BSTR* result) {
    return TextResult(result, [&](std::u16string& text) {
        text = FormatErrorNumber(number);
        return Status::Ok;
    });
}

LONG __stdcall nkMakeLong(LONG low, LONG high, LONG* result) {
    if (!result) return kBadArgument;
    *result = 0;
    std::int32_t value = 0;
    const Status status = MakeLong(low, high, value);
    if (status == Status::Ok) *result = value;
    return ToStatus(status);
}

LONG __stdcall nkLargeIntegerToDouble(LARGE_INTEGER count, double* result) {
    if (!result) return kBadArgument;
    *result = LargeIntegerToDouble(count.QuadPart);
    return kOk;
}

LONG __stdcall nkTrimEx(BSTR text, BSTR* result) {
    return TextResult(result, [&](std::u16string& out) {
        out = Trim(U16FromBstr(text));
        return Status::Ok;
    });
}

LONG __stdcall nkBuildFileName(BSTR folder, BSTR name, BSTR* result) {
    return TextResult(result, [&](std::u16string& out) {
        out = BuildFileName(U16FromBstr(folder), U16FromBstr(name));
        return Status::Ok;
    });
}

// The address is the caller's promise of a NUL-terminated text; NULL is refused.
LONG __stdcall nkGetStringFromPointerA(const void* address, BSTR* result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    if (!address) return kBadArgument;
    return Guarded([&]() -> LONG {
        const char* bytes = static_cast<const char*>(address);
        std::wstring text;
        if (const LONG status = FromCodePage(CP_ACP, std::string_view(bytes, std::strlen(bytes)), text);
            status != kOk) {
            return status;
        }
        return PutText(std::wstring_view(text), result);
    });
}

LONG __stdcall nkGetStringFromPointerW(const void* address, BSTR* result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    if (!address) return kBadArgument;
    return Guarded([&]() -> LONG {
        const wchar_t* text = static_cast<const wchar_t*>(address);
        return PutText(std::wstring_view(text, std::wcslen(text)), result);
    });
}

// Each character stands for one OEM byte as the ANSI code page decodes it (a line of an OEM
// file read as ANSI text). The bytes are taken back through the ANSI code page, read as OEM
// text, and the result must again be a text of the ANSI code page.
LONG __stdcall nkOemToAnsi(BSTR text, BSTR* result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    return Guarded([&]() -> LONG {
        std::string oemBytes;
        if (const LONG status = ToAnsi(FromBstr(text), oemBytes); status != kOk) return status;
        std::wstring converted;
        if (const LONG status = FromCodePage(CP_OEMCP, oemBytes, converted); status != kOk) return status;
        std::string check;
        if (const LONG status = ToAnsi(converted, check); status != kOk) return status;
        return PutText(std::wstring_view(converted), result);
    });
}

// True for an existing file; folders, wildcard patterns and unreachable paths give false.
LONG __stdcall nkIsFileExist(BSTR path, VARIANT_BOOL* result) {
    if (!result) return kBadArgument;
    *result = VARIANT_FALSE;
    return Guarded([&]() -> LONG {
        const std::wstring name = FromBstr(path);
        if (HasNul(name)) return kBadArgument;
        if (name.empty() || name.find_first_of(L"*?") != std::wstring::npos) return kOk;
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            *result = ToVariantBool((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0);
            return kOk;
        }
        // A file that another process holds open without sharing (a page file) refuses its
        // attributes but still shows in its folder's listing.
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW(name.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            *result = ToVariantBool((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0);
        }
        return kOk;
    });
}

// The long form of a path; a path the system cannot resolve (missing, no access) comes back
// as given, since the callers only show it.
LONG __stdcall nkGetLongFileName(BSTR path, BSTR* result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    return Guarded([&]() -> LONG {
        const std::wstring name = FromBstr(path);
        if (HasNul(name)) return kBadArgument;
        if (name.empty()) return PutText(std::wstring_view(), result);
        std::wstring longName;
        DWORD error = 0;
        if (!LongPath(name, longName, error)) {
            if (error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY) return E_OUTOFMEMORY;
            longName = name;
        }
        return PutText(std::wstring_view(longName), result);
    });
}

}  // extern "C"
