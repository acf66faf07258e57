// VARIANT values, BSTR results and UTF-8 texts of the Windows tests. The builders return owned values: the
// caller (or the call helper it hands them to) clears them.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "Text.h"

namespace kelmor::test {

inline VARIANT TextValue(const std::wstring& text) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return v;
}
inline VARIANT LongValue(LONG value) {
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}
inline VARIANT ShortValue(SHORT value) {
    VARIANT v;
    V_VT(&v) = VT_I2;
    V_I2(&v) = value;
    return v;
}
inline VARIANT DoubleValue(double value) {
    VARIANT v;
    V_VT(&v) = VT_R8;
    V_R8(&v) = value;
    return v;
}
// An optional argument left out.
inline VARIANT MissingValue() {
    VARIANT v;
    V_VT(&v) = VT_ERROR;
    V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
    return v;
}

using kelmor::FromBstr;

// Takes a BSTR result and frees it.
inline std::wstring Take(BSTR text) {
    std::wstring out = FromBstr(text);
    SysFreeString(text);
    return out;
}

inline std::string Utf8(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace kelmor::test
