#include "TextBoxControl.h"

#include <commctrl.h>
#include <olectl.h>
#include <oleauto.h>

#include <vector>

#include "Keys.h"

namespace kelmor {
namespace {

constexpr UINT_PTR kSubclassId = 0x4B544258;  // one subclass per edit control
// Member ids of TextBoxEvents.
constexpr DISPID kGotFocus = 1;
constexpr DISPID kLostFocus = 2;

}  // namespace

TextBoxControl::TextBoxControl()
    : events_(static_cast<::TextBox*>(this), DIID_TextBoxEvents, CLSID_NULL) {}

TextBoxControl::~TextBoxControl() { Detach(); }

TextBoxControl* TextBoxControl::Attach(HWND edit) {
    TextBoxControl* control = DispatchObject::New<TextBoxControl>();
    if (!control) return nullptr;
    if (!SetWindowSubclass(edit, &TextBoxControl::EditProc, kSubclassId, reinterpret_cast<DWORD_PTR>(control))) {
        control->Release();
        return nullptr;
    }
    control->hwnd_ = edit;
    return control;
}

void TextBoxControl::Detach() {
    if (hwnd_) RemoveWindowSubclass(hwnd_, &TextBoxControl::EditProc, kSubclassId);
    hwnd_ = nullptr;
}

LRESULT CALLBACK TextBoxControl::EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self) {
    auto* control = reinterpret_cast<TextBoxControl*>(self);
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        // Handlers may release the last outside reference: the object stays for the event.
        control->AddRef();
        SHORT keyCode = static_cast<SHORT>(wParam);
        SHORT shift = static_cast<SHORT>(ShiftMask());
        VARIANT args[2];  // in reverse order: Shift, KeyCode
        V_VT(&args[0]) = VT_I2 | VT_BYREF;
        V_I2REF(&args[0]) = &shift;
        V_VT(&args[1]) = VT_I2 | VT_BYREF;
        V_I2REF(&args[1]) = &keyCode;
        DISPPARAMS params{args, nullptr, 2, 0};
        control->events_.Raise(DISPID_KEYDOWN, &params);
        control->Release();
        if (keyCode == 0) return 0;  // a handler took the key
        wParam = static_cast<WPARAM>(static_cast<USHORT>(keyCode));
        break;
    }
    case WM_SETFOCUS: {
        LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        control->AddRef();
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        control->events_.Raise(kGotFocus, &none);
        control->Release();
        return result;
    }
    case WM_KILLFOCUS: {
        LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        control->AddRef();
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        control->events_.Raise(kLostFocus, &none);
        control->Release();
        return result;
    }
    case WM_NCDESTROY:
        // The window goes before the object: the object keeps answering, without a window.
        control->Detach();
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

HRESULT TextBoxControl::get_Text(BSTR* Value) {
    if (!Value) return E_POINTER;
    *Value = nullptr;
    return Guard([&]() -> HRESULT {
        int length = hwnd_ ? GetWindowTextLengthW(hwnd_) : 0;
        std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
        if (length > 0) length = GetWindowTextW(hwnd_, text.data(), length + 1);
        *Value = SysAllocStringLen(text.data(), static_cast<UINT>(length));
        return *Value ? S_OK : Raise(7);
    });
}

HRESULT TextBoxControl::put_Text(BSTR Value) {
    if (hwnd_) SetWindowTextW(hwnd_, Value ? Value : L"");
    return S_OK;
}

HRESULT TextBoxControl::get_Locked(VARIANT_BOOL* Value) {
    if (!Value) return E_POINTER;
    *Value = hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & ES_READONLY) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT TextBoxControl::put_Locked(VARIANT_BOOL Value) {
    if (hwnd_) SendMessageW(hwnd_, EM_SETREADONLY, Value != VARIANT_FALSE, 0);
    return S_OK;
}

HRESULT TextBoxControl::get_hWnd(LONG* Value) {
    if (!Value) return E_POINTER;
    *Value = static_cast<LONG>(reinterpret_cast<LONG_PTR>(hwnd_));
    return S_OK;
}

}  // namespace kelmor
