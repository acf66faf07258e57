#include "TabShownSink.h"

#include <oleauto.h>

#include <new>
#include <utility>

#include "Kelmor0200.h"
#include "Module.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

// Member id of TabShown in __nvkTabControl.
constexpr DISPID kTabShown = 1;

}  // namespace

TabShownSink::TabShownSink(Handler handler) : handler_(std::move(handler)) { Module::Lock(); }

TabShownSink::~TabShownSink() {
    Disconnect();
    Module::Unlock();
}

HRESULT TabShownSink::Connect(IUnknown* tabControl, Handler handler, ComPtr<TabShownSink>* sink) {
    sink->Reset();
    if (!tabControl) return E_POINTER;
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = tabControl->QueryInterface(IID_PPV_ARGS(&container));
    if (FAILED(hr)) return hr;
    ComPtr<IConnectionPoint> point;
    hr = container->FindConnectionPoint(DIID___nvkTabControl, &point);
    if (FAILED(hr)) return hr;
    ComPtr<TabShownSink> made;
    *made.ReleaseAndGetAddressOf() = new (std::nothrow) TabShownSink(std::move(handler));
    if (!made) return E_OUTOFMEMORY;
    hr = point->Advise(static_cast<IDispatch*>(made.Get()), &made->cookie_);
    if (FAILED(hr)) return hr;
    made->point_ = std::move(point);
    *sink = std::move(made);
    return S_OK;
}

void TabShownSink::Disconnect() {
    handler_ = nullptr;
    // The connection holds a reference to this sink: drop it last.
    if (ComPtr<IConnectionPoint> point = std::move(point_)) point->Unadvise(std::exchange(cookie_, 0));
}

HRESULT TabShownSink::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) && !IsEqualIID(riid, DIID___nvkTabControl))
        return E_NOINTERFACE;
    *ppv = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG TabShownSink::AddRef() { return InterlockedIncrement(&refs_); }

ULONG TabShownSink::Release() {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
}

HRESULT TabShownSink::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT TabShownSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT TabShownSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

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
