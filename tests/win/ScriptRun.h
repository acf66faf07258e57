// Running a script under the script host from a Windows test: the command line, its exit code
// and the lines it wrote to its standard output.
#pragma once

#include <windows.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace kelmor::test {

struct ScriptRun {
    int exitCode = -1;
    std::vector<std::wstring> lines;  // standard output, without empty lines and line ends
};

// A folder name under the temporary folder of its own for each call: a background process of Wine
// that the script host starts on its first run in a prefix inherits the run's output files and
// may hold them (and so their folder) a while after the test is done with them, so a folder is
// never made again under the same name.
inline std::wstring ScriptFolder(const std::wstring& name) {
    static int calls = 0;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++calls);
}

// Runs `command` (e.g. L"cscript.exe //nologo \"x.vbs\" arg") in `folder`. Standard output and
// error go to files in `folder`, numbered per run: a background process of Wine that the script
// host starts on its first run may hold the first run's files a while. The output is read as text
// of the OEM code page, which the script host writes when its output is not a console. Wine's
// script host prints nothing and exits 0 on a script error: callers check for the last line.
inline ScriptRun RunCommand(const std::wstring& folder, std::wstring command, DWORD timeoutMs = 180000) {
    static int runs = 0;
    const std::wstring number = std::to_wstring(++runs);
    const std::wstring outPath = folder + L"\\stdout-" + number + L".txt",
                       errPath = folder + L"\\stderr-" + number + L".txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    ScriptRun run;
    const BOOL started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &si, &pi);
    CloseHandle(out);
    CloseHandle(err);
    if (started) {
        if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(pi.hProcess, &code);
            run.exitCode = static_cast<int>(code);
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    std::ifstream in(outPath.c_str(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_OEMCP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                             text.data(), static_cast<int>(text.size()))));
    std::wistringstream lines(text);
    for (std::wstring line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (!line.empty()) run.lines.push_back(line);
    }
    DeleteFileW(outPath.c_str());
    DeleteFileW(errPath.c_str());
    return run;
}

}  // namespace kelmor::test
