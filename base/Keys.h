// The keyboard as the forms runtime's key events give it.
#pragma once

#include <windows.h>

namespace kelmor {

// The Shift argument of a key event: 1 Shift, 2 Ctrl, 4 Alt, as now held down.
inline int ShiftMask() {
    int mask = 0;
    if (GetKeyState(VK_SHIFT) < 0) mask |= 1;
    if (GetKeyState(VK_CONTROL) < 0) mask |= 2;
    if (GetKeyState(VK_MENU) < 0) mask |= 4;
    return mask;
}

}  // namespace kelmor
