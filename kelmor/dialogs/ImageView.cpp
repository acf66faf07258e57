#include "ImageView.h"

#include <commctrl.h>

#include "ScreenScale.h"

namespace kelmor {
namespace {

constexpr UINT_PTR kSubclassId = 0x4B494D47;  // one subclass per image window
constexpr int kHimetricPerInch = 2540;

}  // namespace

ImageView::~ImageView() {
    if (hwnd_) RemoveWindowSubclass(hwnd_, &ImageView::Proc, kSubclassId);
}

bool ImageView::Create(HWND parent, int id, const RECT& bounds, bool border, COLORREF background) {
    background_ = background;
    // A notifying static control: it takes the mouse and reports clicks and double clicks.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_NOTIFY | (border ? WS_BORDER : 0);
    hwnd_ = CreateWindowExW(0, L"STATIC", L"", style, bounds.left, bounds.top, bounds.right - bounds.left,
                            bounds.bottom - bounds.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            nullptr, nullptr);
    if (!hwnd_) return false;
    if (!SetWindowSubclass(hwnd_, &ImageView::Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
        DestroyWindow(hwnd_);
        hwnd_ = nullptr;
        return false;
    }
    return true;
}

bool ImageView::PictureSize(SIZE* size) const {
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    if (!picture_ || FAILED(picture_->get_Width(&width)) || FAILED(picture_->get_Height(&height))) return false;
    const ScreenScale scale;
    size->cx = MulDiv(width, scale.DpiX(), kHimetricPerInch);
    size->cy = MulDiv(height, scale.DpiY(), kHimetricPerInch);
    return true;
}

HRESULT ImageView::SetPicture(IUnknown* picture) {
    if (!hwnd_) return E_HANDLE;
    Microsoft::WRL::ComPtr<IPicture> readable;
    if (picture) {
        const HRESULT hr = picture->QueryInterface(IID_PPV_ARGS(&readable));
        if (FAILED(hr)) return hr;
    }
    picture_ = readable;
    SIZE size{};
    if (PictureSize(&size)) {
        RECT frame{0, 0, size.cx, size.cy};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE)));
        SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(hwnd_, nullptr, TRUE);
    return S_OK;
}

HRESULT ImageView::SetToolTip(const std::wstring& text) {
    if (!hwnd_) return E_HANDLE;
    if (!toolTip_) {
        // Owned by the top-level window, so it goes with it.
        toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                   GetAncestor(hwnd_, GA_ROOT), nullptr, nullptr, nullptr);
        if (!toolTip_) return HRESULT_FROM_WIN32(GetLastError());
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = GetParent(hwnd_);
        tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
        tool.lpszText = const_cast<LPWSTR>(L"");
        SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = GetParent(hwnd_);
    tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    tool.lpszText = const_cast<LPWSTR>(text.c_str());
    SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    return S_OK;
}

void ImageView::Paint(HDC dc) const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    HBRUSH back = CreateSolidBrush(background_);
    FillRect(dc, &client, back);
    DeleteObject(back);
    SIZE size{};
    if (!PictureSize(&size)) return;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture_->get_Width(&width);
    picture_->get_Height(&height);
    // The source rectangle runs upwards from the picture's bottom edge (HIMETRIC origin).
    picture_->Render(dc, 0, 0, size.cx, size.cy, 0, height, width, -height, nullptr);
}

LRESULT CALLBACK ImageView::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
    auto* view = reinterpret_cast<ImageView*>(self);
    switch (message) {
    case WM_ERASEBKGND:
        return TRUE;  // painted whole in WM_PAINT
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) view->Paint(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &ImageView::Proc, kSubclassId);
        view->hwnd_ = nullptr;
        view->toolTip_ = nullptr;
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace kelmor
