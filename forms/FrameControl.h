// The forms layer's frame: a COM object (interface Frame) over a borderless child window that
// holds other controls, as a window's stacked pages are made. Visible really shows or hides the
// window; ZOrder brings it to the front of its siblings.
//
// The window belongs to its parent: it is destroyed with it, and it passes the notifications and
// colour questions of its controls (WM_COMMAND, WM_NOTIFY, WM_CTLCOLOR*) on to the parent, so the
// parent handles its controls wherever they sit; a control's requests to its dialog (DM_GETDEFID,
// WM_NEXTDLGCTL, WM_CLOSE) go there too. The object is a view of the window and may outlive it (an object
// whose window is gone answers Visible False and does nothing).
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class FrameControl final : public DispatchObject<::Frame> {
public:
    // A new hidden frame on `parent` (one reference held by the caller), or nullptr when the
    // window cannot be made. Position and size in twips; `id` is the window's control id.
    static FrameControl* New(HWND parent, int id, int left, int top, int width, int height);

    HWND Handle() const { return hwnd_; }
    // Moves the frame's top-left corner to (left, top) in twips, keeping its size.
    void MoveTo(int left, int top);

    HRESULT STDMETHODCALLTYPE get_hWnd(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE ZOrder() override;

private:
    friend class DispatchObject<::Frame>;
    FrameControl() = default;
    ~FrameControl() override;
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
};

}  // namespace kelmor
