// Window classes of the windows that the base's users make themselves (forms, frames).
#pragma once

#include <windows.h>

namespace kelmor {

// The module holding this code (the library, or a program linking the base): window classes are
// registered per module, so a library and a program that both link the base keep their own.
HINSTANCE CodeModule();

// Registers `name` in CodeModule() once: the system's window procedure (each window gets its own
// once it exists, so a module unloaded and loaded again never finds a class pointing at code that
// is gone), the arrow cursor and the button-face background. False when it cannot be registered.
bool RegisterPlainWindowClass(const wchar_t* name);

}  // namespace kelmor
