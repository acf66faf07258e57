#include "MessageBox.h"

#include <cwctype>

namespace kelmor {
namespace {

// The help file of the innermost message box shown by this thread: the box's Help callback
// gets only the context number. A box shown from a help callback restores the outer file.
thread_local const std::wstring* tCurrentHelpFile = nullptr;

bool EndsWithNoCase(const std::wstring& text, const wchar_t* suffix) {
    const std::wstring end(suffix);
    if (text.size() < end.size()) return false;
    for (size_t i = 0; i < end.size(); ++i) {
        if (std::towlower(text[text.size() - end.size() + i]) != std::towlower(end[i])) return false;
    }
    return true;
}

// Compiled help (.chm) is shown by the system's HTML help viewer, bound at first use; any other
// help file by the system's help program.
void ShowHelp(HWND owner, const std::wstring& file, DWORD context) {
    if (EndsWithNoCase(file, L".chm")) {
        using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
        constexpr UINT kDisplayTopic = 0x0000, kHelpContext = 0x000F;
        // Stays loaded: the viewer's window lives on after the box is closed.
        static HMODULE viewer = LoadLibraryExW(L"hhctrl.ocx", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        auto htmlHelp =
            viewer
                ? reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(viewer, "HtmlHelpW")))
                : nullptr;
        if (htmlHelp) htmlHelp(owner, file.c_str(), context ? kHelpContext : kDisplayTopic, context);
        return;
    }
    WinHelpW(owner, file.c_str(), context ? HELP_CONTEXT : HELP_FINDER, context);
}

void CALLBACK OnHelp(LPHELPINFO info) {
    if (!info || !tCurrentHelpFile) return;
    HWND box = static_cast<HWND>(info->hItemHandle);
    ShowHelp(box && IsWindow(box) ? box : GetActiveWindow(), *tCurrentHelpFile,
             static_cast<DWORD>(info->dwContextId));
}

class HelpFileScope {
public:
    explicit HelpFileScope(const std::wstring* file) : outer_(tCurrentHelpFile) { tCurrentHelpFile = file; }
    ~HelpFileScope() { tCurrentHelpFile = outer_; }
    HelpFileScope(const HelpFileScope&) = delete;
    HelpFileScope& operator=(const HelpFileScope&) = delete;

private:
    const std::wstring* outer_;
};

}  // namespace

HRESULT MsgBox(const std::wstring& prompt, LONG style, const std::wstring& title,
               const std::wstring& helpFile, LONG helpContext, int* button) {
    if (!button) return E_POINTER;
    *button = 0;
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof params;
    params.hwndOwner = GetActiveWindow();
    params.lpszText = prompt.c_str();
    params.lpszCaption = title.c_str();
    params.dwStyle = static_cast<DWORD>(style);
    params.dwLanguageId = LANG_NEUTRAL;
    HelpFileScope scope(helpFile.empty() ? nullptr : &helpFile);
    if (!helpFile.empty()) {
        params.dwContextHelpId = static_cast<DWORD_PTR>(static_cast<DWORD>(helpContext));
        params.lpfnMsgBoxCallback = OnHelp;
    }
    SetLastError(ERROR_SUCCESS);
    const int pressed = MessageBoxIndirectW(&params);
    if (pressed == 0) {
        const DWORD error = GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    *button = pressed;
    return S_OK;
}

}  // namespace kelmor
