// The protocol between a screenshot program and tools/screenshots.sh: the program writes the
// window's screen rectangle ("left top width height") to <folder>\ready, then waits until the
// script has taken the shot and created <folder>\done (at most a minute).
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace kelmor::test {

inline void ReportReadyAndWaitForDone(const std::wstring& folder, HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    if (FILE* f = _wfopen((folder + L"\\ready").c_str(), L"w")) {
        std::fprintf(f, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        std::fclose(f);
    }
    const std::wstring done = folder + L"\\done";
    for (int waited = 0; waited < 600 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++waited)
        Sleep(100);
}

}  // namespace kelmor::test
