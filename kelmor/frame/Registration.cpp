#include "Registration.h"

#include <string>
#include <vector>

#include "ClassTable.h"
#include "Module.h"
#include "Owners.h"
#include "Text.h"

namespace kelmor {
namespace {

// The automation marshalers: type-library driven for dual interfaces, IDispatch-only for
// pure dispatch interfaces.
constexpr wchar_t kOleAutomationMarshaler[] = L"{00020424-0000-0000-C000-000000000046}";
constexpr wchar_t kDispatchMarshaler[] = L"{00020420-0000-0000-C000-000000000046}";
constexpr wchar_t kProgIdPrefix[] = L"Kelmor0200.";

std::wstring VersionText() {
    return std::to_wstring(kLibMajor) + L"." + std::to_wstring(kLibMinor);
}

// One value to write: key (under the machine's classes key), value name (empty: the default value),
// data; keyOnly creates the key and writes no value.
struct Value {
    std::wstring key;
    std::wstring name;
    std::wstring data;
    bool keyOnly = false;
};

std::vector<Value> Plan(const std::wstring& path) {
    std::vector<Value> plan;
    const std::wstring libId = GuidText(kLibId);
    const std::wstring version = VersionText();

    for (const ClassEntry& c : Classes()) {
        const std::wstring clsidKey = L"CLSID\\" + GuidText(*c.clsid);
        const std::wstring progId = std::wstring(kProgIdPrefix) + c.name;
        plan.push_back({clsidKey, L"", progId});
        plan.push_back({clsidKey + L"\\InprocServer32", L"", path});
        plan.push_back({clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"});
        plan.push_back({clsidKey + L"\\ProgID", L"", progId});
        plan.push_back({clsidKey + L"\\VERSION", L"", version});
        plan.push_back({clsidKey + L"\\TypeLib", L"", libId});
        plan.push_back({clsidKey + L"\\Programmable", L"", L"", true});
        plan.push_back({progId, L"", progId});
        plan.push_back({progId + L"\\CLSID", L"", GuidText(*c.clsid)});
    }

    for (const InterfaceEntry& i : OwnedInterfaces()) {
        const std::wstring key = L"Interface\\" + GuidText(*i.iid);
        const wchar_t* marshaler = i.dispinterface ? kDispatchMarshaler : kOleAutomationMarshaler;
        plan.push_back({key, L"", i.name});
        plan.push_back({key + L"\\ProxyStubClsid", L"", marshaler});
        plan.push_back({key + L"\\ProxyStubClsid32", L"", marshaler});
        plan.push_back({key + L"\\TypeLib", L"", libId});
        plan.push_back({key + L"\\TypeLib", L"Version", version});
    }

    const std::wstring libKey = L"TypeLib\\" + libId + L"\\" + version;
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    plan.push_back({libKey, L"", kLibHelpString});
    // Registered language neutral: lookups for any locale fall back to it.
    plan.push_back({libKey + (sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32"), L"", path});
    plan.push_back({libKey + L"\\FLAGS", L"", L"0"});
    plan.push_back({libKey + L"\\HELPDIR", L"", folder});
    return plan;
}

// The keys DllUnregisterServer removes, each with everything below it.
std::vector<std::wstring> OwnedKeys() {
    std::vector<std::wstring> keys;
    for (const ClassEntry& c : Classes()) {
        keys.push_back(L"CLSID\\" + GuidText(*c.clsid));
        keys.push_back(std::wstring(kProgIdPrefix) + c.name);
    }
    for (const InterfaceEntry& i : OwnedInterfaces()) keys.push_back(L"Interface\\" + GuidText(*i.iid));
    keys.push_back(L"TypeLib\\" + GuidText(kLibId) + L"\\" + VersionText());
    return keys;
}

// The machine's classes key, HKEY_LOCAL_MACHINE\Software\Classes, where an installer
// registers for every user. Not HKEY_CLASSES_ROOT: that merged view writes into the user's own
// HKEY_CURRENT_USER\Software\Classes wherever a key already exists there, so a registration
// through it would land partly in one user's profile, and an unregistration there would miss
// the machine's keys.
LSTATUS OpenClasses(REGSAM access, UniqueHKey& classes) {
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, access, classes.put());
}

LSTATUS Write(HKEY classes, const Value& v) {
    UniqueHKey key;
    LSTATUS status =
        RegCreateKeyExW(classes, v.key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS || v.keyOnly) return status;
    const DWORD bytes = static_cast<DWORD>((v.data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), v.name.empty() ? nullptr : v.name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(v.data.c_str()), bytes);
}

LSTATUS DeleteTree(HKEY classes, const std::wstring& path) {
    LSTATUS status = RegDeleteTreeW(classes, path.c_str());
    if (status == ERROR_SUCCESS) status = RegDeleteKeyW(classes, path.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

// Removes the library's id key once no version of it is registered any more.
void DeleteLibIdKeyIfEmpty(HKEY classes) {
    const std::wstring path = L"TypeLib\\" + GuidText(kLibId);
    UniqueHKey key;
    if (RegOpenKeyExW(classes, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    DWORD subkeys = 0;
    if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS || subkeys != 0)
        return;
    key.reset();
    RegDeleteKeyW(classes, path.c_str());
}

}  // namespace

HRESULT RegisterServer() {
    const std::wstring path = Module::Path();
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    // The type library must load from this file, or nothing registered could be used.
    ITypeLib* lib = nullptr;
    HRESULT hr = Module::TypeLib(&lib);
    if (FAILED(hr)) return hr;
    lib->Release();
    UniqueHKey classes;
    LSTATUS status = OpenClasses(KEY_CREATE_SUB_KEY | KEY_SET_VALUE, classes);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    for (const Value& v : Plan(path)) {
        status = Write(classes.get(), v);
        if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    }
    return S_OK;
}

HRESULT UnregisterServer() {
    UniqueHKey classes;
    LSTATUS first = OpenClasses(KEY_READ | KEY_WRITE | DELETE, classes);
    if (first != ERROR_SUCCESS) return HRESULT_FROM_WIN32(first);
    for (const std::wstring& key : OwnedKeys()) {
        LSTATUS status = DeleteTree(classes.get(), key);
        if (first == ERROR_SUCCESS) first = status;  // go on: remove whatever can be removed
    }
    DeleteLibIdKeyIfEmpty(classes.get());
    return first == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(first);
}

}  // namespace kelmor
