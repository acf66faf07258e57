// Defines the GUID constants (LIBID_, CLSID_, IID_) declared by the generated header.
#include <windows.h>
#include <initguid.h>

#include "Kelmor0200.h"
