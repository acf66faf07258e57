#include "LateBound.h"

#include <oleauto.h>

#include "ErrorInfo.h"
#include "core/RuntimeErrors.h"

namespace kelmor {
namespace {

// The error an object raised inside Invoke, raised again for our caller with its number, text
// and source.
HRESULT RaiseFromException(EXCEPINFO& excep, const std::wstring& source) {
    if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
    RaisedError e;
    if (excep.wCode != 0) {
        e.number = excep.wCode;
    } else {
        e.number = core::RuntimeErrorNumber(static_cast<std::uint32_t>(excep.scode));
    }
    e.source = excep.bstrSource ? excep.bstrSource : source;
    if (excep.bstrDescription) e.description = excep.bstrDescription;
    if (excep.bstrHelpFile) e.helpFile = excep.bstrHelpFile;
    e.helpContext = excep.dwHelpContext;
    const HRESULT scode = excep.scode;
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    if (e.number != 0) return RaiseError(e);
    // A failure code of another kind than a runtime error: keep the code, with the text.
    RaiseError(e);
    return FAILED(scode) ? scode : E_FAIL;
}

}  // namespace

HRESULT GetPropertyByName(IDispatch* object, const wchar_t* name, VARIANT* result,
                          const std::wstring& source) {
    VariantInit(result);
    if (!object) return RaiseError(91, source);
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (hr == DISP_E_UNKNOWNNAME || hr == DISP_E_MEMBERNOTFOUND) return RaiseError(438, source);
    if (FAILED(hr)) return PassOnError(hr, source);
    DISPPARAMS none{};
    EXCEPINFO excep{};
    UINT argErr = 0;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none,
                        result, &excep, &argErr);
    if (hr == DISP_E_EXCEPTION) return RaiseFromException(excep, source);
    if (hr == DISP_E_MEMBERNOTFOUND) return RaiseError(438, source);
    if (FAILED(hr)) {
        VariantClear(result);
        return PassOnError(hr, source);
    }
    return S_OK;
}

}  // namespace kelmor
