// The modules loaded into the current process, taken once as a snapshot through the support
// library's module walk, in the order the platform lists them. A private class of the library
// (not in the type library); the about box's module page shows it.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "CModuleEntry.h"

namespace kelmor {

class CToolHelpInfo {
public:
    // Takes the snapshot. A failing support call's status is raised (returned with the error
    // information set) and no object is made. When the platform gives no snapshot at all the
    // list is empty.
    static HRESULT Create(std::unique_ptr<CToolHelpInfo>* result);

    LONG ModulesCount() const { return static_cast<LONG>(modules_.size()); }
    // A copy of the entry at 0-based `Index`; error 9 (subscript out of range) outside the list.
    HRESULT ModuleItem(LONG Index, CModuleEntry* result) const;
    // The longest module name, in characters: the name width that lines up a list's columns.
    LONG LongestNameLength() const;

private:
    CToolHelpInfo() = default;
    HRESULT Fill();

    std::vector<CModuleEntry> modules_;
};

}  // namespace kelmor
