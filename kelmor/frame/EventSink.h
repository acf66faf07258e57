// Base of the library's event sinks: an object that receives a control's events through the
// control's connection point, the way any automation client sinks them. It answers IUnknown,
// IDispatch and the event interface it is connected for; the derived sink implements Invoke
// and forgets its handler when it is disconnected.
//
// The sink is an object of its own (the connection point holds a reference to it) and counts
// as a live object of the library while it exists.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>
#include <wrl/client.h>

namespace kelmor {

class EventSink : public IDispatch {
public:
    EventSink(const EventSink&) = delete;
    EventSink& operator=(const EventSink&) = delete;

    // Ends the connection and forgets the handler: no event is handled afterwards. Safe to call
    // twice.
    void Disconnect();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) final;
    ULONG STDMETHODCALLTYPE AddRef() final;
    ULONG STDMETHODCALLTYPE Release() final;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) final;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) final;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) final;

protected:
    EventSink();
    virtual ~EventSink();

    // Connects this sink to `container`'s connection point for the event interface `events`.
    HRESULT Advise(IConnectionPointContainer* container, REFIID events);
    // Called by Disconnect before the connection ends.
    virtual void ForgetHandler() = 0;

private:
    LONG refs_ = 1;
    IID events_ = IID_NULL;
    Microsoft::WRL::ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

}  // namespace kelmor
