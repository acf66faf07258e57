// The user's part in tests of code that shows a modal message box: a second thread finds the
// box the tested thread shows (a dialog of class #32770), reads its caption, text and buttons
// and presses one of them by id. Every wait is bounded, so a box that never appears, or one
// that will not close, cannot hang the test program.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "WindowSupport.h"

namespace kelmor::test {

struct SeenBox {
    bool found = false;
    std::wstring caption;
    std::wstring text;         // the message (static control 0xFFFF)
    std::vector<int> buttons;  // ids of the buttons the box has, among IDOK (1) .. IDCONTINUE (11)
    bool closed = false;       // the box went away after the press
};

class MessageBoxDriver {
public:
    // Starts watching for a message box of thread `threadId` (the calling thread by default)
    // and presses `button` in it once it is seen. Gives up looking after `timeoutMs`, or as soon
    // as CallReturned() says the tested call is over.
    explicit MessageBoxDriver(int button, DWORD threadId = GetCurrentThreadId(), DWORD timeoutMs = 15000)
        : button_(button), threadId_(threadId), timeoutMs_(timeoutMs), worker_([this] { Run(); }) {}
    ~MessageBoxDriver() { Finish(); }
    MessageBoxDriver(const MessageBoxDriver&) = delete;
    MessageBoxDriver& operator=(const MessageBoxDriver&) = delete;

    // The tested call has returned: a box not seen by now never will be. Returns what was seen.
    const SeenBox& Finish() {
        callReturned_ = true;
        if (worker_.joinable()) worker_.join();
        return seen_;
    }

private:
    static std::wstring TextOf(HWND window) { return WindowText(window); }

    struct Search {
        DWORD threadId;
        HWND box;
    };
    static BOOL CALLBACK Visit(HWND window, LPARAM data) {
        auto* search = reinterpret_cast<Search*>(data);
        wchar_t className[16] = {};
        if (GetWindowThreadProcessId(window, nullptr) == search->threadId && IsWindowVisible(window) &&
            GetClassNameW(window, className, 16) && std::wstring(className) == L"#32770" &&
            GetDlgItem(window, 0xFFFF)) {
            search->box = window;
            return FALSE;
        }
        return TRUE;
    }

    void Run() {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs_;
        Search search{threadId_, nullptr};
        while (!search.box && !callReturned_ && GetTickCount64() < deadline) {
            EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
            if (!search.box) Sleep(20);
        }
        if (!search.box) {
            if (callReturned_) return;
            // Nothing to press, yet the call goes on: give it a moment, then end the program
            // rather than wait for ever.
            for (int i = 0; i < 250 && !callReturned_; ++i) Sleep(20);
            if (callReturned_) return;
            std::fprintf(stderr,
                         "message box driver: no message box seen and the call does not return; "
                         "ending the test program\n");
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        HWND box = search.box;
        seen_.found = true;
        seen_.caption = TextOf(box);
        seen_.text = TextOf(GetDlgItem(box, 0xFFFF));
        for (int id = IDOK; id <= 11; ++id) {
            if (HWND b = GetDlgItem(box, id); b && IsWindowVisible(b)) seen_.buttons.push_back(id);
        }
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button_)));
        if (WaitGone(box, 5000)) {
            seen_.closed = true;
            return;
        }
        // The press did not close it (a button the box lacks): close it the way Esc does, so the
        // tested call returns and the test can report what went wrong.
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        if (WaitGone(box, 5000)) return;
        std::fprintf(stderr, "message box driver: the box does not close; ending the test program\n");
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }

    static bool WaitGone(HWND box, DWORD ms) {
        const ULONGLONG deadline = GetTickCount64() + ms;
        while (IsWindow(box) && IsWindowVisible(box)) {
            if (GetTickCount64() >= deadline) return false;
            Sleep(20);
        }
        return true;
    }

    int button_;
    DWORD threadId_;
    DWORD timeoutMs_;
    std::atomic<bool> callReturned_{false};
    SeenBox seen_;
    std::thread worker_;  // last: starts once the fields above are set
};

}  // namespace kelmor::test
