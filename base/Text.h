// Small text helpers shared by every binary and by the tests: BSTR and UTF-16 texts as
// std::wstring (inline, so a test program that links nothing of the base can use them), and the
// text results of the support library.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "Owners.h"

namespace kelmor {

// A GUID in registry form, braces included: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
inline std::wstring GuidText(const GUID& guid) {
    wchar_t text[39] = {};
    StringFromGUID2(guid, text, 39);
    return text;
}

// The text of a BSTR (NULL is the empty text), embedded NULs included.
inline std::wstring FromBstr(BSTR text) { return std::wstring(text ? text : L"", SysStringLen(text)); }

// A new BSTR of `text` in `out`; E_OUTOFMEMORY when it cannot be made.
inline HRESULT ToBstr(std::wstring_view text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}
// A new BSTR of `text` with its owner; an empty owner when it cannot be made.
inline UniqueBstr NewBstr(std::wstring_view text) {
    return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

// Texts of the portable cores (UTF-16 as char16_t) and of the platform (wchar_t, UTF-16 too).
inline std::u16string U16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
inline std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// A text as a key compared without regard to letter case: upper case by the system's own table
// (no language's rules), which is how the ordinal comparison that ignores case and the automation
// name lookup of a language-neutral type library see it. Two texts are the same key when their
// keys are equal. ASCII letters are mapped here, other text by the system.
std::wstring CaseKey(std::wstring_view text);

// The text result of a support-library call: takes over `text`; on a negative `status` raises it
// (RaiseSupportStatus) from `source` and leaves `out` as it was.
HRESULT SupportText(LONG status, BSTR text, const std::wstring& source, std::wstring& out);

}  // namespace kelmor
