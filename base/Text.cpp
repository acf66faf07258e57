#include "Text.h"

#include "ErrorInfo.h"
#include "Owners.h"

namespace kelmor {

HRESULT SupportText(LONG status, BSTR text, const std::wstring& source, std::wstring& out) {
    UniqueBstr owned(text);
    if (status < 0) return RaiseSupportStatus(status, source);
    out = FromBstr(owned.get());
    return S_OK;
}

}  // namespace kelmor

namespace kelmor {

std::wstring CaseKey(std::wstring_view text) {
    std::wstring key(text);
    bool ascii = true;
    for (wchar_t& c : key) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
        else if (c >= 0x80) ascii = false;
    }
    if (ascii || key.size() > static_cast<size_t>(INT_MAX)) return key;
    // Upper case keeps the length (the system's table maps one unit to one unit).
    const int length = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()),
                                     key.data(), static_cast<int>(key.size()), nullptr, nullptr, 0);
    if (length > 0) key.resize(static_cast<size_t>(length));
    return key;
}

}  // namespace kelmor
