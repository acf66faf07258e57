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
