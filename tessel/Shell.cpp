#include "Shell.h"

#include <windows.h>

#include <vector>

#include "ErrorInfo.h"
#include "ProgramText.h"
#include "RuntimeError.h"
#include "core/TesselTexts.h"

namespace tessel {
namespace {

[[noreturn]] void RaiseFileNotFound() {
    throw RuntimeError::FromCall(kelmor::RaiseError(53, kErrorSource));
}

// A text the system writes into a buffer it sizes: `call(buffer, size)` answers the length
// written, or the size needed when the buffer is too small, or 0 on failure.
template <class Call>
std::wstring SystemText(Call&& call) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD n = call(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(n + 1);
    }
}

std::wstring ProgramFolder() {
    const std::wstring self = SystemText([](wchar_t* b, DWORD n) {
        const DWORD got = GetModuleFileNameW(nullptr, b, n);
        return got >= n ? n * 2 : got;  // truncated: ask for more
    });
    const size_t slash = self.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : self.substr(0, slash);
}

std::wstring Environment(const wchar_t* name) {
    return SystemText([name](wchar_t* b, DWORD n) { return GetEnvironmentVariableW(name, b, n); });
}

// The system and the Windows folder (or the test hook's folder).
std::vector<std::wstring> SystemFolders() {
    if (std::wstring hook = Environment(L"TESSEL_TEST_SYSTEM_FOLDER"); !hook.empty()) return {hook};
    return {SystemText([](wchar_t* b, DWORD n) { return GetSystemDirectoryW(b, n); }),
            SystemText([](wchar_t* b, DWORD n) { return GetWindowsDirectoryW(b, n); })};
}

// An absolute folder: "C:\..." or a UNC "\\server\...".
bool IsAbsoluteFolder(const std::wstring& folder) {
    if (folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/')) return true;
    return folder.size() >= 2 && (folder[0] == L'\\' || folder[0] == L'/') && (folder[1] == L'\\' || folder[1] == L'/');
}

bool HasFolder(const std::wstring& name) {
    return name.find_first_of(L"\\/:") != std::wstring::npos;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void Shell(const std::wstring& commandLine, const std::wstring* application) {
    std::wstring line = commandLine;  // CreateProcessW may write into its command line
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(application ? application->c_str() : nullptr, line.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME)
            RaiseFileNotFound();
        SetErrorInfo(0, nullptr);
        throw RuntimeError::FromCall(HRESULT_FROM_WIN32(error));
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

std::wstring ProgramSearchPath() {
    std::vector<std::wstring> folders{ProgramFolder()};
    for (std::wstring& folder : SystemFolders()) folders.push_back(std::move(folder));
    const std::wstring path = Environment(L"PATH");
    for (size_t start = 0; start <= path.size();) {
        size_t end = path.find(L';', start);
        if (end == std::wstring::npos) end = path.size();
        std::wstring entry = path.substr(start, end - start);
        if (entry.size() >= 2 && entry.front() == L'"' && entry.back() == L'"') entry = entry.substr(1, entry.size() - 2);
        if (IsAbsoluteFolder(entry)) folders.push_back(std::move(entry));
        start = end + 1;
    }
    std::wstring list;
    for (const std::wstring& folder : folders) {
        if (folder.empty()) continue;
        if (!list.empty()) list += L';';
        list += folder;
    }
    return list;
}

std::optional<std::wstring> FindProgram(const std::wstring& name) {
    if (name.empty() || HasFolder(name)) return std::nullopt;
    const std::wstring folders = ProgramSearchPath();
    if (folders.empty()) return std::nullopt;
    std::wstring found = SystemText([&](wchar_t* b, DWORD n) {
        return SearchPathW(folders.c_str(), name.c_str(), L".exe", n, b, nullptr);
    });
    if (found.empty() || !IsFile(found)) return std::nullopt;
    return found;
}

void StartViewer(const std::wstring& configured, const std::wstring& streamPath) {
    const std::wstring shownName = configured.empty() ? Wide(core::kDefaultViewer) : configured;
    if (!configured.empty() && HasFolder(configured)) {
        // A program with its folder, or a text with arguments: exactly as the settings file says.
        Shell(Wide(core::ViewerCommandLine(U16(configured), U16(streamPath))));
        return;
    }
    if (const std::optional<std::wstring> program = FindProgram(shownName)) {
        Shell(Wide(core::ViewerCommandLine(U16(shownName), U16(streamPath))), &*program);
        return;
    }
    if (!configured.empty()) RaiseFileNotFound();
    // No Write.EXE: Notepad of the system folder.
    for (const std::wstring& folder : SystemFolders()) {
        const std::wstring notepad = folder + L"\\notepad.exe";
        if (!IsFile(notepad)) continue;
        Shell(Wide(core::ViewerCommandLine(U16(notepad), U16(streamPath))), &notepad);
        return;
    }
    RaiseFileNotFound();
}

}  // namespace tessel
