#include "FormWindow.h"

#include <oleauto.h>

#include "CommandButtonControl.h"
#include "ModalLoop.h"
#include "Owners.h"
#include "ScreenScale.h"
#include "Text.h"
#include "TextBoxControl.h"
#include "WindowClass.h"

namespace kelmor {
namespace {

constexpr wchar_t kFormClass[] = L"KelmorForm";

}  // namespace

FormWindow* FormWindow::New(const std::wstring& name, const std::wstring& caption, int widthTwips, int heightTwips) {
    if (!RegisterPlainWindowClass(kFormClass)) return nullptr;
    FormWindow* form = DispatchObject::New<FormWindow>();
    if (!form) return nullptr;
    form->name_ = name;
    RECT frame{0, 0, TwipsToPixelsX(widthTwips), TwipsToPixelsY(heightTwips)};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    form->hwnd_ = CreateWindowExW(exStyle, kFormClass, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right, frame.bottom, nullptr, nullptr, CodeModule(), nullptr);
    if (!form->hwnd_) {
        form->Release();
        return nullptr;
    }
    SetWindowLongPtrW(form->hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    SetWindowLongPtrW(form->hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FormWindow::WindowProc));
    LOGFONTW lf{};
    lf.lfHeight = ScreenScale().FontHeight(800);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = RUSSIAN_CHARSET;  // 204
    lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    form->font_ = CreateFontIndirectW(&lf);
    return form;
}

FormWindow::~FormWindow() {
    controls_.clear();
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    if (font_) DeleteObject(font_);
}

HWND FormWindow::AddControl(const wchar_t* windowClass, const wchar_t* text, DWORD style, DWORD exStyle, int left,
                            int top, int width, int height) {
    HWND control = CreateWindowExW(exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style,
                                   TwipsToPixelsX(left), TwipsToPixelsY(top), TwipsToPixelsX(width),
                                   TwipsToPixelsY(height), hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId_)),
                                   CodeModule(), nullptr);
    if (!control) return nullptr;
    ++nextId_;
    if (font_) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
}

TextBoxControl* FormWindow::AddTextBox(int left, int top, int width, int height) {
    HWND edit = AddControl(L"EDIT", L"", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, left, top, width, height);
    if (!edit) return nullptr;
    TextBoxControl* control = TextBoxControl::Attach(edit);
    if (!control) {
        DestroyWindow(edit);
        return nullptr;
    }
    controls_.emplace_back(static_cast<IDispatch*>(control));
    return control;
}

CommandButtonControl* FormWindow::AddCommandButton(const std::wstring& caption, int left, int top, int width,
                                                   int height) {
    HWND button = AddControl(L"BUTTON", caption.c_str(), BS_PUSHBUTTON, 0, left, top, width, height);
    if (!button) return nullptr;
    CommandButtonControl* control = CommandButtonControl::Attach(button);
    if (!control) {
        DestroyWindow(button);
        return nullptr;
    }
    controls_.emplace_back(static_cast<IDispatch*>(control));
    return control;
}

LRESULT CALLBACK FormWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case DM_GETDEFID:
        return form->defaultId_ ? MAKELRESULT(form->defaultId_, DC_HASDEFID) : 0;
    case DM_SETDEFID:
        form->defaultId_ = static_cast<UINT>(wParam);
        return TRUE;
    case WM_ACTIVATE:
        // Focus goes back to the control that had it when the form was left.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd, focus)) form->lastFocus_ = focus;
        } else if (form->lastFocus_ && IsWindow(form->lastFocus_)) {
            ::SetFocus(form->lastFocus_);
            return 0;
        }
        break;
    case WM_CLOSE:
        // Closing hides the form (and ends a modal show); the object owns the window.
        form->Hide();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HRESULT FormWindow::get_hWnd(LONG* Value) {
    if (!Value) return E_POINTER;
    *Value = static_cast<LONG>(reinterpret_cast<LONG_PTR>(hwnd_));
    return S_OK;
}

HRESULT FormWindow::get_Name(BSTR* Value) {
    if (!Value) return E_POINTER;
    *Value = SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
    return *Value ? S_OK : Raise(7);
}

HRESULT FormWindow::put_Name(BSTR Value) {
    return Guard([&] {
        name_ = FromBstr(Value);
        return S_OK;
    });
}

HRESULT FormWindow::get_Enabled(VARIANT_BOOL* Value) {
    if (!Value) return E_POINTER;
    *Value = IsWindowEnabled(hwnd_) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT FormWindow::put_Enabled(VARIANT_BOOL Value) {
    EnableWindow(hwnd_, Value != VARIANT_FALSE);
    return S_OK;
}

HRESULT FormWindow::SetFocus() {
    // A form that cannot take the focus raises "invalid procedure call", as the runtime does.
    if (!IsWindowVisible(hwnd_) || !IsWindowEnabled(hwnd_)) return Raise(5);
    SetForegroundWindow(hwnd_);
    SetActiveWindow(hwnd_);
    HWND focus = GetFocus();
    if (!focus || !IsChild(hwnd_, focus)) {
        HWND target = lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
        ::SetFocus(target ? target : hwnd_);
    }
    return S_OK;
}

HRESULT FormWindow::Show(VARIANT Modal) {
    return Guard([&]() -> HRESULT {
        LONG modal = 0;
        if (V_VT(&Modal) != VT_ERROR && V_VT(&Modal) != VT_EMPTY) {
            VARIANT number;
            VariantInit(&number);
            if (FAILED(VariantChangeType(&number, &Modal, 0, VT_I4))) return Raise(13);
            modal = V_I4(&number);
        }
        if (modal == 0) {
            ShowWindow(hwnd_, SW_SHOW);
            return S_OK;
        }
        if (modal_) return Raise(400, L"Form already displayed; can't show modally");
        AddRef();  // the form stays while its modal loop runs
        modal_ = true;
        hideRequested_ = false;
        ModalLoop loop;
        loop.ended = [this] { return hideRequested_ || !IsWindowVisible(hwnd_); };
        loop.shown = [this] { SetFocus(); };
        RunModalLoop(hwnd_, loop);
        modal_ = false;
        Release();
        return S_OK;
    });
}

HRESULT FormWindow::Hide() {
    // A modal show hides the form itself once the other windows are enabled again.
    if (modal_)
        hideRequested_ = true;
    else
        ShowWindow(hwnd_, SW_HIDE);
    return S_OK;
}

}  // namespace kelmor
