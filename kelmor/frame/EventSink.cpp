#include "EventSink.h"

#include <utility>

#include "Module.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {

EventSink::EventSink() { Module::Lock(); }

EventSink::~EventSink() { Module::Unlock(); }

HRESULT EventSink::Advise(IConnectionPointContainer* container, REFIID events) {
    events_ = events;
    ComPtr<IConnectionPoint> point;
    HRESULT hr = container->FindConnectionPoint(events, &point);
    if (FAILED(hr)) return hr;
    hr = point->Advise(static_cast<IDispatch*>(this), &cookie_);
    if (FAILED(hr)) return hr;
    point_ = std::move(point);
    return S_OK;
}

void EventSink::Disconnect() {
    ForgetHandler();
    // The connection holds a reference to this sink: it is dropped last.
    if (ComPtr<IConnectionPoint> point = std::move(point_)) point->Unadvise(std::exchange(cookie_, 0));
}

HRESULT EventSink::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        (!IsEqualIID(events_, IID_NULL) && IsEqualIID(riid, events_))) {
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

ULONG EventSink::AddRef() { return InterlockedIncrement(&refs_); }

ULONG EventSink::Release() {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
}

HRESULT EventSink::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

}  // namespace kelmor
