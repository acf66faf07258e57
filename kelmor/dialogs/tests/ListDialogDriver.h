// Drives the list dialog that a Show call opened on another thread of this process, as a user
// would: reads its caption, lines and tag label, clicks lines with real mouse messages, presses
// keys. Every wait has a timeout; Dismiss closes whatever dialog the thread still shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "WindowSupport.h"

namespace kelmor::test {

class ListDialogDriver {
public:
    explicit ListDialogDriver(DWORD showThread) : thread_(showThread) {}

    // Waits until the thread shows its dialog with both controls; false after `timeoutMs`.
    bool WaitForWindow(DWORD timeoutMs) {
        for (DWORD waited = 0; waited <= timeoutMs; waited += 20) {
            window_ = nullptr;
            EnumThreadWindows(thread_, &FindVisibleDialog, reinterpret_cast<LPARAM>(&window_));
            if (window_) {
                list_ = FindWindowExW(window_, nullptr, L"ListBox", nullptr);
                tag_ = FindWindowExW(window_, nullptr, L"Static", nullptr);
                if (list_ && tag_) return true;
            }
            Sleep(20);
        }
        return false;
    }

    HWND Window() const { return window_; }
    HWND List() const { return list_; }
    HWND Tag() const { return tag_; }

    std::wstring Caption() const { return TextOf(window_); }
    std::wstring TagText() const { return TextOf(tag_); }

    std::vector<std::wstring> Lines() const {
        std::vector<std::wstring> lines;
        const LRESULT n = SendMessageW(list_, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            const LRESULT length = SendMessageW(list_, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
            std::wstring line(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
            const LRESULT got = SendMessageW(list_, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
            line.resize(got < 0 ? 0 : static_cast<size_t>(got));
            lines.push_back(line);
        }
        return lines;
    }

    // Clicks line `index` (0-based) with the mouse and waits until the tag label changed or
    // `timeoutMs` passed; returns the label's text.
    std::wstring ClickLine(int index, DWORD timeoutMs = 5000) {
        RECT item{};
        if (SendMessageW(list_, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) == LB_ERR)
            return L"<no such line>";
        const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
        const std::wstring before = TagText();
        SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);  // a click always changes the selection
        PostMessageW(list_, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list_, WM_LBUTTONUP, 0, at);
        for (DWORD waited = 0; waited <= timeoutMs; waited += 20) {
            if (SendMessageW(list_, LB_GETCURSEL, 0, 0) == index && TagText() != before) break;
            Sleep(20);
        }
        // The label is set inside the click's notification: one more round trip settles it.
        SendMessageW(list_, WM_NULL, 0, 0);
        return TagText();
    }

    // A key pressed while the list has the focus.
    void PressKey(WPARAM key) {
        PostMessageW(list_, WM_KEYDOWN, key, 1);
        PostMessageW(list_, WM_KEYUP, key, 0xC0000001);
    }

    // Waits until the dialog is hidden or gone.
    bool WaitClosed(DWORD timeoutMs) const {
        for (DWORD waited = 0; waited <= timeoutMs; waited += 20) {
            if (!IsWindow(window_) || !IsWindowVisible(window_)) return true;
            Sleep(20);
        }
        return false;
    }

    // Closes every dialog the thread still shows (the end of a failed check: never leave a
    // modal window open).
    void Dismiss() const {
        EnumThreadWindows(thread_, &CloseDialog, 0);
    }

private:
    static BOOL CALLBACK CloseDialog(HWND w, LPARAM) {
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        if (wcscmp(cls, L"#32770") == 0) PostMessageW(w, WM_CLOSE, 0, 0);
        return TRUE;
    }
    static BOOL CALLBACK FindVisibleDialog(HWND w, LPARAM found) {
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        if (wcscmp(cls, L"#32770") == 0 && IsWindowVisible(w)) {
            *reinterpret_cast<HWND*>(found) = w;
            return FALSE;
        }
        return TRUE;
    }
    static std::wstring TextOf(HWND w) { return WindowText(w); }

    DWORD thread_;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HWND tag_ = nullptr;
};

}  // namespace kelmor::test
