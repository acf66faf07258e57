// The simple list dialog's window: a list box of lines and, under it, a label that shows the
// tag of the clicked line. Enter and Escape close it; resizing keeps the list above the label
// and the window no lower than room for two labels. Positions are twips (1440 per inch)
// converted with the screen's DPI.
//
// The object follows the form's life: Load creates the window hidden (and centres it), the
// members fill it, ShowModal shows it and returns when it closes, destruction unloads it.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "ModalDialog.h"
#include "ScreenScale.h"

namespace kelmor {

class frmList final : public ModalDialog {
public:
    frmList() = default;
    ~frmList() override;

    // Creates the window, owned by the thread's active window when there is one.
    HRESULT Load();

    // lstList.AddItem
    HRESULT AddItem(const std::wstring& text);
    // lstList.ListCount
    LONG ListCount() const;
    // The window caption.
    HRESULT SetCaption(const std::wstring& text);
    // Gives both controls the font object's font; the window keeps the object while it shows
    // the font.
    HRESULT SetFont(IFontDisp* font);

    // Shows the window modally: the thread's other windows are disabled and messages are
    // handled here until the window closes.
    HRESULT ShowModal();

    // Control ids, for whoever drives the window.
    static constexpr int kListId = 101;
    static constexpr int kTagId = 102;

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool PreviewMessage(const MSG& msg) override;
    void OnInit();
    void OnResize();
    void OnListClick();
    bool IsClosingKey(const MSG& msg) const;
    int MinimumHeightPixels() const;

    int PixelsX(int twips) const { return scale_.PixelsX(twips); }
    int PixelsY(int twips) const { return scale_.PixelsY(twips); }
    int TwipsX(int pixels) const { return scale_.TwipsX(pixels); }
    int TwipsY(int pixels) const { return scale_.TwipsY(pixels); }

    HWND list_ = nullptr;
    HWND tag_ = nullptr;
    Microsoft::WRL::ComPtr<IFont> font_;
    ScreenScale scale_;  // the screen's resolution, read when the window is loaded
    bool snapping_ = false;
};

}  // namespace kelmor
