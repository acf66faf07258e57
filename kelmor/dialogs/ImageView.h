// An image control of a window: a child window that shows a picture object (icon, bitmap or
// metafile) at the picture's own size, on a background colour, optionally with a single-line
// border, and reports clicks to its parent as a notifying static control does (WM_COMMAND with
// STN_CLICKED, STN_DBLCLK). It can carry a tool tip. A private class of the library.
//
// The object owns its window's behaviour, not the window: the window is destroyed with its
// parent, and the object keeps the picture while the window shows it.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <string>

namespace kelmor {

class ImageView {
public:
    ImageView() = default;
    ~ImageView();
    ImageView(const ImageView&) = delete;
    ImageView& operator=(const ImageView&) = delete;

    // Creates the (visible) window on `parent` at `bounds` (pixels), with control id `id`.
    bool Create(HWND parent, int id, const RECT& bounds, bool border, COLORREF background);
    HWND Handle() const { return hwnd_; }

    // Shows `picture` and gives the window the picture's size (plus the border). A picture that
    // cannot be read as a picture object fails and leaves the window as it was.
    HRESULT SetPicture(IUnknown* picture);
    // The picture's size in pixels; false when it has none.
    bool PictureSize(SIZE* size) const;

    // The text shown when the mouse rests on the image.
    HRESULT SetToolTip(const std::wstring& text);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    void Paint(HDC dc) const;

    HWND hwnd_ = nullptr;
    HWND toolTip_ = nullptr;
    COLORREF background_ = 0;
    Microsoft::WRL::ComPtr<IPicture> picture_;
};

}  // namespace kelmor
