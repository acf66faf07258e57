#include "ModalLoop.h"

#include <vector>

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

void RunModalLoop(HWND window, const ModalLoop& loop) {
    DisabledWindows disabled{window, {}};
    EnumThreadWindows(GetCurrentThreadId(), &DisableOne, reinterpret_cast<LPARAM>(&disabled));

    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    if (loop.shown) loop.shown();

    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg{};
    while (IsWindow(window) && !(loop.ended && loop.ended())) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {  // WM_QUIT: end the window and hand the request on to the outer loop
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        if (got == -1) break;
        if (loop.preview && loop.preview(msg)) continue;
        if (!IsDialogMessageW(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    for (HWND w : disabled.list)
        if (IsWindow(w)) EnableWindow(w, TRUE);
    if (IsWindow(window)) ShowWindow(window, SW_HIDE);
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

}  // namespace kelmor
