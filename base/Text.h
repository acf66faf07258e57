// Small text helpers shared by every binary: BSTR and UTF-16 texts as std::wstring, and the text
// results of the support library.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "Owners.h"

namespace kelmor {

// The text of a BSTR (NULL is the empty text), embedded NULs included.
std::wstring FromBstr(BSTR text);

// A new BSTR of `text` in `out`; E_OUTOFMEMORY when it cannot be made.
HRESULT ToBstr(std::wstring_view text, BSTR* out);
// A new BSTR of `text` with its owner; an empty owner when it cannot be made.
UniqueBstr NewBstr(std::wstring_view text);

// Texts of the portable cores (UTF-16 as char16_t) and of the platform (wchar_t, UTF-16 too).
std::u16string U16(std::wstring_view text);
std::wstring Wide(std::u16string_view text);

// The text result of a support-library call: takes over `text`; on a negative `status` raises it
// (RaiseSupportStatus) from `source` and leaves `out` as it was.
HRESULT SupportText(LONG status, BSTR text, const std::wstring& source, std::wstring& out);

}  // namespace kelmor
