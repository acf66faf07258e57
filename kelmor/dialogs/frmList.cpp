#include "frmList.h"

#include <NevkitSupport0100.h>

#include "Module.h"
#include "core/ListDialogRules.h"

namespace kelmor {
namespace {

// The form as designed: caption "List", Tahoma 9 point, weight 400, character set 204.
constexpr wchar_t kInitialCaption[] = L"List";
constexpr wchar_t kFormFont[] = L"Tahoma";
constexpr WORD kFormFontPoints = 9;
constexpr WORD kFormFontWeight = FW_NORMAL;
constexpr BYTE kFormFontCharset = RUSSIAN_CHARSET;  // 204

// Controls as designed (left, top, width, height in twips).
constexpr RECT kListDesign{60, 60, 6375, 1620};
constexpr RECT kTagDesign{60, 2700, 5895, 900};
// Inner size of the window when it opens: room for the designed controls and the margins.
constexpr int kInnerWidth = 6375 + 2 * core::kListMargin;
constexpr int kInnerHeight = 2700 + 900 + core::kListMargin;

constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                             WS_MAXIMIZEBOX | WS_CLIPCHILDREN | DS_SETFONT;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

// An in-memory dialog template (DLGTEMPLATEEX) without controls: the window code creates them
// itself at positions computed from twips.
std::vector<WORD> FormTemplate() {
    std::vector<WORD> t;
    auto dword = [&](DWORD v) {
        t.push_back(LOWORD(v));
        t.push_back(HIWORD(v));
    };
    auto text = [&](const wchar_t* s) {
        for (; *s; ++s) t.push_back(static_cast<WORD>(*s));
        t.push_back(0);
    };
    t.push_back(1);       // dlgVer
    t.push_back(0xFFFF);  // signature: extended template
    dword(0);             // helpID
    dword(kFormExStyle);
    dword(kFormStyle);
    t.push_back(0);  // no controls in the template
    for (int i = 0; i < 4; ++i) t.push_back(0);  // x, y, cx, cy: set when the window opens
    t.push_back(0);  // no menu
    t.push_back(0);  // the standard dialog class
    text(kInitialCaption);
    t.push_back(kFormFontPoints);
    t.push_back(kFormFontWeight);
    t.push_back(static_cast<WORD>(kFormFontCharset << 8));  // italic 0, then the character set
    text(kFormFont);
    return t;
}

}  // namespace

frmList::~frmList() {
    if (window_) DestroyWindow(window_);  // while the object can still answer its messages
}

HRESULT frmList::Load() {
    if (window_) return S_OK;
    scale_ = ScreenScale();
    return CreateFromTemplate(FormTemplate(), GetActiveWindow());
}

INT_PTR frmList::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit();
        return FALSE;  // focus goes to the list when the window is shown
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) OnResize();
        return TRUE;
    case WM_GETMINMAXINFO:
        if (list_) reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.y = MinimumHeightPixels();
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_SELCHANGE) {
            OnListClick();
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            Close();
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        Close();
        return TRUE;
    default:
        return FALSE;
    }
}

void frmList::OnInit() {
    HINSTANCE instance = Module::Instance() ? Module::Instance() : GetModuleHandleW(nullptr);
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_USETABSTOPS,
                            PixelsX(kListDesign.left), PixelsY(kListDesign.top), PixelsX(kListDesign.right),
                            PixelsY(kListDesign.bottom), window_, reinterpret_cast<HMENU>(kListId), instance, nullptr);
    // The tag is data: an ampersand in it is shown as it is.
    tag_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                           PixelsX(kTagDesign.left), PixelsY(kTagDesign.top), PixelsX(kTagDesign.right),
                           PixelsY(kTagDesign.bottom), window_, reinterpret_cast<HMENU>(kTagId), instance, nullptr);
    // Until a font is given, the controls use the form's.
    const WPARAM formFont = static_cast<WPARAM>(SendMessageW(window_, WM_GETFONT, 0, 0));
    if (list_) SendMessageW(list_, WM_SETFONT, formFont, FALSE);
    if (tag_) SendMessageW(tag_, WM_SETFONT, formFont, FALSE);

    RECT outer{0, 0, PixelsX(kInnerWidth), PixelsY(kInnerHeight)};
    AdjustWindowRectEx(&outer, kFormStyle, FALSE, kFormExStyle);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    VARIANT_BOOL moved = VARIANT_FALSE;
    nkCenterFormEx(window_, &moved);  // any failure leaves the window where it is
}

int frmList::MinimumHeightPixels() const {
    RECT outer{}, inner{}, tag{};
    GetWindowRect(window_, &outer);
    GetClientRect(window_, &inner);
    GetWindowRect(tag_, &tag);
    return PixelsY(core::ListFormMinimumHeight(TwipsY(outer.bottom - outer.top), TwipsY(inner.bottom),
                                               TwipsY(tag.bottom - tag.top)));
}

void frmList::OnResize() {
    if (!list_ || !tag_) return;
    RECT outer{}, inner{}, tag{};
    GetWindowRect(window_, &outer);
    GetClientRect(window_, &inner);
    GetWindowRect(tag_, &tag);
    const int tagHeight = TwipsY(tag.bottom - tag.top);

    // Never lower than room for two labels: a lower window snaps back to the minimum. The
    // resize this causes lays the controls out on its own.
    const int minimum = MinimumHeightPixels();
    if (outer.bottom - outer.top < minimum && !IsZoomed(window_) && !snapping_) {
        snapping_ = true;
        SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, minimum,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        snapping_ = false;
        GetClientRect(window_, &inner);
    }

    const core::Bounds list = core::ListBoxBounds(TwipsX(inner.right), TwipsY(inner.bottom), tagHeight);
    MoveWindow(list_, PixelsX(list.left), PixelsY(list.top), PixelsX(list.width), PixelsY(list.height), TRUE);
    // The list box rounds its height to whole lines: the label goes under what it really took.
    RECT listRect{};
    GetWindowRect(list_, &listRect);
    const core::Bounds label = core::TagLabelBounds(TwipsX(inner.right), TwipsY(listRect.bottom - listRect.top), tagHeight);
    MoveWindow(tag_, PixelsX(label.left), PixelsY(label.top), PixelsX(label.width), tag.bottom - tag.top, TRUE);
}

void frmList::OnListClick() {
    const LRESULT index = SendMessageW(list_, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return;
    const LRESULT length = SendMessageW(list_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) return;
    std::wstring line(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(list_, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(line.data()));
    line.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    const std::u16string_view tag =
        core::LineTag(std::u16string_view(reinterpret_cast<const char16_t*>(line.data()), line.size()));
    SetWindowTextW(tag_, std::wstring(tag.begin(), tag.end()).c_str());
}

HRESULT frmList::AddItem(const std::wstring& text) {
    if (!list_) return E_HANDLE;
    const LRESULT r = SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return r == LB_ERR || r == LB_ERRSPACE ? E_OUTOFMEMORY : S_OK;
}

LONG frmList::ListCount() const {
    if (!list_) return 0;
    const LRESULT n = SendMessageW(list_, LB_GETCOUNT, 0, 0);
    return n == LB_ERR ? 0 : static_cast<LONG>(n);
}

HRESULT frmList::SetCaption(const std::wstring& text) {
    if (!window_) return E_HANDLE;
    return SetWindowTextW(window_, text.c_str()) ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

HRESULT frmList::SetFont(IFontDisp* font) {
    if (!window_) return E_HANDLE;
    if (!font) return E_POINTER;
    Microsoft::WRL::ComPtr<IFont> f;
    HRESULT hr = font->QueryInterface(IID_IFont, reinterpret_cast<void**>(f.GetAddressOf()));
    if (FAILED(hr)) return hr;
    HFONT handle = nullptr;
    hr = f->get_hFont(&handle);
    if (FAILED(hr) || !handle) return FAILED(hr) ? hr : E_FAIL;
    font_ = f;  // the font object owns the handle: keep it while the controls use it
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
    SendMessageW(tag_, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
    return S_OK;
}

bool frmList::IsClosingKey(const MSG& msg) const {
    if (msg.hwnd != window_ && !IsChild(window_, msg.hwnd)) return false;
    if (msg.message == WM_KEYDOWN) return msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE;
    if (msg.message == WM_CHAR) return msg.wParam == L'\r' || msg.wParam == 27;
    return false;
}

bool frmList::PreviewMessage(const MSG& msg) {
    // Enter and Escape close the window wherever the focus is in it, before any control or the
    // dialog keys see them.
    if (!IsClosingKey(msg)) return false;
    Close();
    return true;
}

HRESULT frmList::ShowModal() {
    if (!window_) return E_HANDLE;
    OnResize();  // the layout with the final font
    return RunModal([this] {
        if (list_) SetFocus(list_);
    });
}

}  // namespace kelmor
