// The forms runtime's modal message box (MsgBox): the one message box of the project.
#pragma once

#include <windows.h>

#include <string>

namespace kelmor {

// The style word's Help button flag (the runtime's vbMsgBoxHelpButton).
inline constexpr LONG kMsgBoxHelpButton = 0x4000;

// Shows `prompt` with `title` as its caption in a message box, modal to the thread's active
// window (when it has one), and gives the button that closed it in `button` (1 OK, 2 Cancel,
// 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No). `style` is the runtime's style word, whose values
// are the system's message-box flags: buttons, icon, default button, modality, Help button.
// When `helpFile` is not empty, Help (the button or F1) opens it at `helpContext` (its
// contents when the context is 0) and leaves the box open. Fails with the system's error when
// the box cannot be shown (an invalid style, for example); `button` is then 0.
HRESULT MsgBox(const std::wstring& prompt, LONG style, const std::wstring& title,
               const std::wstring& helpFile, LONG helpContext, int* button);

}  // namespace kelmor
