// The module of Derodor.dll: its handle, the count that decides DllCanUnloadNow, and the
// identity of its one class.
#pragma once

#include <windows.h>

namespace derodor {

// {49618C97-6497-4F6D-8BAC-764AE15F4BED}
inline constexpr CLSID kClsidEventLogger = {0x49618C97, 0x6497, 0x4F6D, {0x8B, 0xAC, 0x76, 0x4A, 0xE1, 0x5F, 0x4B, 0xED}};
inline constexpr wchar_t kProgId[] = L"Derodor.nvkEventLogger";

// Live objects, class factories handed out and LockServer locks.
void LockModule();
void UnlockModule();

}  // namespace derodor
