// Process-wide state of the library: its module handle, the count that decides
// DllCanUnloadNow, and the type information served to IDispatch callers.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace kelmor {

class Module {
public:
    static void Attach(HINSTANCE instance);
    // Releases the process-wide state when the library is unloaded: the functions given to
    // AtDetach (latest first), then the type information.
    static void Detach();
    // Adds `release` to what Detach runs: for state that layers above the base keep for the
    // process. A function given again is kept once; false when no room is left.
    static bool AtDetach(void (*release)());

    // The library's module; none before Attach (library code linked into a test program then
    // serves the type library embedded in that program).
    static HINSTANCE Instance();
    // Full path of this DLL (of the program when not attached); empty when it cannot be read.
    static std::wstring Path();

    // Live objects, class factories and LockServer locks together.
    static void Lock();
    static void Unlock();
    static LONG LockCount();

    // The type information of one of the library's interfaces, read from the type library
    // embedded in this DLL (so dispatch works before and without registration). The result
    // is cached for the process; the caller receives its own reference.
    static HRESULT TypeInfoOf(REFGUID guid, ITypeInfo** info);
    // The embedded type library itself (the caller receives a reference).
    static HRESULT TypeLib(ITypeLib** lib);
};

// Holds the module lock for the lifetime of an object.
class ModuleLockHolder {
public:
    ModuleLockHolder() { Module::Lock(); }
    ~ModuleLockHolder() { Module::Unlock(); }
    ModuleLockHolder(const ModuleLockHolder&) = delete;
    ModuleLockHolder& operator=(const ModuleLockHolder&) = delete;
};

}  // namespace kelmor
