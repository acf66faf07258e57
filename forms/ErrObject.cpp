#include "ErrObject.h"

#include <oleauto.h>
#include <wrl/client.h>

#include "ErrorInfo.h"
#include "Owners.h"
#include "Text.h"
#include "core/RuntimeErrors.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

bool Omitted(const VARIANT* v) {
    return !v || V_VT(v) == VT_EMPTY || (V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND);
}

// An optional argument of Raise as the type of its field; false when it cannot be converted.
bool Convert(const VARIANT* v, VARTYPE type, UniqueVariant& out) {
    return SUCCEEDED(VariantChangeType(out.put(), const_cast<VARIANT*>(v), 0, type));
}

}  // namespace

ErrObject* ErrObject::New() { return DispatchObject::New<ErrObject>(); }

ErrObject* ErrObject::FromFailure(HRESULT hr, const std::wstring& source) {
    ErrObject* error = New();
    if (!error) return nullptr;
    const LONG runtimeNumber = core::RuntimeErrorNumber(static_cast<std::uint32_t>(hr));
    error->number_ = runtimeNumber ? runtimeNumber : hr;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        UniqueBstr text;
        if (SUCCEEDED(info->GetSource(text.put()))) error->source_ = FromBstr(text.get());
        if (SUCCEEDED(info->GetDescription(text.put()))) error->description_ = FromBstr(text.get());
        if (SUCCEEDED(info->GetHelpFile(text.put()))) error->helpFile_ = FromBstr(text.get());
        DWORD context = 0;
        if (SUCCEEDED(info->GetHelpContext(&context))) error->helpContext_ = static_cast<LONG>(context);
    } else if (runtimeNumber) {
        const std::u16string_view standard = core::RuntimeErrorText(runtimeNumber);
        error->description_.assign(standard.begin(), standard.end());
    } else {
        error->description_ = SystemMessageText(hr);
    }
    if (error->source_.empty()) error->source_ = source;
    return error;
}

HRESULT ErrObject::get_Number(LONG* Value) {
    if (!Value) return E_POINTER;
    *Value = number_;
    return S_OK;
}
HRESULT ErrObject::put_Number(LONG Value) {
    number_ = Value;
    return S_OK;
}
HRESULT ErrObject::get_Source(BSTR* Value) { return ToBstr(source_, Value); }
HRESULT ErrObject::put_Source(BSTR Value) {
    return Guard([&] {
        source_ = FromBstr(Value);
        return S_OK;
    });
}
HRESULT ErrObject::get_Description(BSTR* Value) { return ToBstr(description_, Value); }
HRESULT ErrObject::put_Description(BSTR Value) {
    return Guard([&] {
        description_ = FromBstr(Value);
        return S_OK;
    });
}
HRESULT ErrObject::get_HelpFile(BSTR* Value) { return ToBstr(helpFile_, Value); }
HRESULT ErrObject::put_HelpFile(BSTR Value) {
    return Guard([&] {
        helpFile_ = FromBstr(Value);
        return S_OK;
    });
}
HRESULT ErrObject::get_HelpContext(LONG* Value) {
    if (!Value) return E_POINTER;
    *Value = helpContext_;
    return S_OK;
}
HRESULT ErrObject::put_HelpContext(LONG Value) {
    helpContext_ = Value;
    return S_OK;
}

HRESULT ErrObject::Raise(LONG Number, VARIANT* Source, VARIANT* Description, VARIANT* HelpFile,
                         VARIANT* HelpContext) {
    return Guard([&]() -> HRESULT {
        // Error 0 is no error to raise; a positive number beyond the runtime's range has no code.
        if (Number == 0 || Number > 0xFFFF) return DispatchObject::Raise(5);
        UniqueVariant value;
        if (!Omitted(Source)) {
            if (!Convert(Source, VT_BSTR, value)) return DispatchObject::Raise(13);
            source_ = FromBstr(V_BSTR(value.get()));
        }
        if (!Omitted(Description)) {
            if (!Convert(Description, VT_BSTR, value)) return DispatchObject::Raise(13);
            description_ = FromBstr(V_BSTR(value.get()));
        }
        if (!Omitted(HelpFile)) {
            if (!Convert(HelpFile, VT_BSTR, value)) return DispatchObject::Raise(13);
            helpFile_ = FromBstr(V_BSTR(value.get()));
        }
        if (!Omitted(HelpContext)) {
            if (!Convert(HelpContext, VT_I4, value)) return DispatchObject::Raise(13);
            helpContext_ = V_I4(value.get());
        }
        number_ = Number;
        RaisedError e;
        e.number = Number;
        e.source = source_;
        e.description = description_;
        e.helpFile = helpFile_;
        e.helpContext = static_cast<DWORD>(helpContext_);
        const HRESULT raised = RaiseError(e);
        // A runtime error number travels as 0x800A0000 + n; a failure code as itself.
        return Number > 0 ? raised : static_cast<HRESULT>(Number);
    });
}

HRESULT ErrObject::Clear() {
    number_ = 0;
    helpContext_ = 0;
    source_.clear();
    description_.clear();
    helpFile_.clear();
    return S_OK;
}

HRESULT ErrObject::get_LastDllError(LONG* Value) {
    if (!Value) return E_POINTER;
    *Value = 0;
    return S_OK;
}

}  // namespace kelmor
