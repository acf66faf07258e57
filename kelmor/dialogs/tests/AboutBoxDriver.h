// Drives the about box that a call opened on another thread of this process, as a user would:
// finds the window by its caption, reads its controls (they sit on the window and on its tab
// pages), presses keys in the focused control, clicks, and answers a message box the window
// shows. Every wait has a timeout; Dismiss closes the box whatever state it is in.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "WindowSupport.h"

namespace kelmor::test {

class AboutBoxDriver {
public:
    explicit AboutBoxDriver(DWORD showThread) : thread_(showThread) {}

    // Waits until the thread shows its about box; false after `timeoutMs`.
    bool WaitForWindow(DWORD timeoutMs) {
        return WaitUntil([&] {
            window_ = nullptr;
            EnumThreadWindows(thread_, &FindAboutBox, reinterpret_cast<LPARAM>(&window_));
            return window_ != nullptr;
        }, timeoutMs);
    }

    HWND Window() const { return window_; }

    // The control with id `id`, wherever it sits in the window.
    HWND Control(int id) const {
        std::pair<int, HWND> search{id, nullptr};
        EnumChildWindows(window_, &FindById, reinterpret_cast<LPARAM>(&search));
        return search.second;
    }

    std::wstring Caption() const { return TextOf(window_); }
    std::wstring Text(int id) const { return TextOf(Control(id)); }

    // A window's own visibility flag together with its parents': whether the user sees it.
    bool Shows(int id) const {
        HWND control = Control(id);
        return control && IsWindowVisible(control);
    }

    // The control's rectangle in its parent's client coordinates.
    RECT PlaceOf(int id) const {
        RECT r{};
        HWND control = Control(id);
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    // The index of the one visible page among `pageIds`; -1 when none or several are.
    int VisiblePage(const int (&pageIds)[4]) const {
        int shown = -1;
        for (int i = 0; i < 4; ++i) {
            if (!Shows(pageIds[i])) continue;
            if (shown >= 0) return -1;
            shown = i;
        }
        return shown;
    }

    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return GetGUIThreadInfo(thread_, &info) ? info.hwndFocus : nullptr;
    }

    // A key pressed in the focused control (the window itself when nothing has the focus).
    void PressKey(WPARAM key) const {
        HWND target = Focus();
        if (!target) target = window_;
        PostMessageW(target, WM_KEYDOWN, key, 1);
        PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    }

    // Mouse clicks in the middle of the control: one, or a double click.
    void Click(int id, bool twice = false) const {
        HWND control = Control(id);
        RECT r{};
        GetClientRect(control, &r);
        const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
        PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(control, WM_LBUTTONUP, 0, at);
        if (twice) {
            PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            PostMessageW(control, WM_LBUTTONUP, 0, at);
        }
    }

    void PressButton(int id) const { PostMessageW(Control(id), BM_CLICK, 0, 0); }

    // A message box the thread shows besides the about box: its caption and text, answered
    // with `button`. False when none appears within `timeoutMs` or it does not close.
    bool AnswerMessageBox(int button, std::wstring* caption, std::wstring* text, DWORD timeoutMs = 10000) const {
        std::pair<HWND, HWND> search{window_, nullptr};
        if (!WaitUntil([&] {
                search.second = nullptr;
                EnumThreadWindows(thread_, &FindMessageBox, reinterpret_cast<LPARAM>(&search));
                return search.second != nullptr;
            }, timeoutMs))
            return false;
        HWND box = search.second;
        *caption = TextOf(box);
        *text = TextOf(GetDlgItem(box, 0xFFFF));
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        return WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); });
    }

    bool WaitClosed(DWORD timeoutMs = 5000) const {
        return WaitUntil([&] { return !IsWindow(window_) || !IsWindowVisible(window_); }, timeoutMs);
    }

    // Closes every dialog the thread still shows (message boxes first): the end of a failed
    // check never leaves a modal window open.
    void Dismiss() const { EnumThreadWindows(thread_, &CloseDialog, 0); }

private:
    static bool IsDialog(HWND w) {
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        return wcscmp(cls, L"#32770") == 0;
    }
    static BOOL CALLBACK FindAboutBox(HWND w, LPARAM found) {
        if (IsDialog(w) && IsWindowVisible(w) && TextOf(w) == L"О программе") {
            *reinterpret_cast<HWND*>(found) = w;
            return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK FindMessageBox(HWND w, LPARAM data) {
        auto* search = reinterpret_cast<std::pair<HWND, HWND>*>(data);
        if (w != search->first && IsDialog(w) && IsWindowVisible(w) && GetDlgItem(w, 0xFFFF)) {
            search->second = w;
            return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK FindById(HWND w, LPARAM data) {
        auto* search = reinterpret_cast<std::pair<int, HWND>*>(data);
        if (GetDlgCtrlID(w) == search->first) {
            search->second = w;
            return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK CloseDialog(HWND w, LPARAM) {
        if (IsDialog(w) && IsWindowVisible(w)) {
            PostMessageW(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            PostMessageW(w, WM_CLOSE, 0, 0);
        }
        return TRUE;
    }
    static std::wstring TextOf(HWND w) { return WindowText(w); }

    DWORD thread_;
    HWND window_ = nullptr;
};

}  // namespace kelmor::test
