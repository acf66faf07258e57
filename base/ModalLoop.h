// The one modal loop of the windows that the library and the forms layer show modally (the
// list dialog, the about box, a form shown with vbModal).
#pragma once

#include <windows.h>

#include <functional>

namespace kelmor {

struct ModalLoop {
    // True once the window is to close; asked before every message.
    std::function<bool()> ended;
    // A message before anything else handles it: true when the window took it (a key preview).
    std::function<bool(const MSG&)> preview;
    // Runs once the window is shown (the focus, for one).
    std::function<void()> shown;
};

// Shows `window` and handles the thread's messages until `loop.ended` answers true: the thread's
// other windows take no input meanwhile; every message passes the preview first, then the dialog
// keys of `window` (Tab, Enter, mnemonics). At the end the other windows are enabled again before
// `window` hides, so that activation returns to them and not to another program. A WM_QUIT ends
// the loop too and is handed on to the outer loop.
void RunModalLoop(HWND window, const ModalLoop& loop);

}  // namespace kelmor
