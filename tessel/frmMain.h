// The stream lister's only window: the path being examined, the list of its streams (one row
// per record of the library's stream reader, in the reader's order), the count line and the
// commands refresh, delete and view. The window previews the keyboard: F5 refreshes, Delete
// deletes, Esc closes, Shift+F1 opens the about box, whichever control has the focus.
//
// Positions are twips (1440 per inch) converted with the DPI the window is shown at (the
// program is DPI aware per monitor: moved to a monitor of another DPI, it lays the same design
// out again); the window has no other layout logic.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <optional>
#include <string>

#include "Kelmor0200.h"
#include "Owners.h"
#include "ScreenScale.h"

namespace tessel {

class frmMain {
public:
    frmMain() = default;
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // Creates the window hidden and runs its load handling (centring, icons).
    void Load();
    // Fills the window from a fresh reading of the current path. False when the reading
    // failed or gave no stream.
    bool Init();
    // Shows the window modeless, the list focused.
    void Show();
    // Runs the unload handling and destroys the window; the program ends with it.
    void Unload();

    HWND hWnd() const { return window_; }

    // The window's key handler for a message about to be dispatched: keys meant for the window
    // or one of its controls run their shortcut. The message itself is left for the control.
    void PreviewKey(const MSG& msg);

    // Sizes every column of `listView` to fit its header and its widest cell.
    static void ResizeListHeaders(HWND listView);
    // Column 1 and column 4 of a record's row.
    static std::wstring GetDisplayName(_FileStream& record);
    static std::wstring GetStreamIDText(_FileStream& record);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    // The window's outer size for the design's client area at the current scale.
    SIZE OuterSize() const;
    // The window's own resolution where the system tells it (0 where it does not).
    static UINT WindowDpi(HWND window);
    // Font and places of every control at the current scale.
    void ApplyScale();
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void AddColumns();
    void AddRow(_FileStream& record);

    void Form_Load();
    void Form_Unload();
    void Form_KeyDown(WORD key, int shift);
    void lstStreams_ItemClick(int row);
    void cmdRefresh_Click();
    void cmdDelete_Click();
    void cmdEditStream_Click();
    void ShowAboutBox();

    // The selected row (0-based), or none.
    std::optional<int> SelectedRow() const;
    Microsoft::WRL::ComPtr<_FileStream> Record(int row) const;

    int PixelsX(int twips) const { return scale_.PixelsX(twips); }
    int PixelsY(int twips) const { return scale_.PixelsY(twips); }

    HWND window_ = nullptr;
    HWND txtFileName_ = nullptr;
    HWND lstStreams_ = nullptr;
    HWND lblCount_ = nullptr;
    HWND cmdRefresh_ = nullptr;
    HWND cmdDelete_ = nullptr;
    HWND cmdEditStream_ = nullptr;
    kelmor::UniqueFont font_;
    kelmor::ScreenScale scale_;  // the screen's resolution, read when the window is loaded

    Microsoft::WRL::ComPtr<_nvkFileStreams> streams_;  // the reader behind the rows
    Microsoft::WRL::ComPtr<IPictureDisp> icon_;        // the window's icons, held while shown
    Microsoft::WRL::ComPtr<IPictureDisp> iconSmall_;
};

}  // namespace tessel
