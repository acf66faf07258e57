#include "CommandLineParser.h"

#include <oleauto.h>

#include "NevkitSupport0100.h"
#include "Owners.h"
#include "core/CommandLineSplit.h"

namespace kelmor {
namespace {

std::u16string_view View(BSTR text) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(text ? text : L""), SysStringLen(text));
}

HRESULT ToBstr(std::u16string_view text, BSTR* out) {
    *out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

HRESULT CommandLineParser::CreateInstance(REFIID riid, void** ppv) { return Create<CommandLineParser>(riid, ppv); }

HRESULT CommandLineParser::FromProcess(_CommandLineParser** parser) {
    if (!parser) return E_POINTER;
    *parser = nullptr;
    CommandLineParser* created = New<CommandLineParser>();
    if (!created) return E_OUTOFMEMORY;
    HRESULT hr = created->Guard([&]() -> HRESULT {
        BSTR line = nullptr;
        const LONG status = nkGetStringFromPointerW(GetCommandLineW(), &line);
        UniqueBstr owned(line);
        if (status < 0) return created->SupportFailure(status);
        return created->SetNewCommandLine(owned.get(), VARIANT_FALSE);
    });
    if (SUCCEEDED(hr)) {
        *parser = created;
    } else {
        created->Release();
    }
    return hr;
}

HRESULT CommandLineParser::SupportFailure(LONG status) const {
    return RaiseSupportStatus(status, ErrorSourceOf(__uuidof(_CommandLineParser)));
}

HRESULT CommandLineParser::get_Count(LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = items_.empty() ? 0 : static_cast<LONG>(items_.size() - 1);
    return S_OK;
}

HRESULT CommandLineParser::get_Item(LONG Index, BSTR* Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    return Guard([&]() -> HRESULT {
        if (Index < -1) return Raise(9);
        // Without any item the program name still answers, from the running program.
        if (items_.empty() && Index == -1) {
            const LONG status = nkGetEXEModulePrettyFileName(Result);
            return status < 0 ? SupportFailure(status) : S_OK;
        }
        const size_t position = static_cast<size_t>(Index) + 1;
        if (position >= items_.size()) return Raise(9);
        return ToBstr(items_[position], Result);
    });
}

HRESULT CommandLineParser::SetNewCommandLine(BSTR NewCommandLine, VARIANT_BOOL AddDummyEXEModuleName) {
    return Guard([&]() -> HRESULT {
        std::vector<std::u16string> items;
        HRESULT failure = S_OK;
        // A text of arguments only gets the running program's name in front, so that the
        // indexes mean the same as for a whole command line.
        if (AddDummyEXEModuleName != VARIANT_FALSE) {
            BSTR name = nullptr;
            const LONG status = nkGetEXEModulePrettyFileName(&name);
            UniqueBstr owned(name);
            if (status < 0) failure = SupportFailure(status);
            else items.emplace_back(View(owned.get()));
        }
        if (SUCCEEDED(failure)) {
            const auto trim = [&](std::u16string_view text, std::u16string& trimmed) {
                UniqueBstr in(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                                static_cast<UINT>(text.size())));
                if (!in) throw std::bad_alloc();
                BSTR out = nullptr;
                const LONG status = nkTrimEx(in.get(), &out);
                UniqueBstr owned(out);
                if (status < 0) {
                    failure = SupportFailure(status);
                    return false;
                }
                trimmed.assign(View(owned.get()));
                return true;
            };
            core::SplitCommandLine(View(NewCommandLine), trim, items);
        }
        // The list is replaced as a whole, also by what was split before a failure.
        items_ = std::move(items);
        return failure;
    });
}

}  // namespace kelmor
