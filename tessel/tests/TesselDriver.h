// Drives Tessel.exe from another process, as a user would: starts it, finds its main window
// and its message boxes, reads the window's texts and the list's rows and columns (the list
// lives in the other process: its items are read through a buffer allocated there), clicks
// rows and buttons and presses keys. Every wait has a timeout, and a process that is still
// running when its driver goes away is ended.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "WindowSupport.h"
#include "frmMainControls.h"

namespace tessel::test {

// A window's text, read with a timeout ("<no answer>" from a hung window).
inline std::wstring TextOf(HWND window) { return kelmor::test::WindowText(window); }

inline std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// A message box as a user sees it: caption, text and whether it shows an icon.
struct MessageBoxView {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
    bool hasIcon = false;
};

inline MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view;
    view.window = box;
    view.caption = TextOf(box);
    view.text = TextOf(GetDlgItem(box, 0xFFFF));
    // The icon is a static control showing an icon; without an icon it is hidden or missing.
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassOf(child) == L"Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            IsWindowVisible(child) && SendMessageW(child, STM_GETICON, 0, 0) != 0)
            view.hasIcon = true;
    }
    return view;
}

// Presses a dialog's button by its id (IDOK, IDCANCEL, ...): posted, since the click may open
// or close a modal window.
inline void PressButton(HWND dialog, int id) {
    PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// A block of memory in another process, for messages whose arguments point at memory.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, size_t size) : process_(process), size_(size) {
        address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    explicit operator bool() const { return address_ != nullptr; }
    char* At(size_t offset) const { return static_cast<char*>(address_) + offset; }
    bool Write(size_t offset, const void* data, size_t bytes) const {
        return offset + bytes <= size_ && WriteProcessMemory(process_, At(offset), data, bytes, nullptr);
    }
    bool Read(size_t offset, void* data, size_t bytes) const {
        return offset + bytes <= size_ && ReadProcessMemory(process_, At(offset), data, bytes, nullptr);
    }

private:
    HANDLE process_;
    size_t size_;
    void* address_ = nullptr;
};

// One run of Tessel.exe.
class TesselProcess {
public:
    TesselProcess() = default;
    ~TesselProcess() { End(); }
    TesselProcess(const TesselProcess&) = delete;
    TesselProcess& operator=(const TesselProcess&) = delete;

    // Starts `exe` with `arguments` after its quoted path, in `folder` (the driver's current
    // folder when empty). False when it could not start.
    bool Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder = {}) {
        std::wstring line = L"\"" + exe + L"\"";
        if (!arguments.empty()) line += L" " + arguments;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder.empty() ? nullptr : folder.c_str(), &si, &info_))
            return false;
        CloseHandle(info_.hThread);
        info_.hThread = nullptr;
        return true;
    }

    HANDLE Process() const { return info_.hProcess; }
    DWORD Id() const { return info_.dwProcessId; }

    // Waits for the process to end; its exit code in `code`.
    bool WaitExit(DWORD timeoutMs, DWORD* code = nullptr) const {
        if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
        DWORD exit = 0;
        GetExitCodeProcess(info_.hProcess, &exit);
        if (code) *code = exit;
        return true;
    }
    bool Running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

    // Ends the process if it still runs.
    void End() {
        if (!info_.hProcess) return;
        if (Running()) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 10000);
        }
        CloseHandle(info_.hProcess);
        info_.hProcess = nullptr;
    }

    // The visible top-level windows of the process of class `cls` (any class when empty).
    std::vector<HWND> Windows(const std::wstring& cls = {}) const {
        Search search{info_.dwProcessId, &cls, {}};
        EnumWindows(&TesselProcess::Collect, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // Waits for the main window (visible, its list filled in); null after the timeout or when
    // the process ended.
    HWND WaitMainWindow(DWORD timeoutMs = 15000) const {
        return WaitFor(timeoutMs, [&]() -> HWND {
            for (HWND w : Windows(frmMainControls::kWindowClass))
                if (GetDlgItem(w, frmMainControls::kLstStreams)) return w;
            return nullptr;
        });
    }

    // Waits for a dialog (class #32770), the one captioned `caption` when given.
    HWND WaitDialog(DWORD timeoutMs = 15000, const std::wstring& caption = {}) const {
        return WaitFor(timeoutMs, [&]() -> HWND {
            for (HWND w : Windows(L"#32770"))
                if (caption.empty() || TextOf(w) == caption) return w;
            return nullptr;
        });
    }

    // Closes every dialog the process shows (the end of a failed check: no window is left).
    void DismissDialogs() const {
        for (HWND w : Windows(L"#32770")) PostMessageW(w, WM_CLOSE, 0, 0);
    }

private:
    struct Search {
        DWORD pid;
        const std::wstring* cls;
        std::vector<HWND> found;
    };
    static BOOL CALLBACK Collect(HWND w, LPARAM context) {
        auto* s = reinterpret_cast<Search*>(context);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == s->pid && IsWindowVisible(w) && (s->cls->empty() || ClassOf(w) == *s->cls))
            s->found.push_back(w);
        return TRUE;
    }

    template <class Find>
    HWND WaitFor(DWORD timeoutMs, Find&& find) const {
        for (DWORD waited = 0;; waited += 25) {
            if (HWND w = find()) return w;
            if (waited >= timeoutMs || !Running()) return nullptr;
            Sleep(25);
        }
    }

    PROCESS_INFORMATION info_{};
};

// The main window of a running Tessel.exe.
class MainWindow {
public:
    MainWindow(HWND window, HANDLE process) : window_(window), process_(process) {}

    HWND Window() const { return window_; }
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    HWND List() const { return Control(frmMainControls::kLstStreams); }

    std::wstring Caption() const { return TextOf(window_); }
    std::wstring PathText() const { return TextOf(Control(frmMainControls::kTxtFileName)); }
    std::wstring CountText() const { return TextOf(Control(frmMainControls::kLblCount)); }
    bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }

    int RowCount() const { return static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); }
    int ColumnCount() const {
        HWND header = reinterpret_cast<HWND>(SendMessageW(List(), LVM_GETHEADER, 0, 0));
        return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    }
    int SelectedRow() const {
        return static_cast<int>(
            SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }

    std::vector<std::wstring> Headers() const {
        std::vector<std::wstring> headers;
        RemoteBuffer buffer(process_, sizeof(LVCOLUMNW) + kTextBytes);
        if (!buffer) return headers;
        for (int i = 0; i < ColumnCount(); ++i) {
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT;
            column.pszText = reinterpret_cast<wchar_t*>(buffer.At(sizeof column));
            column.cchTextMax = kTextChars;
            buffer.Write(0, &column, sizeof column);
            SendMessageW(List(), LVM_GETCOLUMNW, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(buffer.At(0)));
            headers.push_back(ReadText(buffer, sizeof column));
        }
        return headers;
    }

    // Every row's cells, column by column.
    std::vector<std::vector<std::wstring>> Rows() const {
        std::vector<std::vector<std::wstring>> rows;
        RemoteBuffer buffer(process_, sizeof(LVITEMW) + kTextBytes);
        if (!buffer) return rows;
        const int columns = ColumnCount();
        for (int row = 0; row < RowCount(); ++row) {
            std::vector<std::wstring> cells;
            for (int column = 0; column < columns; ++column) {
                LVITEMW item{};
                item.iSubItem = column;
                item.pszText = reinterpret_cast<wchar_t*>(buffer.At(sizeof item));
                item.cchTextMax = kTextChars;
                const wchar_t none = 0;
                buffer.Write(sizeof item, &none, sizeof none);
                buffer.Write(0, &item, sizeof item);
                SendMessageW(List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                             reinterpret_cast<LPARAM>(buffer.At(0)));
                cells.push_back(ReadText(buffer, sizeof item));
            }
            rows.push_back(cells);
        }
        return rows;
    }

    // Clicks row `row` (0-based) with the mouse, scrolled into view first as a user would,
    // and waits until it is selected. `twice`: a double click.
    bool ClickRow(int row, bool twice = false, DWORD timeoutMs = 5000) const {
        SendMessageW(List(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
        RemoteBuffer buffer(process_, sizeof(RECT));
        RECT rect{};
        rect.left = LVIR_LABEL;
        if (!buffer || !buffer.Write(0, &rect, sizeof rect)) return false;
        if (!SendMessageW(List(), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                          reinterpret_cast<LPARAM>(buffer.At(0))))
            return false;
        buffer.Read(0, &rect, sizeof rect);
        const LPARAM at = MAKELPARAM(rect.left + 4, (rect.top + rect.bottom) / 2);
        PostMessageW(List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(List(), WM_LBUTTONUP, 0, at);
        if (twice) {
            PostMessageW(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            PostMessageW(List(), WM_LBUTTONUP, 0, at);
        }
        for (DWORD waited = 0; waited <= timeoutMs; waited += 20) {
            if (SelectedRow() == row) {
                SendMessageW(window_, WM_NULL, 0, 0);  // the click's handling has run
                return true;
            }
            Sleep(20);
        }
        return false;
    }

    // Clicks a button of the window (posted: the click may open a modal window).
    void Click(int id) const { PostMessageW(Control(id), BM_CLICK, 0, 0); }

    // Presses a key with the given modifiers as real input, the window in the foreground.
    void Key(WORD key, bool shift = false, bool ctrl = false, bool alt = false) const {
        SetForegroundWindow(window_);
        std::vector<INPUT> inputs;
        auto add = [&](WORD vk, bool up) {
            INPUT in{};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = vk;
            in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
            inputs.push_back(in);
        };
        if (shift) add(VK_SHIFT, false);
        if (ctrl) add(VK_CONTROL, false);
        if (alt) add(VK_MENU, false);
        add(key, false);
        add(key, true);
        if (alt) add(VK_MENU, true);
        if (ctrl) add(VK_CONTROL, true);
        if (shift) add(VK_SHIFT, true);
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
        Sleep(100);  // real input reaches the program after what was sent to it
        Settle();
    }

    // Waits until `done` holds; false after the timeout. For the effects of keys and clicks.
    template <class Done>
    bool WaitUntil(Done&& done, DWORD timeoutMs = 10000) const {
        for (DWORD waited = 0;; waited += 20) {
            if (done()) {
                Settle();  // the handler that showed the effect has run to its end
                return true;
            }
            if (waited >= timeoutMs) return false;
            Sleep(20);
        }
    }

    // Waits until the window's thread has handled everything sent or posted to it so far.
    void Settle() const {
        DWORD_PTR ignored = 0;
        for (int i = 0; i < 3; ++i) {
            SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
            Sleep(30);
        }
    }

private:
    static constexpr int kTextChars = 1024;
    static constexpr size_t kTextBytes = kTextChars * sizeof(wchar_t);

    static std::wstring ReadText(const RemoteBuffer& buffer, size_t offset) {
        std::wstring text(kTextChars, L'\0');
        if (!buffer.Read(offset, text.data(), kTextBytes)) return L"<unreadable>";
        text.resize(wcsnlen(text.c_str(), kTextChars));
        return text;
    }

    HWND window_;
    HANDLE process_;
};

}  // namespace tessel::test
