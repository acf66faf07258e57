#include "AnsiText.h"

#include <climits>
#include <string_view>

namespace kelmor {
namespace {

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// A lone half of a surrogate pair is no character at all; no code page has a byte form for it
// (UTF-7 and GB18030 would otherwise carry it through unnoticed).
bool HasUnpairedSurrogate(const wchar_t* text, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            return true;
        }
    }
    return false;
}

// The pages whose conversions take no flags at all, WC_NO_BEST_FIT_CHARS included (ISO-2022,
// GB18030, ISCII, UTF-7, symbol); asking for it there fails with ERROR_INVALID_FLAGS.
bool TakesNoFlags(UINT codePage) {
    switch (codePage) {
        case 50220:
        case 50221:
        case 50222:
        case 50225:
        case 50227:
        case 50229:
        case 54936:
        case CP_UTF7:
        case CP_SYMBOL:
            return true;
        default:
            return codePage >= 57002 && codePage <= 57011;
    }
}

// The reason a conversion call failed: an untranslatable character, or else a code page (or
// flag) the system does not accept.
DWORD ConversionFailure() {
    return GetLastError() == ERROR_NO_UNICODE_TRANSLATION ? static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION)
                                                          : static_cast<DWORD>(ERROR_INVALID_PARAMETER);
}

// Whether `bytes` read back in `codePage` give exactly `text`.
bool ReadsBackAs(UINT codePage, const std::string& bytes, std::wstring_view text) {
    const int n = static_cast<int>(bytes.size());
    const int chars = MultiByteToWideChar(codePage, 0, bytes.data(), n, nullptr, 0);
    if (chars <= 0 || static_cast<std::size_t>(chars) != text.size()) return false;
    std::wstring back(static_cast<std::size_t>(chars), L'\0');
    return MultiByteToWideChar(codePage, 0, bytes.data(), n, back.data(), chars) == chars && back == text;
}

}  // namespace

DWORD ToAnsi(const wchar_t* text, std::size_t length, std::string& out, UINT codePage) {
    out.clear();
    if (length == 0) return ERROR_SUCCESS;
    if (length > INT_MAX / 4) return ERROR_INVALID_PARAMETER;
    if (HasUnpairedSurrogate(text, length)) return ERROR_NO_UNICODE_TRANSLATION;
    // The real page, so that a system whose ANSI (or OEM) page is UTF-8 is converted as UTF-8.
    if (codePage == CP_ACP) codePage = GetACP();
    if (codePage == CP_OEMCP) codePage = GetOEMCP();

    // Three ways to convert exactly:
    // - UTF-8 holds every valid text; the system accepts no best-fit flag and no default
    //   character there, only WC_ERR_INVALID_CHARS.
    // - Pages that take no flags cannot be told to avoid best fit, so the bytes are read back
    //   and must give the text unchanged; a look-alike or default character fails that test.
    // - Every other page converts with WC_NO_BEST_FIT_CHARS and reports a character it had to
    //   replace with its default character.
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = &usedDefault;
    const bool readBack = TakesNoFlags(codePage);
    if (codePage == CP_UTF8) {
        flags = WC_ERR_INVALID_CHARS;
        usedDefaultOut = nullptr;
    } else if (readBack) {
        flags = 0;
        usedDefaultOut = nullptr;
    }

    const int n = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(codePage, flags, text, n, nullptr, 0, nullptr, usedDefaultOut);
    if (bytes <= 0) return ConversionFailure();
    if (usedDefault) return ERROR_NO_UNICODE_TRANSLATION;
    out.resize(static_cast<std::size_t>(bytes));
    if (WideCharToMultiByte(codePage, flags, text, n, out.data(), bytes, nullptr, usedDefaultOut) != bytes) {
        const DWORD failure = ConversionFailure();
        out.clear();
        return failure;
    }
    if (usedDefault || (readBack && !ReadsBackAs(codePage, out, std::wstring_view(text, length)))) {
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
