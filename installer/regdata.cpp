// regdata [--win32] INSTALL.nsh UNINSTALL.nsh DLL TARGET [DLL TARGET]...
//
// Writes what self-registering COM servers put in the registry as NSIS commands: INSTALL.nsh
// writes it for each server installed at TARGET (NSIS text such as "$INSTDIR\x86\Derodor.dll"),
// UNINSTALL.nsh removes it. Each DLL is loaded here, HKEY_CLASSES_ROOT and
// HKEY_LOCAL_MACHINE\Software\Classes are redirected to an empty scratch key of the current user
// (RegOverridePredefKey) and the server's own DllRegisterServer
// runs, so the data is exactly what the server writes; then its DllUnregisterServer runs on the
// scratch copy, and the removal commands must remove what it removes, no more and no less.
// --win32: the data of the server's 32-bit build (see core/RegData.h).
//
// Run by tools/release.sh under Wine. Nothing outside the scratch key is written; the scratch
// key is removed at the end.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Owners.h"
#include "core/RegData.h"

namespace {

using installer::core::OwnedKey;
using installer::core::RegKey;
using installer::core::RegValue;
using installer::core::Relocation;
using installer::core::ValueKind;
using kelmor::UniqueHKey;

struct Failure {
    std::wstring what;
};

std::wstring StatusText(DWORD status) {
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        status, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring out = text ? text : L"";
    LocalFree(text);
    while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r')) out.pop_back();
    wchar_t code[32];
    swprintf(code, 32, L" (0x%08lX)", static_cast<unsigned long>(status));
    return out + code;
}

std::u16string U16(const std::wstring& s) {
    return std::u16string(s.begin(), s.end());
}
std::wstring Wide(const std::u16string& s) {
    return std::wstring(s.begin(), s.end());
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

void Print(const std::wstring& text) {
    const std::string bytes = Utf8(text + L"\n");
    fwrite(bytes.data(), 1, bytes.size(), stderr);
}

std::wstring ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) throw Failure{L"GetModuleFileName: " + StatusText(GetLastError())};
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

// The classes of this process redirected to a fresh key of the current user while the object
// lives: HKEY_CLASSES_ROOT to it, and HKEY_LOCAL_MACHINE to its parent, so that a server writing
// to HKEY_LOCAL_MACHINE\Software\Classes (as an installer would) lands in it too. The keys are
// removed with everything in them at the end.
class ScratchRoot {
public:
    ScratchRoot() : path_(L"Software\\RegDataScratch-" + std::to_wstring(GetCurrentProcessId())) {
        Remove();
        LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                         nullptr, machine_.put(), nullptr);
        if (status == ERROR_SUCCESS)
            status = RegCreateKeyExW(machine_.get(), L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                     key_.put(), nullptr);
        if (status != ERROR_SUCCESS) throw Failure{L"creating the scratch key: " + StatusText(status)};
        status = RegOverridePredefKey(HKEY_CLASSES_ROOT, key_.get());
        if (status == ERROR_SUCCESS) status = RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_.get());
        if (status != ERROR_SUCCESS) throw Failure{L"RegOverridePredefKey: " + StatusText(status)};
    }
    ~ScratchRoot() {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        key_.reset();
        machine_.reset();
        Remove();
    }
    ScratchRoot(const ScratchRoot&) = delete;
    ScratchRoot& operator=(const ScratchRoot&) = delete;

    HKEY Key() const { return key_.get(); }

private:
    void Remove() {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
    }

    std::wstring path_;
    UniqueHKey machine_, key_;
};

std::vector<RegValue> ReadValues(HKEY key, const std::wstring& path) {
    DWORD count = 0, nameMax = 0, dataMax = 0;
    LSTATUS status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                                      &nameMax, &dataMax, nullptr, nullptr);
    if (status != ERROR_SUCCESS) throw Failure{L"reading " + path + L": " + StatusText(status)};
    std::vector<RegValue> values;
    std::wstring name(nameMax + 1, L'\0');
    std::vector<BYTE> data(dataMax + sizeof(wchar_t));
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        status = RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (status != ERROR_SUCCESS) throw Failure{L"reading " + path + L": " + StatusText(status)};
        RegValue v;
        v.name = U16(name.substr(0, nameLength));
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
            while (!text.empty() && text.back() == L'\0') text.pop_back();
            v.kind = type == REG_SZ ? ValueKind::String : ValueKind::ExpandString;
            v.text = U16(text);
        } else if (type == REG_DWORD && size == sizeof(DWORD)) {
            v.kind = ValueKind::Dword;
            memcpy(&v.number, data.data(), sizeof(DWORD));
        } else {
            throw Failure{L"value \"" + name.substr(0, nameLength) + L"\" of " + path +
                          L" has a type this tool does not write (" + std::to_wstring(type) + L")"};
        }
        values.push_back(std::move(v));
    }
    return values;
}

// Every key below `key`, each before its subkeys.
void ReadTree(HKEY key, const std::wstring& path, std::vector<RegKey>& out) {
    DWORD subkeys = 0, nameMax = 0;
    LSTATUS status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &nameMax, nullptr, nullptr,
                                      nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) throw Failure{L"reading " + path + L": " + StatusText(status)};
    std::vector<std::wstring> names;
    for (DWORD i = 0; i < subkeys; ++i) {
        std::wstring name(nameMax + 1, L'\0');
        DWORD length = static_cast<DWORD>(name.size());
        status = RegEnumKeyExW(key, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS) throw Failure{L"reading " + path + L": " + StatusText(status)};
        names.push_back(name.substr(0, length));
    }
    for (const std::wstring& name : names) {
        const std::wstring childPath = path.empty() ? name : path + L"\\" + name;
        UniqueHKey child;
        status = RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, child.put());
        if (status != ERROR_SUCCESS) throw Failure{L"reading " + childPath + L": " + StatusText(status)};
        RegKey entry;
        entry.path = U16(childPath);
        entry.values = ReadValues(child.get(), childPath);
        const size_t at = out.size();
        out.push_back(std::move(entry));
        ReadTree(child.get(), childPath, out);
        out[at].hasSubkeys = out.size() > at + 1;
    }
}

using ServerEntry = HRESULT(STDAPICALLTYPE*)();

ServerEntry Entry(HMODULE module, const char* name, const std::wstring& dll) {
    auto entry = reinterpret_cast<ServerEntry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (!entry) throw Failure{dll + L" has no " + std::wstring(name, name + strlen(name))};
    return entry;
}

void CallEntry(ServerEntry entry, const wchar_t* name, const std::wstring& dll) {
    const HRESULT hr = entry();
    if (hr != S_OK) throw Failure{dll + L": " + name + L" failed: " + StatusText(static_cast<DWORD>(hr))};
}

// One server: its registration recorded and turned into commands.
void Record(const std::wstring& dll, const std::wstring& target, bool toWin32, std::u16string& install,
            std::u16string& uninstall) {
    wchar_t full[MAX_PATH * 4];
    if (!GetFullPathNameW(dll.c_str(), MAX_PATH * 4, full, nullptr)) throw Failure{L"bad path: " + dll};
    HMODULE module = LoadLibraryExW(full, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) throw Failure{L"loading " + dll + L": " + StatusText(GetLastError())};
    const ServerEntry registerServer = Entry(module, "DllRegisterServer", dll);
    const ServerEntry unregisterServer = Entry(module, "DllUnregisterServer", dll);

    ScratchRoot scratch;
    CallEntry(registerServer, L"DllRegisterServer", dll);
    std::vector<RegKey> keys;
    ReadTree(scratch.Key(), L"", keys);
    if (keys.empty()) throw Failure{dll + L" registered nothing below HKEY_CLASSES_ROOT"};

    const Relocation to{U16(ModulePath(module)), U16(target), toWin32};
    const std::vector<OwnedKey> owned = installer::core::OwnedKeys(keys);

    // The server's own removal on the scratch copy: every owned key must be gone, and nothing
    // that holds a value may be left.
    CallEntry(unregisterServer, L"DllUnregisterServer", dll);
    for (const OwnedKey& k : owned) {
        UniqueHKey left;
        if (RegOpenKeyExW(scratch.Key(), Wide(k.path).c_str(), 0, KEY_READ, left.put()) == ERROR_SUCCESS)
            throw Failure{dll + L": DllUnregisterServer keeps " + Wide(k.path) +
                          L", which the uninstaller would remove"};
    }
    std::vector<RegKey> rest;
    ReadTree(scratch.Key(), L"", rest);
    for (const RegKey& k : rest)
        if (!k.values.empty())
            throw Failure{dll + L": " + Wide(k.path) +
                          L" is left by DllUnregisterServer and not understood here"};

    const std::u16string name = U16(dll.substr(dll.find_last_of(L"\\/") + 1));
    install += u"; " + name + u"\n" + installer::core::InstallCommands(keys, to);
    uninstall += u"; " + name + u"\n" + installer::core::UninstallCommands(owned);
}

void WriteUtf8File(const std::wstring& path, const std::u16string& text) {
    const std::string bytes = Utf8(Wide(text));
    HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw Failure{L"writing " + path + L": " + StatusText(GetLastError())};
    kelmor::UniqueHandle file(handle);
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw Failure{L"writing " + path + L": " + StatusText(GetLastError())};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    bool toWin32 = false;
    if (!args.empty() && args[0] == L"--win32") {
        toWin32 = true;
        args.erase(args.begin());
    }
    if (args.size() < 4 || args.size() % 2 != 0) {
        Print(L"usage: regdata [--win32] INSTALL.nsh UNINSTALL.nsh DLL TARGET [DLL TARGET]...");
        return 2;
    }
    const std::u16string header =
        u"; Written by regdata from the servers' own DllRegisterServer: do not edit.\n";
    std::u16string install = header, uninstall = header;
    try {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        for (size_t i = 2; i < args.size(); i += 2) Record(args[i], args[i + 1], toWin32, install, uninstall);
        WriteUtf8File(args[0], install);
        WriteUtf8File(args[1], uninstall);
    } catch (const Failure& failure) {
        Print(L"regdata: " + failure.what);
        return 1;
    }
    return 0;
}
