// Helpers of the programs that drive windows from outside them (test drivers and screenshot
// programs): a window's text read with a time limit, and waiting for a condition.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace kelmor::test {

// The window's text; "<no answer>" when there is no window or it does not answer in 5 s (a
// window of a hung thread never blocks the reader).
inline std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!window || !SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return L"<no answer>";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 5000, &copied))
        return L"<no answer>";
    text.resize(copied);
    return text;
}

// Polls `condition` every 20 ms until it holds; false after `timeoutMs`.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
}

}  // namespace kelmor::test
