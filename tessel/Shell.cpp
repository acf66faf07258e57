#include "Shell.h"

#include <windows.h>

#include "ErrorInfo.h"
#include "RuntimeError.h"

namespace tessel {

void Shell(const std::wstring& commandLine) {
    std::wstring line = commandLine;  // CreateProcessW may write into its command line
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME)
            throw RuntimeError::FromCall(kelmor::RaiseError(53, kErrorSource));
        SetErrorInfo(0, nullptr);
        throw RuntimeError::FromCall(HRESULT_FROM_WIN32(error));
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace tessel
