// Shared helpers of the Windows test programs.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <ostream>
#include <string>

namespace kelmor::test {

// An HRESULT that prints as hex in failed checks.
struct Hr {
    HRESULT value;
    explicit Hr(HRESULT v) : value(v) {}
    bool operator==(const Hr& other) const { return value == other.value; }
};
inline std::ostream& operator<<(std::ostream& os, const Hr& hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr.value));
    return os << text;
}

inline GUID Guid(const wchar_t* text) {
    GUID g{};
    CLSIDFromString(text, &g);
    return g;
}

// Path of a file in the folder of the running test program.
inline std::wstring BesideExe(const std::wstring& name) {
    std::wstring path(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n);
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

// Runs a command line and returns its exit code (-1 when it could not start or timed out).
inline int RunAndWait(std::wstring commandLine, DWORD timeoutMs = 60000) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

// Calls `visit(path, found)` for each entry of `folder` but "." and "..", in the order the system
// lists them.
template <class Visit>
void ForEachEntry(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") visit(folder + L"\\" + name, found);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// Removes `folder` and everything in it (read-only files too; folder links are removed, not
// followed); a folder that is not there is fine.
inline void RemoveTree(const std::wstring& folder) {
    ForEachEntry(folder, [](const std::wstring& path, const WIN32_FIND_DATAW& found) {
        const DWORD attributes = found.dwFileAttributes;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY && attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            RemoveDirectoryW(path.c_str());  // a link: removed, what it points at left alone
        } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path);
        } else {
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
    });
    RemoveDirectoryW(folder.c_str());
}

// An export of a loaded module as the function type it has.
template <class Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

inline bool KeyExists(const std::wstring& path, HKEY root = HKEY_CLASSES_ROOT) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A REG_SZ value as text ("<missing>" when absent).
inline std::wstring KeyText(const std::wstring& path, const std::wstring& name, HKEY root = HKEY_CLASSES_ROOT) {
    DWORD bytes = 0;
    const wchar_t* value = name.empty() ? nullptr : name.c_str();
    if (RegGetValueW(root, path.c_str(), value, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return L"<missing>";
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (RegGetValueW(root, path.c_str(), value, RRF_RT_REG_SZ, nullptr, text.data(), &bytes) != ERROR_SUCCESS)
        return L"<missing>";
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

// Base of a client's own object of a dual interface, living on a test's stack and called through
// its table: answers IUnknown, IDispatch and `Iface`, counts no references and has no type
// information (a late-bound call is refused).
template <class Iface>
class StackDual : public Iface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        const bool known = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
                           IsEqualIID(riid, __uuidof(Iface));
        *ppv = known ? static_cast<Iface*>(this) : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};

// Base of fake client objects and event sinks that live on a test's stack: answers IUnknown,
// IDispatch and one further interface id (an event interface), counts no references and
// names no members; the derived fake implements Invoke.
class StackDispatch : public IDispatch {
public:
    explicit StackDispatch(const IID& also = IID_IDispatch) : also_(also) {}
    virtual ~StackDispatch() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, also_)) {
            *ppv = static_cast<IDispatch*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

private:
    IID also_;
};

}  // namespace kelmor::test
