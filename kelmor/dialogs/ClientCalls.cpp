#include "ClientCalls.h"

#include <dispex.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "ErrorInfo.h"
#include "Owners.h"
#include "core/RuntimeErrors.h"

namespace kelmor::late {
namespace {

// The error an object raised inside Invoke, raised again for our caller with its number, text
// and source.
HRESULT RaiseFromException(EXCEPINFO& excep, const std::wstring& source) {
    if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
    RaisedError e;
    e.number = excep.wCode != 0 ? excep.wCode : core::RuntimeErrorNumber(static_cast<std::uint32_t>(excep.scode));
    e.source = excep.bstrSource ? excep.bstrSource : source;
    if (excep.bstrDescription) e.description = excep.bstrDescription;
    if (excep.bstrHelpFile) e.helpFile = excep.bstrHelpFile;
    e.helpContext = excep.dwHelpContext;
    const HRESULT scode = excep.scode;
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    if (e.number != 0) return RaiseError(e);
    // A failure of another kind than a runtime error keeps its code, with the object's text.
    RaiseError(e);
    return FAILED(scode) ? scode : E_FAIL;
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
    BSTR text = SysAllocString(name);
    if (!text) return E_OUTOFMEMORY;
    hr = ex->GetDispID(text, fdexNameCaseInsensitive, id);
    SysFreeString(text);
    return hr;
}

HRESULT Invoke(IDispatch* object, const wchar_t* name, WORD flags, DISPPARAMS& params, VARIANT* result,
               const std::wstring& source) {
    if (!object) return RaiseError(91, source);
    // Error information left on the thread by an earlier call must not be taken for this call's.
    SetErrorInfo(0, nullptr);
    DISPID id = DISPID_VALUE;
    EXCEPINFO excep{};
    if (name) {
        HRESULT hr = IdOf(object, name, &id);
        if (FAILED(hr)) return RaiseCallFailure(hr, excep, source);
    }
    UINT argErr = 0;
    HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &excep, &argErr);
    if (FAILED(hr)) {
        if (result) VariantClear(result);
        return RaiseCallFailure(hr, excep, source);
    }
    return S_OK;
}

}  // namespace

HRESULT CallMethod(IDispatch* object, const wchar_t* name, const std::wstring& source) {
    DISPPARAMS none{};
    return Invoke(object, name, DISPATCH_METHOD, none, nullptr, source);
}

HRESULT PutProperty(IDispatch* object, const wchar_t* name, VARIANT value, const std::wstring& source) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    return Invoke(object, name, DISPATCH_PROPERTYPUT, params, nullptr, source);
}

HRESULT GetLong(IDispatch* object, const wchar_t* name, LONG* result, const std::wstring& source) {
    *result = 0;
    UniqueVariant value;
    DISPPARAMS none{};
    HRESULT hr = Invoke(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, none, value.get(), source);
    if (FAILED(hr)) return hr;
    UniqueVariant number;
    hr = VariantChangeType(number.get(), value.get(), 0, VT_I4);
    if (hr == DISP_E_OVERFLOW) return RaiseError(6, source);
    if (FAILED(hr)) return RaiseError(13, source);
    *result = V_I4(number.get());
    return S_OK;
}

HRESULT GetDefaultItem(IDispatch* object, LONG index, VARIANT* result, const std::wstring& source) {
    VariantInit(result);
    VARIANT arg;
    V_VT(&arg) = VT_I4;
    V_I4(&arg) = index;
    DISPPARAMS params{&arg, nullptr, 1, 0};
    return Invoke(object, nullptr, DISPATCH_PROPERTYGET | DISPATCH_METHOD, params, result, source);
}

}  // namespace kelmor::late
