#include "ModalDialog.h"

#include "Module.h"

namespace kelmor {
namespace {

struct DisabledWindows {
    HWND form;
    std::vector<HWND> list;
};

BOOL CALLBACK DisableOne(HWND window, LPARAM context) {
    auto* d = reinterpret_cast<DisabledWindows*>(context);
    if (window != d->form && IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        d->list.push_back(window);
    }
    return TRUE;
}

}  // namespace

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
    // The thread's other windows take no input while this one is open.
    DisabledWindows disabled{window_, {}};
    EnumThreadWindows(GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&disabled));

    closed_ = false;
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    if (shown) shown();

    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg{};
    while (!closed_ && window_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {  // WM_QUIT: end the window and hand the request on to the outer loop
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        if (got == -1) break;
        if (PreviewMessage(msg)) continue;
        if (!IsDialogMessageW(window_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    // The other windows come back before this one hides, so that activation returns to them.
    for (HWND w : disabled.list)
        if (IsWindow(w)) EnableWindow(w, TRUE);
    if (window_) ShowWindow(window_, SW_HIDE);
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return S_OK;
}

}  // namespace kelmor
