#include "FrameControl.h"

#include "ScreenScale.h"
#include "WindowClass.h"

namespace kelmor {
namespace {

constexpr wchar_t kFrameClass[] = L"KelmorFrame";

}  // namespace

FrameControl* FrameControl::New(HWND parent, int id, int left, int top, int width, int height) {
    if (!RegisterPlainWindowClass(kFrameClass)) return nullptr;
    FrameControl* frame = DispatchObject::New<FrameControl>();
    if (!frame) return nullptr;
    frame->hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kFrameClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                   TwipsToPixelsX(left), TwipsToPixelsY(top),
                                   TwipsToPixelsX(width), TwipsToPixelsY(height), parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), CodeModule(), nullptr);
    if (!frame->hwnd_) {
        frame->Release();
        return nullptr;
    }
    SetWindowLongPtrW(frame->hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
    SetWindowLongPtrW(frame->hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrameControl::WindowProc));
    return frame;
}

FrameControl::~FrameControl() {
    // The window stays with its parent; it only stops pointing at this object.
    if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

LRESULT CALLBACK FrameControl::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case DM_GETDEFID:
    case WM_NEXTDLGCTL:
    case WM_CLOSE:
        // The controls on the frame belong to the parent's logic; what a control asks of "its
        // dialog" (the default button, the next control for Tab, closing on Escape) is the
        // parent's too. A frame itself
        // never closes.
        if (HWND parent = GetParent(hwnd)) return SendMessageW(parent, message, wParam, lParam);
        return 0;
    case WM_NCDESTROY:
        if (auto* frame = reinterpret_cast<FrameControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
            frame->hwnd_ = nullptr;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void FrameControl::MoveTo(int left, int top) {
    if (!hwnd_) return;
    SetWindowPos(hwnd_, nullptr, TwipsToPixelsX(left), TwipsToPixelsY(top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HRESULT FrameControl::get_hWnd(LONG* Value) {
    if (!Value) return E_POINTER;
    *Value = static_cast<LONG>(reinterpret_cast<LONG_PTR>(hwnd_));
    return S_OK;
}

HRESULT FrameControl::get_Visible(VARIANT_BOOL* Value) {
    if (!Value) return E_POINTER;
    // The frame's own flag, as the runtime answers it: a frame on a hidden form is still visible.
    *Value = hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT FrameControl::put_Visible(VARIANT_BOOL Value) {
    if (hwnd_) ShowWindow(hwnd_, Value != VARIANT_FALSE ? SW_SHOWNA : SW_HIDE);
    return S_OK;
}

HRESULT FrameControl::ZOrder() {
    if (hwnd_) SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return S_OK;
}

}  // namespace kelmor
