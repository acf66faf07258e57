#include "ModalDialog.h"

#include "ModalLoop.h"
#include "Module.h"

namespace kelmor {

ModalDialog::~ModalDialog() {
    if (!window_) return;
    SetWindowLongPtrW(window_, DWLP_USER, 0);
    DestroyWindow(window_);
}

HRESULT ModalDialog::CreateFromTemplate(const std::vector<WORD>& dialogTemplate, HWND owner) {
    HINSTANCE instance = Module::Instance();
    HWND window = CreateDialogIndirectParamW(instance ? instance : GetModuleHandleW(nullptr),
                                             reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), owner,
                                             &ModalDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return window ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ModalDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<ModalDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->window_ = window;
    } else {
        self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    }
    if (!self) return FALSE;
    const INT_PTR handled = self->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        self->window_ = nullptr;
    }
    return handled;
}

HRESULT ModalDialog::RunModal(const std::function<void()>& shown) {
    if (!window_) return E_HANDLE;
    closed_ = false;
    ModalLoop loop;
    loop.ended = [this] { return closed_ || !window_; };
    loop.preview = [this](const MSG& msg) { return PreviewMessage(msg); };
    loop.shown = shown;
    RunModalLoop(window_, loop);
    return S_OK;
}

}  // namespace kelmor
