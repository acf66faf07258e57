// Self-registration: writes and removes exactly the library's own registry keys.
#pragma once

#include <windows.h>

namespace kelmor {

HRESULT RegisterServer();
HRESULT UnregisterServer();

}  // namespace kelmor
