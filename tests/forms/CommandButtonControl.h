// The forms layer's command button: a COM object over a real push button (interface
// CommandButton). Default makes it the button that Enter presses on its form: the form's previous
// default button loses the role (and its heavy border), as only one button of a form has it.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class CommandButtonControl final : public DispatchObject<::CommandButton> {
public:
    // A new object for the push button `button` (one reference held by the caller); nullptr
    // when out of memory.
    static CommandButtonControl* Attach(HWND button);

    HWND Handle() const { return hwnd_; }

    HRESULT STDMETHODCALLTYPE get_Caption(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_Caption(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_Default(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_Default(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_hWnd(LONG* Value) override;

private:
    friend class DispatchObject<::CommandButton>;
    CommandButtonControl() = default;
    // The button's control id, and whether its form names it as the default button.
    UINT Id() const;
    bool IsDefault() const;

    HWND hwnd_ = nullptr;
};

}  // namespace kelmor
