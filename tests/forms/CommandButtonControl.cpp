#include "CommandButtonControl.h"

#include <oleauto.h>

#include <vector>

namespace kelmor {
namespace {

// Gives `button` the push-button look of a default button or of an ordinary one.
void SetDefaultLook(HWND button, bool isDefault) {
    SendMessageW(button, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

}  // namespace

CommandButtonControl* CommandButtonControl::Attach(HWND button) {
    CommandButtonControl* control = DispatchObject::New<CommandButtonControl>();
    if (control) control->hwnd_ = button;
    return control;
}

UINT CommandButtonControl::Id() const { return static_cast<UINT>(GetDlgCtrlID(hwnd_)); }

bool CommandButtonControl::IsDefault() const {
    if (!IsWindow(hwnd_)) return false;
    LRESULT current = SendMessageW(GetParent(hwnd_), DM_GETDEFID, 0, 0);
    return HIWORD(current) == DC_HASDEFID && LOWORD(current) == Id();
}

HRESULT CommandButtonControl::get_Caption(BSTR* Value) {
    if (!Value) return E_POINTER;
    *Value = nullptr;
    return Guard([&]() -> HRESULT {
        int length = IsWindow(hwnd_) ? GetWindowTextLengthW(hwnd_) : 0;
        std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
        if (length > 0) length = GetWindowTextW(hwnd_, text.data(), length + 1);
        *Value = SysAllocStringLen(text.data(), static_cast<UINT>(length));
        return *Value ? S_OK : Raise(7);
    });
}

HRESULT CommandButtonControl::put_Caption(BSTR Value) {
    if (IsWindow(hwnd_)) SetWindowTextW(hwnd_, Value ? Value : L"");
    return S_OK;
}

HRESULT CommandButtonControl::get_Default(VARIANT_BOOL* Value) {
    if (!Value) return E_POINTER;
    *Value = IsDefault() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CommandButtonControl::put_Default(VARIANT_BOOL Value) {
    if (!IsWindow(hwnd_)) return S_OK;
    HWND form = GetParent(hwnd_);
    if (Value != VARIANT_FALSE) {
        LRESULT current = SendMessageW(form, DM_GETDEFID, 0, 0);
        if (HIWORD(current) == DC_HASDEFID && LOWORD(current) != Id()) {
            if (HWND previous = GetDlgItem(form, LOWORD(current))) SetDefaultLook(previous, false);
        }
        SendMessageW(form, DM_SETDEFID, Id(), 0);
        SetDefaultLook(hwnd_, true);
    } else if (IsDefault()) {
        // The form is left without a default button.
        SendMessageW(form, DM_SETDEFID, 0, 0);
        SetDefaultLook(hwnd_, false);
    }
    return S_OK;
}

HRESULT CommandButtonControl::get_hWnd(LONG* Value) {
    if (!Value) return E_POINTER;
    *Value = static_cast<LONG>(reinterpret_cast<LONG_PTR>(hwnd_));
    return S_OK;
}

}  // namespace kelmor
