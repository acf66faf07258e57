// Precompiled for every Windows target: the platform's headers and, where the target sees it,
// the library's generated header. Each file still includes what it uses. The standard library
// stays out: with it precompiled, GCC 12 reports its own inline string copies as out of bounds.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#if __has_include("Kelmor0200.h")
#include "Kelmor0200.h"
#endif
