// One module loaded into the process, as the about box's module page lists it: its data and
// its fixed-column line. A private class of the library (not in the type library).
//
// Addresses are pointer-sized: 32-bit in the 32-bit build, 64-bit in the 64-bit build, where
// modules load above 4 GB. The line shows an address with the support library's 32-bit hex
// text ("0x" and 8 digits); in the 64-bit build the high and low halves are joined into
// "0x" and 16 digits, so every line of a list has the same column widths and the 32-bit line
// keeps its layout exactly.
#pragma once

#include <windows.h>

#include <string>

namespace kelmor {

class CModuleEntry {
public:
    std::wstring FileName;        // full path of the module file, in its long form
    std::wstring Name;            // file name without directory
    LONG_PTR BaseAddress = 0;     // where the module is loaded
    LONG BaseSize = 0;            // size of the loaded image in bytes
    LONG_PTR PrefferedAddress = 0;  // where the module's image wants to be loaded

    // The module's line, its name padded to `NameSize` characters. A failing support call's
    // status is raised (returned with the error information set).
    HRESULT toString(LONG NameSize, std::wstring* result) const;
};

// The address text of the lines: nkHexEx4 of a 32-bit address; of a 64-bit one, nkHexEx4 of
// the high half followed by the digits of nkHexEx4 of the low half.
HRESULT ModuleAddressText(LONG_PTR address, std::wstring* text);

}  // namespace kelmor
