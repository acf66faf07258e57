#include "CModuleEntry.h"

#include <NevkitSupport0100.h>

#include "ErrorInfo.h"
#include "Owners.h"
#include "Text.h"
#include "core/ModuleLine.h"

namespace kelmor {
namespace {

const wchar_t kSource[] = L"Kelmor0200.CModuleEntry";

std::u16string_view View(const std::wstring& s) { return {reinterpret_cast<const char16_t*>(s.data()), s.size()}; }

HRESULT HexText(LONG value, std::wstring* text) {
    UniqueBstr hex;
    const LONG status = nkHexEx4(value, hex.put());
    if (status < 0) return RaiseSupportStatus(status, kSource);
    *text = FromBstr(hex.get());
    return S_OK;
}

}  // namespace

HRESULT ModuleAddressText(LONG_PTR address, std::wstring* text) {
    if constexpr (sizeof(LONG_PTR) == sizeof(LONG)) {
        return HexText(static_cast<LONG>(address), text);
    } else {
        const auto bits = static_cast<ULONGLONG>(address);
        std::wstring high, low;
        HRESULT hr = HexText(static_cast<LONG>(static_cast<ULONG>(bits >> 32)), &high);
        if (FAILED(hr)) return hr;
        hr = HexText(static_cast<LONG>(static_cast<ULONG>(bits & 0xFFFFFFFFu)), &low);
        if (FAILED(hr)) return hr;
        *text = high + low.substr(low.size() >= 2 ? 2 : 0);  // without the second "0x"
        return S_OK;
    }
}

HRESULT CModuleEntry::toString(LONG NameSize, std::wstring* result) const {
    result->clear();
    std::wstring base, preferred, size;
    HRESULT hr = ModuleAddressText(BaseAddress, &base);
    if (FAILED(hr)) return hr;
    const bool atPreferred = BaseAddress == PrefferedAddress;
    if (!atPreferred) {
        hr = ModuleAddressText(PrefferedAddress, &preferred);
        if (FAILED(hr)) return hr;
    }
    UniqueBstr sizeText;
    const LONG status = nkFormatLong(BaseSize, sizeText.put());
    if (status < 0) return RaiseSupportStatus(status, kSource);
    size = FromBstr(sizeText.get());

    core::ModuleLineFields fields;
    fields.name = View(Name);
    fields.baseAddress = View(base);
    fields.preferredAddress = View(preferred);
    fields.atPreferredAddress = atPreferred;
    fields.size = View(size);
    fields.fileName = View(FileName);
    const std::u16string line = core::ModuleLine(fields, NameSize);
    result->assign(line.begin(), line.end());
    return S_OK;
}

}  // namespace kelmor
