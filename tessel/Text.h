// Conversions between the program's texts (std::wstring, UTF-16 on Windows), the portable
// core's (std::u16string) and automation texts (BSTR).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

#include "Owners.h"

namespace tessel {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows texts are UTF-16");

inline std::wstring W(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}
inline std::u16string U(std::wstring_view text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}
// A BSTR's text; a null BSTR is the empty text.
inline std::wstring FromBstr(BSTR text) {
    return std::wstring(text ? text : L"", SysStringLen(text));
}

// A new BSTR holding `text` (embedded NULs included); throws the runtime's out-of-memory error
// when it cannot be made.
kelmor::UniqueBstr MakeBstr(std::wstring_view text);

}  // namespace tessel
