// A sink for a text box's events (KeyDown, GotFocus, LostFocus), connected through the control's
// connection point the way any automation client sinks a control's events. The event interface
// and its member ids are found from the control itself (its default source interface, or the
// connection point it offers), and the events are recognised by name, so any control that raises
// events of these names is served, whatever interface ids it uses.
//
// The sink is an object of its own (the control holds it); it calls its handler, which it does
// not own, until Disconnect.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include "EventSink.h"

namespace kelmor {

class TextBoxEventHandler {
public:
    // `keyCode` and `shift` may be changed: the control acts on the values left behind.
    virtual HRESULT OnKeyDown(SHORT* keyCode, SHORT* shift) = 0;
    virtual HRESULT OnGotFocus() = 0;
    virtual HRESULT OnLostFocus() = 0;

protected:
    ~TextBoxEventHandler() = default;
};

class TextBoxEventSink final : public EventSink {
public:
    // Connects a new sink for `handler` to the events of `control`. Fails with E_NOINTERFACE
    // when the control raises no events, or with the connection point's own failure.
    static HRESULT Connect(IDispatch* control, TextBoxEventHandler* handler,
                           Microsoft::WRL::ComPtr<TextBoxEventSink>* result);

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override;

private:
    TextBoxEventSink() = default;
    ~TextBoxEventSink() override = default;
    void ForgetHandler() override { handler_ = nullptr; }

    TextBoxEventHandler* handler_ = nullptr;
    DISPID keyDown_ = DISPID_KEYDOWN;
    DISPID gotFocus_ = 1;
    DISPID lostFocus_ = 2;
};

}  // namespace kelmor
