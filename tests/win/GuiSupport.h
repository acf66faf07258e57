// Helpers of the Windows tests that drive real windows on the test's own thread: message
// pumping with a time limit, real keyboard input, and a form's default button.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <iterator>
#include <vector>

namespace kelmor::test {

// Handles the thread's pending messages for about `ms` milliseconds.
inline void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

// Presses `key` with the modifier keys `modifiers` held, as real input to the focused control
// of the foreground window, then handles the messages it causes.
inline void Press(std::initializer_list<WORD> modifiers, WORD key) {
    std::vector<INPUT> inputs;
    auto add = [&inputs](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        // Keys of the navigation block are extended keys on a real keyboard.
        if (vk == VK_INSERT || vk == VK_DELETE || vk == VK_PRIOR || vk == VK_NEXT || vk == VK_HOME || vk == VK_END)
            input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
        inputs.push_back(input);
    };
    for (WORD m : modifiers) add(m, false);
    add(key, false);
    add(key, true);
    for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m) add(*m, true);
    EXPECT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)), inputs.size());
    Pump(150);
}

// The control id of `form`'s default button; 0 when it has none.
inline UINT DefaultIdOf(HWND form) {
    LRESULT id = SendMessageW(form, DM_GETDEFID, 0, 0);
    return HIWORD(id) == DC_HASDEFID ? LOWORD(id) : 0;
}

}  // namespace kelmor::test
