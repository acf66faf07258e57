// The forms layer's text box: a COM object over a real edit control (interface TextBox) that
// raises KeyDown, GotFocus and LostFocus (dispatch interface TextBoxEvents) through its
// connection point, as any automation client sinks a control's events.
//
// KeyDown passes the key code and the shift mask (1 Shift, 2 Ctrl, 4 Alt) by reference: a key
// code set to 0 by a handler makes the edit control ignore the key; another value replaces it.
#pragma once

#include "ConnectionPoint.h"
#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class TextBoxControl final : public DispatchObject<::TextBox> {
public:
    // A new object for the edit control `edit` (one reference held by the caller), which it
    // subclasses; nullptr when out of memory.
    static TextBoxControl* Attach(HWND edit);

    HWND Handle() const { return hwnd_; }

    HRESULT STDMETHODCALLTYPE get_Text(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_Text(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_Locked(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_Locked(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_hWnd(LONG* Value) override;

protected:
    void* QueryOther(REFIID riid) override { return events_.Query(riid); }

private:
    friend class DispatchObject<::TextBox>;
    TextBoxControl();
    ~TextBoxControl() override;
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    void Detach();

    HWND hwnd_ = nullptr;
    EventConnections events_;
};

}  // namespace kelmor
