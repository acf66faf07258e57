#include "AnsiText.h"

#include <climits>

namespace kelmor {

DWORD ToAnsi(const wchar_t* text, std::size_t length, std::string& out) {
    out.clear();
    if (length == 0) return ERROR_SUCCESS;
    if (length > INT_MAX / 4) return ERROR_INVALID_PARAMETER;
    const UINT codePage = GetACP();
    // With a UTF-8 code page every valid text fits; best-fit and default characters do not
    // apply there, an unpaired surrogate is the only failure.
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int n = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(codePage, flags, text, n, nullptr, 0, nullptr, usedDefaultOut);
    if (bytes <= 0) return ERROR_NO_UNICODE_TRANSLATION;
    if (usedDefault) return ERROR_NO_UNICODE_TRANSLATION;
    out.resize(static_cast<std::size_t>(bytes));
    if (WideCharToMultiByte(codePage, flags, text, n, out.data(), bytes, nullptr, usedDefaultOut) != bytes ||
        usedDefault) {
        out.clear();
        return ERROR_NO_UNICODE_TRANSLATION;
    }
    return ERROR_SUCCESS;
}

DWORD NameToAnsi(BSTR name, std::string& out) {
    const UINT length = SysStringLen(name);
    for (UINT i = 0; i < length; ++i) {
        if (name[i] == L'\0') {
            out.clear();
            return ERROR_INVALID_PARAMETER;
        }
    }
    return ToAnsi(name, length, out);
}

BSTR AnsiToBstr(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX / 2) return SysAllocStringLen(L"", 0);
    const auto* text = reinterpret_cast<const char*>(bytes.data());
    const int n = static_cast<int>(bytes.size());
    const int chars = MultiByteToWideChar(CP_ACP, 0, text, n, nullptr, 0);
    if (chars <= 0) return SysAllocStringLen(L"", 0);
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(chars));
    if (result) MultiByteToWideChar(CP_ACP, 0, text, n, result, chars);
    return result;
}

}  // namespace kelmor
