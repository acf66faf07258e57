#include "modMain.h"

#include <windows.h>

#include <cstdlib>

#include "Global.h"

namespace kelmor::modMain {

bool StartThread() {
    ThreadGlobals& g = Globals();
    if (g.started) return false;
    g.started = true;
    // The C runtime keeps the generator's state per thread, as the library's state is.
    std::srand(static_cast<unsigned>(GetTickCount()));
    return true;
}

}  // namespace kelmor::modMain
