// Base of the library's own modal windows (the list dialog, the about box): a dialog made from
// an in-memory template whose messages reach the derived window's OnMessage, and the modal loop
// that shows it (RunModalLoop): every message passes the derived window's preview first (keys the
// window handles before its controls), then the dialog keys. Close() ends the loop.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace kelmor {

class ModalDialog {
public:
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    HWND hWnd() const { return window_; }

protected:
    ModalDialog() = default;
    // Destroys a window still there. Derived windows destroy theirs first (DestroyWindow): the
    // messages of its destruction need the derived object.
    virtual ~ModalDialog();

    // Creates the window (hidden) from a DLGTEMPLATEEX; OnMessage sees WM_INITDIALOG with the
    // window already set.
    HRESULT CreateFromTemplate(const std::vector<WORD>& dialogTemplate, HWND owner);
    // The window's messages; the result as a dialog procedure returns it.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // A message before anything else handles it: true when the window took it.
    virtual bool PreviewMessage(const MSG&) { return false; }

    // Shows the window, runs `shown` (the focus, for one), and handles messages until Close().
    // The window is hidden again when it returns.
    HRESULT RunModal(const std::function<void()>& shown);
    void Close() { closed_ = true; }

    HWND window_ = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    bool closed_ = false;
};

}  // namespace kelmor
