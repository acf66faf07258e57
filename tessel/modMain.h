// The stream lister's start routine and the program-wide state it sets up: the path being
// examined, the library's application object, the program's own application object and the
// main window.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "Kelmor0200.h"

namespace tessel::modMain {

// The path the program examines: the first command-line argument exactly as it came (quotes
// removed by the parser, nothing else changed). Set once by the start routine.
const std::wstring& CurrentFileName();

// Shows `text` in a modal message box with the runtime's style word `style`, titled with the
// program's title as every message box without a title of its own; the pressed button.
int Message(const std::u16string& text, LONG style);

// The library's application object, created by its class id on first use and kept until the
// program ends. Throws the error of a failed creation.
_nvkMain& Main();

// The program's application object (title and version from the version resource), as the
// about box reads it.
IDispatch* App();

// The start routine. Returns true when the main window is shown; the program then lives
// until the window is unloaded (RunMessageLoop). Unhandled errors end the program.
bool Start();

// Dispatches the program's messages until the main window is gone. Key presses meant for the
// main window or one of its controls reach the window's key handler first.
void RunMessageLoop();

// Releases the main window, the application objects and the library before the program ends.
void End();

}  // namespace tessel::modMain
