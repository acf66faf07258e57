#include "TabShownSink.h"

#include <oleauto.h>

#include <new>
#include <utility>

#include "Kelmor0200.h"
#include "Owners.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

// Member id of TabShown in __nvkTabControl.
constexpr DISPID kTabShown = 1;

}  // namespace

HRESULT TabShownSink::Connect(IUnknown* tabControl, Handler handler, ComPtr<TabShownSink>* sink) {
    sink->Reset();
    if (!tabControl) return E_POINTER;
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = tabControl->QueryInterface(IID_PPV_ARGS(&container));
    if (FAILED(hr)) return hr;
    ComPtr<TabShownSink> made;
    Adopt(made, new (std::nothrow) TabShownSink(std::move(handler)));
    if (!made) return E_OUTOFMEMORY;
    hr = made->Advise(container.Get(), DIID___nvkTabControl);
    if (FAILED(hr)) return hr;
    *sink = std::move(made);
    return S_OK;
}

HRESULT TabShownSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                             UINT* argErr) {
    if (id != kTabShown) return DISP_E_MEMBERNOTFOUND;
    if (!params || params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    VARIANT tab;
    VariantInit(&tab);
    if (FAILED(VariantChangeType(&tab, &params->rgvarg[0], 0, VT_I4))) {
        if (argErr) *argErr = 0;
        return DISP_E_TYPEMISMATCH;
    }
    // The handler may disconnect this sink: keep a copy for the call.
    if (Handler handler = handler_) handler(V_I4(&tab));
    return S_OK;
}

}  // namespace kelmor
