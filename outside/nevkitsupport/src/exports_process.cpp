// Processes and modules: the module snapshot and its walk, a module's preferred load address,
// the debug privilege, text for the debugger.
#include "support.h"

#include <psapi.h>

#include <cstdint>
#include <vector>

using namespace nksupport;
using namespace nksupport::win;

namespace {

// Headers of a PE image are read from the start of its file; this much always holds them.
constexpr DWORD kHeaderBytes = 0x10000;

// The first bytes of a file (fewer when the file is shorter).
bool ReadFileHead(const std::wstring& path, std::vector<std::byte>& head) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    head.resize(kHeaderBytes);
    DWORD read = 0;
    if (!ReadFile(file.get(), head.data(), kHeaderBytes, &read, nullptr)) return false;
    head.resize(read);
    return true;
}

// Path of the module loaded at base in the process, of any length.
bool ModuleFileOf(HANDLE process, HMODULE base, std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameExW(process, base, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return false;
        if (length + 1 < buffer.size()) {
            path.assign(buffer.data(), length);
            return true;
        }
        if (buffer.size() >= 0x10000) return false;
        buffer.resize(buffer.size() * 2);
    }
}

LONG WalkModules(bool first, HANDLE snapshot, MODULEENTRY32W* entry, VARIANT_BOOL* filled) {
    if (!filled) return kBadArgument;
    *filled = VARIANT_FALSE;
    // The entry must be the wide record the caller sized for us: a smaller one would be
    // overrun.
    if (!snapshot || snapshot == INVALID_HANDLE_VALUE || !entry || entry->dwSize != sizeof(MODULEENTRY32W)) {
        return kBadArgument;
    }
    if (first ? Module32FirstW(snapshot, entry) : Module32NextW(snapshot, entry)) {
        *filled = VARIANT_TRUE;
        return kOk;
    }
    const DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES ? kOk : Win32Status(error);
}

}  // namespace

extern "C" {

// A toolhelp snapshot; the caller closes it with CloseHandle. INVALID_HANDLE_VALUE (-1) when
// there is none.
LONG __stdcall nkCreateToolhelp32Snapshot(LONG flags, LONG processId, HANDLE* result) {
    if (!result) return kBadArgument;
    *result = INVALID_HANDLE_VALUE;
    constexpr DWORD kKinds = TH32CS_SNAPHEAPLIST | TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD |
                             TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32;
    const auto bits = static_cast<DWORD>(flags);
    if ((bits & ~(kKinds | TH32CS_INHERIT)) != 0 || (bits & kKinds) == 0) return kBadArgument;
    // A module snapshot can fail with ERROR_BAD_LENGTH while the process loads a module: the
    // system asks for another try.
    for (int attempt = 0;; ++attempt) {
        const HANDLE snapshot = CreateToolhelp32Snapshot(bits, static_cast<DWORD>(processId));
        if (snapshot != INVALID_HANDLE_VALUE) {
            *result = snapshot;
            return kOk;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_BAD_LENGTH || attempt == 9) return Win32Status(error);
    }
}

LONG __stdcall nkModule32First(HANDLE snapshot, MODULEENTRY32W* entry, VARIANT_BOOL* filled) {
    return WalkModules(true, snapshot, entry, filled);
}

LONG __stdcall nkModule32Next(HANDLE snapshot, MODULEENTRY32W* entry, VARIANT_BOOL* filled) {
    return WalkModules(false, snapshot, entry, filled);
}

// The ImageBase that the module's file asks for. The loader may rewrite the header of a
// relocated module in memory, so the file is read; the loaded header only stands in when the
// file cannot be read.
LONG __stdcall nkGetModulePreferredBaseAddr(LONG processId, LONG_PTR baseAddress, LONG_PTR* result) {
    if (!result) return kBadArgument;
    *result = 0;
    if (baseAddress == 0) return kBadArgument;
    return Guarded([&]() -> LONG {
        UniqueHandle opened;
        HANDLE process = GetCurrentProcess();
        if (static_cast<DWORD>(processId) != GetCurrentProcessId()) {
            opened.reset(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                     static_cast<DWORD>(processId)));
            if (!opened) return LastErrorStatus();
            process = opened.get();
        }
        const auto base = reinterpret_cast<HMODULE>(baseAddress);

        std::optional<std::uint64_t> preferred;
        std::wstring path;
        std::vector<std::byte> head;
        if (ModuleFileOf(process, base, path) && ReadFileHead(path, head))
            preferred = PreferredImageBase(head);
        if (!preferred) {
            head.assign(4096, std::byte{0});
            SIZE_T read = 0;
            if (!ReadProcessMemory(process, base, head.data(), head.size(), &read)) return LastErrorStatus();
            head.resize(read);
            preferred = PreferredImageBase(head);
        }
        if (!preferred) return Win32Status(ERROR_BAD_EXE_FORMAT);
        if (*preferred > UINTPTR_MAX) return kOverflow;
        *result = static_cast<LONG_PTR>(static_cast<std::uintptr_t>(*preferred));
        return kOk;
    });
}

// enable -1 enables the debug privilege of the process, 0 disables it. The result tells
// whether the token holds the privilege at all (a plain user's token does not).
LONG __stdcall nkEnableDebugPrivilege(LONG enable, VARIANT_BOOL* result) {
    if (!result) return kBadArgument;
    *result = VARIANT_FALSE;
    if (!IsTruthValue(enable)) return kBadArgument;
    UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) {
        return LastErrorStatus();
    }
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    if (!LookupPrivilegeValueW(nullptr, SE_DEBUG_NAME, &privileges.Privileges[0].Luid))
        return LastErrorStatus();
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof(privileges), nullptr, nullptr)) {
        return LastErrorStatus();
    }
    *result = ToVariantBool(GetLastError() != ERROR_NOT_ALL_ASSIGNED);
    return kOk;
}

// Sends the text to the debugger; the result tells whether a debugger is attached to see it.
LONG __stdcall nkOutputDebugString(BSTR text, VARIANT_BOOL* result) {
    if (!result) return kBadArgument;
    *result = VARIANT_FALSE;
    return Guarded([&]() -> LONG {
        const std::wstring message = FromBstr(text);
        if (HasNul(message)) return kBadArgument;
        OutputDebugStringW(message.c_str());
        *result = ToVariantBool(IsDebuggerPresent() != FALSE);
        return kOk;
    });
}

}  // extern "C"
