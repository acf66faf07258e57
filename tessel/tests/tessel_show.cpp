// tessel_show MARKER_FOLDER TESSEL_EXE PATH
// Starts Tessel.exe on PATH for tools/run.sh and tools/screenshots.sh and reports what it
// shows: when the main window is up, writes its caption, path, columns, rows and count line
// to <folder>\rows.txt (UTF-8) and the window's screen rectangle (left top width height) to
// <folder>\ready. Then waits until the program ends by itself (a user closed it) or
// <folder>\done appears (the window is then closed); at most an hour. When the program shows
// a message instead of its window, the message goes to rows.txt, the box is closed and the
// exit code is 1.
#include <windows.h>

#include <cstdio>
#include <string>

#include "TesselDriver.h"
#include "Variants.h"

namespace {

using kelmor::test::Utf8;

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Written under another name and renamed, so that a reader never sees half of it.
void WriteAtOnce(const std::wstring& path, const std::string& text) {
    const std::wstring part = path + L".part";
    if (FILE* f = _wfopen(part.c_str(), L"wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

std::wstring Joined(const std::vector<std::wstring>& cells) {
    std::wstring line;
    for (size_t i = 0; i < cells.size(); ++i) line += (i ? L" | " : L"") + cells[i];
    return line;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fwprintf(stderr, L"usage: tessel_show MARKER_FOLDER TESSEL_EXE PATH\n");
        return 2;
    }
    const std::wstring folder = argv[1], exe = argv[2], path = argv[3];
    tessel::test::TesselProcess tessel;
    if (!tessel.Start(exe, L"\"" + path + L"\"")) {
        std::fwprintf(stderr, L"tessel_show: cannot start %ls\n", exe.c_str());
        return 1;
    }
    // The main window, or a message instead of it.
    HWND window = nullptr;
    HWND box = nullptr;
    for (DWORD waited = 0; waited < 30000 && tessel.Running() && !window && !box; waited += 50) {
        window = tessel.WaitMainWindow(0);
        if (!window && !tessel.Windows(L"#32770").empty()) box = tessel.Windows(L"#32770").front();
        if (!window && !box) Sleep(50);
    }
    if (!window) {
        std::wstring report = L"Tessel showed no window";
        if (box) {
            const auto message = tessel::test::ReadMessageBox(box);
            report = message.caption + L": " + message.text;
            tessel::test::PressButton(box, IDOK);
            tessel.WaitExit(10000);
        }
        WriteAtOnce(folder + L"\\rows.txt", Utf8(report + L"\n"));
        return 1;
    }

    const tessel::test::MainWindow main(window, tessel.Process());
    main.Settle();
    std::wstring report = L"Caption: " + main.Caption() + L"\nPath: " + main.PathText() + L"\n" +
                          Joined(main.Headers()) + L"\n";
    for (const auto& row : main.Rows()) report += Joined(row) + L"\n";
    report += main.CountText() + L"\n";
    WriteAtOnce(folder + L"\\rows.txt", Utf8(report));
    RECT r{};
    GetWindowRect(window, &r);
    char rect[64];
    std::snprintf(rect, sizeof rect, "%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    WriteAtOnce(folder + L"\\ready", rect);

    for (DWORD waited = 0; waited < 3600 * 1000 && tessel.Running(); waited += 100) {
        if (Exists(folder + L"\\done")) {
            PostMessageW(window, WM_CLOSE, 0, 0);
            break;
        }
        Sleep(100);
    }
    if (!tessel.WaitExit(10000)) tessel.End();
    return 0;
}
