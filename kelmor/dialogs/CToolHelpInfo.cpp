#include "CToolHelpInfo.h"

#include <NevkitSupport0100.h>

#include <algorithm>
#include <new>

#include "ErrorInfo.h"
#include "Owners.h"
#include "Text.h"

namespace kelmor {
namespace {

const wchar_t kSource[] = L"Kelmor0200.CToolHelpInfo";

// A support-library status as this class raises it.
HRESULT Raised(LONG status) { return RaiseSupportStatus(status, kSource); }

}  // namespace

HRESULT CToolHelpInfo::Create(std::unique_ptr<CToolHelpInfo>* result) {
    result->reset();
    std::unique_ptr<CToolHelpInfo> info(new (std::nothrow) CToolHelpInfo);
    if (!info) return RaiseError(7, kSource);
    HRESULT hr = E_UNEXPECTED;
    try {
        hr = info->Fill();
    } catch (const std::bad_alloc&) {
        hr = RaiseError(7, kSource);
    }
    if (FAILED(hr)) return hr;
    *result = std::move(info);
    return S_OK;
}

HRESULT CToolHelpInfo::Fill() {
    // The snapshot is of this process's own modules, which needs no privilege: the debug
    // privilege is left as it is (enabled, it would stay so for the whole host program, which
    // then opens every process of the system).
    const LONG processId = static_cast<LONG>(GetCurrentProcessId());
    HANDLE snapshot = INVALID_HANDLE_VALUE;
    // No snapshot means an empty list (the about box then leaves its module page out), whether
    // the platform refused it with a failure status or handed back no handle.
    if (nkCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId, &snapshot) < 0 ||
        snapshot == INVALID_HANDLE_VALUE || !snapshot)
        return S_OK;
    UniqueHandle owner(snapshot);

    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    VARIANT_BOOL filled = VARIANT_FALSE;
    HRESULT hr = Raised(nkModule32First(snapshot, &entry, &filled));
    while (SUCCEEDED(hr) && filled) {
        // The names are read up to their terminator: make sure each has one inside its field.
        entry.szModule[MAX_MODULE_NAME32] = L'\0';
        entry.szExePath[MAX_PATH - 1] = L'\0';

        CModuleEntry module;
        UniqueBstr name, path, longPath;
        hr = Raised(nkGetStringFromPointerW(entry.szModule, name.put()));
        if (FAILED(hr)) return hr;
        module.Name = FromBstr(name.get());
        module.BaseAddress = reinterpret_cast<LONG_PTR>(entry.modBaseAddr);
        hr = Raised(nkGetModulePreferredBaseAddr(processId, module.BaseAddress, &module.PrefferedAddress));
        if (FAILED(hr)) return hr;
        module.BaseSize = static_cast<LONG>(entry.modBaseSize);
        hr = Raised(nkGetStringFromPointerW(entry.szExePath, path.put()));
        if (FAILED(hr)) return hr;
        hr = Raised(nkGetLongFileName(path.get(), longPath.put()));
        if (FAILED(hr)) return hr;
        module.FileName = FromBstr(longPath.get());
        modules_.push_back(std::move(module));

        hr = Raised(nkModule32Next(snapshot, &entry, &filled));
    }
    return hr;
}

HRESULT CToolHelpInfo::ModuleItem(LONG Index, CModuleEntry* result) const {
    if (Index < 0 || Index >= ModulesCount()) return RaiseError(9, kSource);
    *result = modules_[static_cast<size_t>(Index)];
    return S_OK;
}

LONG CToolHelpInfo::LongestNameLength() const {
    size_t longest = 0;
    for (const CModuleEntry& m : modules_) longest = std::max(longest, m.Name.size());
    return static_cast<LONG>(longest);
}

}  // namespace kelmor
