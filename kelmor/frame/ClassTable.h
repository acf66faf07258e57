// The table of the library's public classes and of the interfaces it owns: it drives the class
// factories, registration and the error sources.
#pragma once

#include <windows.h>

#include <span>
#include <string>

namespace kelmor {

using CreateFunction = HRESULT (*)(REFIID riid, void** ppv);

struct ClassEntry {
    const wchar_t* name;       // class name; the ProgID is "Kelmor0200." + name
    const CLSID* clsid;
    const IID* defaultIid;     // the default interface
    CreateFunction create;     // nullptr: not creatable (objects come from other objects)
};

struct InterfaceEntry {
    const IID* iid;
    const wchar_t* name;
    bool dispinterface;        // pure dispatch interface (event source)
};

std::span<const ClassEntry> Classes();
// Every interface the library owns and registers: the default interfaces, the event
// interface and the earlier ids of _nvkRegistry. Foreign interfaces are never listed here.
std::span<const InterfaceEntry> OwnedInterfaces();

const ClassEntry* FindClass(REFCLSID clsid);
const ClassEntry* FindClassByInterface(REFIID iid);

// The library's namer of error sources ("Kelmor0200.<class>"; the library's name for an
// interface of no public class), passed to SetErrorSourceNamer when the library starts.
std::wstring ClassErrorSource(REFIID iid);

extern const GUID kLibId;
inline constexpr WORD kLibMajor = 6;
inline constexpr WORD kLibMinor = 3;
inline constexpr wchar_t kLibHelpString[] = L"Nevkit - Библиотека общих функций 2.00";

}  // namespace kelmor
