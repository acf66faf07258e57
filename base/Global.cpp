#include "Global.h"

namespace kelmor {

ThreadGlobals& Globals() {
    // Trivially destructible on purpose: nothing is left to run when a client thread ends
    // after the DLL was unloaded. Members that hold references are released by their owners.
    static thread_local ThreadGlobals globals;
    return globals;
}

}  // namespace kelmor
