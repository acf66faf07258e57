// The keyboard as the forms runtime's key events give it.
#pragma once

#include <windows.h>

namespace kelmor {

inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

// The Shift argument of a key event: the masks of the modifier keys now held down.
inline int ShiftMask() {
    int mask = 0;
    if (GetKeyState(VK_SHIFT) < 0) mask |= kShiftMask;
    if (GetKeyState(VK_CONTROL) < 0) mask |= kCtrlMask;
    if (GetKeyState(VK_MENU) < 0) mask |= kAltMask;
    return mask;
}

}  // namespace kelmor
