#include "Text.h"

#include "ErrorInfo.h"
#include "Owners.h"

namespace kelmor {

std::wstring FromBstr(BSTR text) { return std::wstring(text ? text : L"", SysStringLen(text)); }

HRESULT ToBstr(std::wstring_view text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

UniqueBstr NewBstr(std::wstring_view text) {
    return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

std::u16string U16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

HRESULT SupportText(LONG status, BSTR text, const std::wstring& source, std::wstring& out) {
    UniqueBstr owned(text);
    if (status < 0) return RaiseSupportStatus(status, source);
    out = FromBstr(owned.get());
    return S_OK;
}

}  // namespace kelmor
