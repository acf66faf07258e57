#include "LateBound.h"

#include <dispex.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <vector>

#include "ErrorInfo.h"
#include "Owners.h"
#include "core/RuntimeErrors.h"

namespace kelmor::late {
namespace {

// The error an object raised inside Invoke, raised again for our caller with its number, text
// and source; a failure that is no runtime error keeps its own code.
HRESULT RaiseFromException(EXCEPINFO& excep, const std::wstring& source) {
    if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
    UniqueBstr objectSource(excep.bstrSource), description(excep.bstrDescription), helpFile(excep.bstrHelpFile);
    RaisedError e;
    e.number = excep.wCode != 0 ? excep.wCode : core::RuntimeErrorNumber(static_cast<std::uint32_t>(excep.scode));
    e.source = objectSource ? objectSource.get() : source;
    if (description) e.description = description.get();
    if (helpFile) e.helpFile = helpFile.get();
    e.helpContext = excep.dwHelpContext;
    if (e.number != 0) return RaiseError(e);
    return RaiseHResult(FAILED(excep.scode) ? excep.scode : E_FAIL, e);
}

// What a late-binding client raises for a failed call.
HRESULT RaiseCallFailure(HRESULT hr, EXCEPINFO& excep, const std::wstring& source) {
    switch (hr) {
    case DISP_E_EXCEPTION: return RaiseFromException(excep, source);
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND: return RaiseError(438, source);
    case DISP_E_TYPEMISMATCH: return RaiseError(13, source);
    case DISP_E_PARAMNOTOPTIONAL: return RaiseError(449, source);
    case DISP_E_BADPARAMCOUNT: return RaiseError(450, source);
    case DISP_E_OVERFLOW: return RaiseError(6, source);
    default: return PassOnError(hr, source);
    }
}

// The member id of `name`. Some objects answer names only through IDispatchEx (Wine's script
// engine leaves IDispatch::GetIDsOfNames of its class objects unimplemented): they are asked
// that way when the plain question is refused as not implemented.
HRESULT IdOf(IDispatch* object, const wchar_t* name, DISPID* id) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
    if (hr != E_NOTIMPL) return hr;
    Microsoft::WRL::ComPtr<IDispatchEx> ex;
    if (FAILED(object->QueryInterface(__uuidof(IDispatchEx), reinterpret_cast<void**>(ex.GetAddressOf())))) return hr;
    UniqueBstr text(SysAllocString(name));
    if (!text) return E_OUTOFMEMORY;
    return ex->GetDispID(text.get(), fdexNameCaseInsensitive, id);
}

}  // namespace

HRESULT Call(IDispatch* object, const wchar_t* name, WORD kind, std::span<VARIANT> args, VARIANT* result,
             const std::wstring& source) {
    if (result) VariantInit(result);
    if (!object) return RaiseError(91, source);
    // Error information left on the thread by an earlier call must not be taken for this call's.
    SetErrorInfo(0, nullptr);
    DISPID id = DISPID_VALUE;
    EXCEPINFO excep{};
    if (name) {
        HRESULT hr = IdOf(object, name, &id);
        if (FAILED(hr)) return RaiseCallFailure(hr, excep, source);
    }
    // Arguments travel last first; an assigned value is the named argument DISPID_PROPERTYPUT.
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    const bool put = (kind & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (put) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    if (kind == DISPATCH_PROPERTYGET) kind |= DISPATCH_METHOD;
    UniqueVariant ignored;
    VARIANT* answer = put ? nullptr : (result ? result : ignored.get());
    UINT argErr = 0;
    HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, answer, &excep, &argErr);
    if (FAILED(hr)) {
        if (result) VariantClear(result);
        return RaiseCallFailure(hr, excep, source);
    }
    return S_OK;
}

HRESULT CallMethod(IDispatch* object, const wchar_t* name, const std::wstring& source) {
    return Call(object, name, DISPATCH_METHOD, {}, nullptr, source);
}

HRESULT PutProperty(IDispatch* object, const wchar_t* name, VARIANT value, const std::wstring& source) {
    return Call(object, name, DISPATCH_PROPERTYPUT, std::span<VARIANT>(&value, 1), nullptr, source);
}

HRESULT GetProperty(IDispatch* object, const wchar_t* name, VARIANT* result, const std::wstring& source) {
    return Call(object, name, DISPATCH_PROPERTYGET, {}, result, source);
}

HRESULT GetLong(IDispatch* object, const wchar_t* name, LONG* result, const std::wstring& source) {
    *result = 0;
    UniqueVariant value;
    HRESULT hr = GetProperty(object, name, value.get(), source);
    if (FAILED(hr)) return hr;
    UniqueVariant number;
    hr = VariantChangeType(number.get(), value.get(), 0, VT_I4);
    if (hr == DISP_E_OVERFLOW) return RaiseError(6, source);
    if (FAILED(hr)) return RaiseError(13, source);
    *result = V_I4(number.get());
    return S_OK;
}

HRESULT GetDefaultItem(IDispatch* object, LONG index, VARIANT* result, const std::wstring& source) {
    VARIANT arg;
    V_VT(&arg) = VT_I4;
    V_I4(&arg) = index;
    return Call(object, nullptr, DISPATCH_PROPERTYGET, std::span<VARIANT>(&arg, 1), result, source);
}

}  // namespace kelmor::late
