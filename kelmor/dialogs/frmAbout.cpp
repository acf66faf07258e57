#include "frmAbout.h"

#include <NevkitSupport0100.h>
#include <shellapi.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "CTextBoxInsertHook.h"
#include "CToolHelpInfo.h"
#include "ErrorInfo.h"
#include "ScreenScale.h"
#include "FrameControl.h"
#include "Keys.h"
#include "MessageBox.h"
#include "Module.h"
#include "Owners.h"
#include "TabShownSink.h"
#include "Text.h"
#include "TextBoxControl.h"
#include "core/AboutBoxRules.h"
#include "nvkTabControl.h"
#include "registry/nvkRegistry.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

const wchar_t kSource[] = L"Kelmor0200.frmAbout";

// The window as designed: caption, fixed dialog border, no minimise or maximise button, client
// area 5775 x 2415 twips.
constexpr wchar_t kDesignCaption[] = L"About MyApp";
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
constexpr int kClientWidth = 5775;
constexpr int kClientHeight = 2415;

// A control's place as designed, in twips.
struct Place {
    int left, top, width, height;
};

// The window's fonts, made with the Cyrillic character set; fonts_ holds them in this order.
enum FontId {
    kFormFont,
    kLabelFont,
    kTitleFont,
    kEMailFont,
    kDescriptionFont,
    kListFont,
    kFontCount,
    kNoFont
};
struct FontDesign {
    const wchar_t* face;
    int centiPoints;  // hundredths of a point
    int weight;
    bool underline;
};
constexpr FontDesign kFonts[kFontCount] = {
    {L"Tahoma", 825, FW_NORMAL, false},         {L"Tahoma", 975, FW_NORMAL, false},
    {L"Times New Roman", 1200, FW_BOLD, false}, {L"Tahoma", 975, FW_NORMAL, true},
    {L"Tahoma", 900, FW_NORMAL, false},         {L"Courier New", 900, FW_NORMAL, false}};

// The strip behind the icon, and the etched separator above the buttons (twips).
constexpr Place kIconBack{120, 120, 855, 1635};
constexpr COLORREF kIconBackColour = RGB(0, 128, 128);
constexpr POINT kEdgeShadow[2] = {{90, 1845}, {5654, 1845}};      // linEdge(1)
constexpr POINT kEdgeHighlight[2] = {{105, 1860}, {5654, 1860}};  // linEdge(0)

// The pages as designed; the pages taken move to page 0's place.
struct PageDesign {
    Place place;
    const wchar_t* caption;
};
constexpr PageDesign kTabDesign[4] = {{{1080, 120, 4635, 1695}, L"Tab"},
                                      {{840, 300, 4695, 1695}, L"Tab"},
                                      {{600, 540, 4695, 1695}, L"Tab"},
                                      {{360, 660, 4695, 1695}, L"System Info"}};

// What a control needs once it is made.
enum Finish {
    kAsMade,
    kFitText,       // the width of its text on one line (AutoSize)
    kOnePixelHigh,  // a line of the etched separator
    kToBottom,      // under every other control of its parent
};

constexpr int kOnForm = -1;  // a control of the form itself rather than of a page
constexpr wchar_t kStatic[] = L"STATIC";
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kTextBox = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kListBox = LBS_NOTIFY | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP;
constexpr DWORD kSunken = WS_EX_CLIENTEDGE;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kDefaultButton = BS_DEFPUSHBUTTON | WS_TABSTOP;
constexpr wchar_t kSystemNameDesign[] = L"%WINDOWS_VERSION%\r\n%SERVICE_PACK%";
// The face colour as an automation colour: a system colour, read when the control is made.
constexpr OLE_COLOR kButtonFace = 0x80000000u | COLOR_BTNFACE;

// One control of the window as designed. Every control is a visible child that clips its
// siblings; a row without a window class is an image view, with a border where `style` has
// WS_BORDER, on `background`.
struct ControlDesign {
    int id;
    int page;  // 0 .. 3, or kOnForm
    const wchar_t* windowClass;
    const wchar_t* text;
    DWORD style;
    Place place;
    FontId font;
    Finish finish = kAsMade;
    DWORD exStyle = 0;
    OLE_COLOR background = 0;
};

using Form = frmAbout;

// The controls in creation order, which is their z-order and, for the pages and buttons, the tab
// order: the pages' controls come first, then the two buttons. On page 3 the etched line runs
// from 120 to 4440 twips, and the framed background lies under everything else.
// clang-format off
constexpr ControlDesign kControls[] = {
    {Form::kTitleId, 0, kStatic, L"Application Title", kLabel, {0, 0, 4605, 600}, kTitleFont},
    {Form::kVersionCaptionId, 0, kStatic, L"Версия:", kLabel, {0, 660, 735, 240}, kLabelFont},
    {Form::kVersionId, 0, kStatic, L"%VERSION%", kLabel, {780, 660, 1140, 240}, kLabelFont},
    {Form::kAuthorCaptionId, 0, kStatic, L"Автор:", kLabel, {0, 900, 735, 240}, kLabelFont},
    {Form::kAuthorId, 0, kStatic, L"%AUTHOR%", kLabel, {780, 900, 1095, 240}, kLabelFont},
    {Form::kEMailCaptionId, 0, kStatic, L"E-Mail:", kLabel, {0, 1140, 735, 240}, kLabelFont},
    {Form::kEMailId, 0, kStatic, L"%EMAIL%", kLabel | SS_NOTIFY, {780, 1140, 885, 240}, kLabelFont},
    {Form::kDevoteId, 0, kStatic, L"Devote", kLabel, {0, 1380, 585, 240}, kLabelFont},
    {Form::kPictureId, 0, nullptr, nullptr, WS_BORDER, {3540, 660, 1020, 990}, kNoFont, kAsMade, 0, kButtonFace},
    {Form::kDescriptionId, 1, L"EDIT", L"", kTextBox, {0, 0, 4575, 1635}, kDescriptionFont, kAsMade, kSunken},
    {Form::kModulesId, 2, L"LISTBOX", L"", kListBox, {0, 0, 4575, 1650}, kListFont, kAsMade, kSunken},
    {Form::kSystemInfoId[0], 3, kStatic, kSystemNameDesign, kLabel, {120, 60, 4380, 480}, kLabelFont},
    {Form::kEdgeId[1], 3, kStatic, L"", kLabel, {120, 645, 4320, 0}, kLabelFont, kOnePixelHigh},
    {Form::kEdgeId[0], 3, kStatic, L"", kLabel, {120, 660, 4320, 0}, kLabelFont, kOnePixelHigh},
    {Form::kSystemInfoId[1], 3, kStatic, L"Free Physical Mem:", kLabel, {120, 780, 1680, 240}, kLabelFont, kFitText},
    {Form::kSystemInfoId[4], 3, kStatic, L"%MEM_1%", kLabel, {1980, 780, 2460, 240}, kLabelFont},
    {Form::kSystemInfoId[2], 3, kStatic, L"Page File Usage:", kLabel, {120, 1020, 1680, 240}, kLabelFont, kFitText},
    {Form::kSystemInfoId[5], 3, kStatic, L"%MEM_2%", kLabel, {1980, 1020, 2460, 240}, kLabelFont},
    {Form::kSystemInfoId[3], 3, kStatic, L"Reserved Virtual:", kLabel, {120, 1260, 1680, 240}, kLabelFont, kFitText},
    {Form::kSystemInfoId[6], 3, kStatic, L"%MEM_3%", kLabel, {1980, 1260, 2460, 240}, kLabelFont},
    {Form::kSystemInfoBackId, 3, kStatic, L"", kLabel | WS_BORDER, {0, 0, 4575, 1635}, kLabelFont, kToBottom},
    {Form::kOkId, kOnForm, L"BUTTON", L"Ok", kDefaultButton, {2880, 1980, 1365, 345}, kFormFont},
    {Form::kSysInfoId, kOnForm, L"BUTTON", L"&System Info...", kButton, {4320, 1980, 1365, 345}, kFormFont},
    {Form::kIconId, kOnForm, nullptr, nullptr, 0, {300, 300, 480, 480}, kNoFont, kAsMade, 0, kIconBackColour},
};
// clang-format on

constexpr wchar_t kSysInfoUnavailable[] = L"System Information is unavailable at this time.";

HRESULT ByteSizeText(double bytes, std::wstring* out) {
    BSTR text = nullptr;
    const LONG status = nkFormatByteSize(bytes, &text);
    return SupportText(status, text, kSource, *out);
}

HFONT MakeFont(const FontDesign& design) {
    LOGFONTW lf{};
    lf.lfHeight = ScreenScale().FontHeight(design.centiPoints);
    lf.lfWeight = design.weight;
    lf.lfUnderline = design.underline ? TRUE : FALSE;
    lf.lfCharSet = RUSSIAN_CHARSET;  // 204
    lstrcpynW(lf.lfFaceName, design.face, LF_FACESIZE);
    return CreateFontIndirectW(&lf);
}

// The RGB value of an automation colour (an RGB value or a system colour); the face colour for a
// value that names no colour.
COLORREF ColourOf(OLE_COLOR colour) {
    COLORREF rgb = 0;
    return SUCCEEDED(OleTranslateColor(colour, nullptr, &rgb)) ? rgb : GetSysColor(COLOR_BTNFACE);
}

// An in-memory dialog template (DLGTEMPLATEEX) without controls and without a font: the window
// code creates the controls and their fonts itself, at positions computed from twips.
std::vector<WORD> FormTemplate() {
    std::vector<WORD> t = {1, 0xFFFF, 0, 0};  // version, extended signature, help id
    for (DWORD v : {kFormExStyle, kFormStyle}) {
        t.push_back(LOWORD(v));
        t.push_back(HIWORD(v));
    }
    t.insert(t.end(), {0, 0, 0, 0, 0, 0, 0});  // no controls; x, y, cx, cy; no menu; standard class
    for (const wchar_t* s = kDesignCaption; *s; ++s) t.push_back(static_cast<WORD>(*s));
    t.push_back(0);
    return t;
}

// The handle of a picture object, as the window functions take it (a 32-bit value, widened the
// way the system widens handles).
HRESULT PictureHandle(IPictureDisp* picture, HANDLE* handle, SHORT* type) {
    ComPtr<IPicture> p;
    HRESULT hr = picture->QueryInterface(IID_PPV_ARGS(&p));
    if (FAILED(hr)) return hr;
    OLE_HANDLE value = 0;
    if (FAILED(hr = p->get_Handle(&value))) return hr;
    if (type && FAILED(hr = p->get_Type(type))) return hr;
    *handle = LongToHandle(static_cast<LONG>(value));
    return S_OK;
}

// A picture of a bitmap resource of the library; the picture owns the bitmap.
HRESULT LoadResourceBitmap(const wchar_t* name, ComPtr<IPictureDisp>* picture) {
    HINSTANCE library = Module::Instance();
    HANDLE bitmap = library ? LoadImageW(library, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION) : nullptr;
    if (!bitmap) return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = static_cast<HBITMAP>(bitmap);
    const HRESULT hr = OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE,
                                                reinterpret_cast<void**>(picture->ReleaseAndGetAddressOf()));
    if (FAILED(hr)) DeleteObject(bitmap);
    return hr;
}

}  // namespace

frmAbout::frmAbout() = default;

frmAbout::~frmAbout() {
    if (window_) Unload();
}

RECT frmAbout::PixelRect(int left, int top, int width, int height) const {
    const int x = TwipsToPixelsX(left), y = TwipsToPixelsY(top);
    return {x, y, x + TwipsToPixelsX(width), y + TwipsToPixelsY(height)};
}

HRESULT frmAbout::Load() {
    if (window_) return S_OK;
    // No owner: the box stands on its own, like the program's main window.
    const HRESULT hr = CreateFromTemplate(FormTemplate(), nullptr);
    if (SUCCEEDED(hr)) OnLoad();
    return hr;
}

INT_PTR frmAbout::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInit();
        return FALSE;  // the shown page decides the focus
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        Close();
        return TRUE;
    case WM_PAINT:
        OnPaint();
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        const HWND control = reinterpret_cast<HWND>(lParam);
        const HDC dc = reinterpret_cast<HDC>(wParam);
        // The etched line of page 3, and the locked description on the colour of button faces.
        int colour = control == edges_[0] ? COLOR_BTNHIGHLIGHT : control == edges_[1] ? COLOR_BTNSHADOW : -1;
        if (control == description_) colour = COLOR_BTNFACE;
        if (colour < 0) return FALSE;
        SetBkColor(dc, GetSysColor(colour));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(colour));
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == email_ && emailCursor_ && LOWORD(lParam) == HTCLIENT) {
            SetCursor(emailCursor_);
            SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

HRESULT frmAbout::OnInit() {
    static_assert(std::tuple_size_v<decltype(fonts_)> == kFontCount);
    for (int i = 0; i < kFontCount; ++i)
        if (i != kEMailFont) fonts_[i].reset(MakeFont(kFonts[i]));
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[kFormFont].get()), FALSE);

    RECT outer{0, 0, TwipsToPixelsX(kClientWidth), TwipsToPixelsY(kClientHeight)};
    AdjustWindowRectEx(&outer, kFormStyle, FALSE, kFormExStyle);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    // The pages first: their controls come first in the tab order, then the two buttons.
    for (int i = 0; i < 4; ++i) {
        const Place& d = kTabDesign[i].place;
        Adopt(tabs_[i], FrameControl::New(window_, kTabId[i], d.left, d.top, d.width, d.height));
        if (!tabs_[i]) return E_OUTOFMEMORY;
        SetWindowTextW(tabs_[i]->Handle(), kTabDesign[i].caption);
        tabs_[i]->put_Visible(VARIANT_TRUE);
    }
    CreateControls();

    ComPtr<IPictureDisp> builtIn;
    if (SUCCEEDED(LoadResourceBitmap(L"OSVEL_0000", &builtIn))) {
        dedicationPicture_ = builtIn;
        picture_.SetPicture(builtIn.Get());
    }
    picture_.SetToolTip(L"Освель");
    SendMessageW(window_, DM_SETDEFID, kOkId, 0);
    return S_OK;
}

// A control that cannot be made is left out; the window goes on without it.
void frmAbout::CreateControls() {
    for (const ControlDesign& d : kControls) {
        HWND parent = d.page == kOnForm ? window_ : tabs_[d.page]->Handle();
        const RECT r = PixelRect(d.place.left, d.place.top, d.place.width, d.place.height);
        if (!d.windowClass) {
            if (ImageView* view = View(d.id))
                view->Create(parent, d.id, r, (d.style & WS_BORDER) != 0, ColourOf(d.background));
            continue;
        }
        HWND control = CreateWindowExW(d.exStyle, d.windowClass, d.text,
                                       WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | d.style, r.left, r.top,
                                       r.right - r.left, r.bottom - r.top, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(d.id)), nullptr, nullptr);
        if (HWND* kept = KeptHandle(d.id)) *kept = control;
        if (!control) continue;
        if (d.font != kNoFont && fonts_[d.font])
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[d.font].get()), FALSE);
        switch (d.finish) {
        case kFitText: AutoSize(control); break;
        case kOnePixelHigh:
            SetWindowPos(control, nullptr, 0, 0, r.right - r.left, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            break;
        case kToBottom:
            SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            break;
        case kAsMade: break;
        }
    }
}

HWND* frmAbout::KeptHandle(int id) {
    switch (id) {
    case kTitleId: return &title_;
    case kVersionId: return &version_;
    case kAuthorId: return &author_;
    case kEMailCaptionId: return &emailCaption_;
    case kEMailId: return &email_;
    case kDevoteId: return &devote_;
    case kDescriptionId: return &description_;
    case kModulesId: return &modules_;
    case kOkId: return &ok_;
    case kEdgeId[0]: return &edges_[0];
    case kEdgeId[1]: return &edges_[1];
    default: break;
    }
    for (size_t i = 0; i < systemInfo_.size(); ++i)
        if (id == kSystemInfoId[i]) return &systemInfo_[i];
    return nullptr;
}

ImageView* frmAbout::View(int id) {
    if (id == kIconId) return &icon_;
    if (id == kPictureId) return &picture_;
    return nullptr;
}

void frmAbout::OnLoad() {
    VARIANT_BOOL moved = VARIANT_FALSE;
    nkCenterFormEx(window_, &moved);  // a failure leaves the window where it is
    // The locked description keeps pasted text out.
    if (TextBoxControl* box = description_ ? TextBoxControl::Attach(description_) : nullptr)
        Adopt(descriptionBox_, static_cast<IDispatch*>(box));
    Adopt(hook_, CTextBoxInsertHook::New());
    if (hook_ && descriptionBox_) hook_->SetTextBoxObject(descriptionBox_.Get());
}

void frmAbout::Unload() {
    if (tabSink_) tabSink_->Disconnect();
    tabSink_.Reset();
    tc_.Reset();
    if (hook_) hook_->SetTextBoxObject(nullptr);
    hook_.Reset();
    SetFormIcon(nullptr);
    if (window_) DestroyWindow(window_);
}

void frmAbout::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window_, &ps);
    if (!dc) return;
    // The coloured strip behind the icon: filled, with a black border.
    const RECT back = PixelRect(kIconBack.left, kIconBack.top, kIconBack.width, kIconBack.height);
    HBRUSH fill = CreateSolidBrush(kIconBackColour);
    if (fill) {
        FillRect(dc, &back, fill);
        DeleteObject(fill);
    }
    FrameRect(dc, &back, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    // The etched separator above the buttons.
    for (const auto& [line, colour] :
         {std::pair{kEdgeShadow, COLOR_BTNSHADOW}, std::pair{kEdgeHighlight, COLOR_BTNHIGHLIGHT}}) {
        HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(colour));
        if (!pen) continue;
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, TwipsToPixelsX(line[0].x), TwipsToPixelsY(line[0].y), nullptr);
        LineTo(dc, TwipsToPixelsX(line[1].x), TwipsToPixelsY(line[1].y));
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    EndPaint(window_, &ps);
}

void frmAbout::OnCommand(int id, int code) {
    switch (id) {
    case IDOK:
    case IDCANCEL:
        Close();
        break;
    case kSysInfoId:
        if (code == BN_CLICKED) StartSysInfo();
        break;
    case kIconId:
        // A double click runs the click's step once more: two pages on in all.
        if ((code == STN_CLICKED || code == STN_DBLCLK) && tc_) tc_->PopNextTab(VARIANT_FALSE, VARIANT_TRUE);
        break;
    case kEMailId:
        if (code == STN_CLICKED) OnEMailClick();
        break;
    default:
        break;
    }
}

void frmAbout::OnEMailClick() {
    const int length = GetWindowTextLengthW(email_);
    if (length <= 0) return;
    std::wstring address(static_cast<size_t>(length) + 1, L'\0');
    address.resize(static_cast<size_t>(GetWindowTextW(email_, address.data(), length + 1)));
    // The shell's answer is not reported.
    ShellExecuteW(window_, L"open", (L"mailto:" + address).c_str(), L"", L"", SW_SHOWNORMAL);
}

HRESULT frmAbout::SetLabel(HWND label, const std::wstring& text, bool autoSize) {
    if (!label) return E_HANDLE;
    if (!SetWindowTextW(label, text.c_str())) return HRESULT_FROM_WIN32(GetLastError());
    return autoSize ? AutoSize(label) : S_OK;
}

// The label takes the size of its text on one line, as the value labels of page 0 and the names
// of page 3 do: no text is cut off whatever the font substitutes for the designed one.
HRESULT frmAbout::AutoSize(HWND label) {
    const int length = GetWindowTextLengthW(label);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(label, text.data(), length + 1)));
    HDC dc = GetDC(label);
    if (!dc) return E_FAIL;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    // Two pixels more than the advance widths: a glyph may reach past its advance on the right.
    SetWindowPos(label, nullptr, 0, 0, r.right - r.left + 2, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(label, nullptr, TRUE);
    return S_OK;
}

HRESULT frmAbout::SetCaption(const std::wstring& text) {
    if (!window_) return E_HANDLE;
    return SetWindowTextW(window_, text.c_str()) ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}
HRESULT frmAbout::SetTitle(const std::wstring& text) { return SetLabel(title_, text, false); }
HRESULT frmAbout::SetAuthor(const std::wstring& text) { return SetLabel(author_, text, true); }
HRESULT frmAbout::SetVersionText(const std::wstring& text) { return SetLabel(version_, text, true); }
HRESULT frmAbout::SetDevote(const std::wstring& text) { return SetLabel(devote_, text, true); }
HRESULT frmAbout::SetDescription(const std::wstring& text) { return SetLabel(description_, text, false); }

HRESULT frmAbout::HideEMailRow() {
    if (!emailCaption_ || !email_ || !devote_) return E_HANDLE;
    ShowWindow(emailCaption_, SW_HIDE);
    ShowWindow(email_, SW_HIDE);
    // The dedication and the e-mail caption swap their tops: the dedication moves up a row.
    RECT devote{}, caption{};
    GetWindowRect(devote_, &devote);
    GetWindowRect(emailCaption_, &caption);
    HWND page = GetParent(devote_);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&devote), 2);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&caption), 2);
    const UINT flags = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(devote_, nullptr, devote.left, caption.top, 0, 0, flags);
    SetWindowPos(emailCaption_, nullptr, caption.left, devote.top, 0, 0, flags);
    return S_OK;
}

HRESULT frmAbout::SetEMail(const std::wstring& address) {
    HRESULT hr = SetLabel(email_, address, false);
    if (FAILED(hr)) return hr;
    UniqueFont& font = fonts_[kEMailFont];
    if (!font) font.reset(MakeFont(kFonts[kEMailFont]));
    if (!font) return E_OUTOFMEMORY;
    SendMessageW(email_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    hr = AutoSize(email_);
    if (FAILED(hr)) return hr;
    HINSTANCE library = Module::Instance();
    emailCursor_ = library ? LoadCursorW(library, L"DOZAVIZ_CURSOR") : nullptr;
    return emailCursor_ ? S_OK : HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
}

HRESULT frmAbout::SetFormIcon(IPictureDisp* picture) {
    if (!window_) return E_HANDLE;
    formIcon_ = picture;
    HANDLE handle = nullptr;
    if (picture) {
        const HRESULT hr = PictureHandle(picture, &handle, nullptr);
        if (FAILED(hr)) return hr;
    }
    return RaiseSupportStatus(nkSetWindowIconAll(window_, static_cast<HICON>(handle), static_cast<HICON>(handle)),
                              kSource);
}

HRESULT frmAbout::SetIconPicture(IPictureDisp* picture) {
    iconPicture_ = picture;
    return icon_.SetPicture(picture);
}

HRESULT frmAbout::SetPictureToolTip(const std::wstring& text) { return picture_.SetToolTip(text); }

HRESULT frmAbout::SetDedicationPicture(IPictureDisp* picture) {
    HWND view = picture_.Handle();
    if (!view || !tabs_[0]) return E_HANDLE;
    HANDLE handle = nullptr;
    SHORT type = PICTYPE_UNINITIALIZED;
    HRESULT hr = picture ? PictureHandle(picture, &handle, &type) : E_POINTER;
    if (FAILED(hr)) return hr;
    if (!handle || type < PICTYPE_BITMAP) {
        ShowWindow(view, SW_HIDE);
        return S_OK;
    }
    ShowWindow(view, SW_SHOWNA);
    hr = picture_.SetPicture(picture);
    if (FAILED(hr)) return hr;
    dedicationPicture_ = picture;
    RECT page{}, image{};
    GetClientRect(tabs_[0]->Handle(), &page);
    GetWindowRect(view, &image);
    const core::PixelPoint at = core::DedicationPicturePlace(page.right, page.bottom, image.right - image.left,
                                                             image.bottom - image.top);
    SetWindowPos(view, HWND_TOP, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    return S_OK;
}

HRESULT frmAbout::InitTabs() {
    HRESULT hr = FillModuleList();
    if (SUCCEEDED(hr)) hr = FillSystemInfo();
    if (SUCCEEDED(hr)) hr = BuildTabs();
    return hr;
}

HRESULT frmAbout::FillModuleList() {
    if (!modules_) return E_HANDLE;
    std::unique_ptr<CToolHelpInfo> info;
    HRESULT hr = CToolHelpInfo::Create(&info);
    if (FAILED(hr)) return hr;
    // The names' width lines the columns up in the fixed-pitch list.
    const LONG nameSize = info->LongestNameLength();
    size_t widest = 0;
    for (LONG i = 0; i < info->ModulesCount(); ++i) {
        CModuleEntry module;
        std::wstring line;
        if (FAILED(hr = info->ModuleItem(i, &module)) || FAILED(hr = module.toString(nameSize, &line))) return hr;
        SendMessageW(modules_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        widest = std::max(widest, line.size());
    }
    if (widest > 0) {
        // The list scrolls sideways over its longest line.
        const std::wstring blanks(widest + 1, L' ');
        HDC dc = GetDC(modules_);
        if (!dc) return E_FAIL;
        HGDIOBJ old = SelectObject(dc, fonts_[kListFont].get());
        SIZE extent{};
        GetTextExtentPoint32W(dc, blanks.c_str(), static_cast<int>(blanks.size()), &extent);
        SelectObject(dc, old);
        ReleaseDC(modules_, dc);
        SendMessageW(modules_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent.cx), 0);
    }
    if (SendMessageW(modules_, LB_GETCOUNT, 0, 0) > 0) SendMessageW(modules_, LB_SETCURSEL, 0, 0);
    return S_OK;
}

HRESULT frmAbout::FillSystemInfo() {
    std::wstring text;
    BSTR name = nullptr;
    const LONG status = nkGetHostOSFullName(-1, -1, &name);
    HRESULT hr = SupportText(status, name, kSource, text);
    if (FAILED(hr)) return hr;
    SetWindowTextW(systemInfo_[0], text.c_str());
    // 64-bit counts: the 32-bit memory status stops at 4 GB and would misreport larger machines.
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    if (!GlobalMemoryStatusEx(&memory)) return HRESULT_FROM_WIN32(GetLastError());
    if (FAILED(hr = ByteSizeText(static_cast<double>(memory.ullAvailPhys), &text))) return hr;
    const std::u16string line = core::FreeMemoryText(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()), memory.dwMemoryLoad);
    SetWindowTextW(systemInfo_[4], std::wstring(line.begin(), line.end()).c_str());
    if (FAILED(hr = ByteSizeText(static_cast<double>(memory.ullTotalPageFile - memory.ullAvailPageFile), &text)))
        return hr;
    SetWindowTextW(systemInfo_[5], text.c_str());
    if (FAILED(hr = ByteSizeText(static_cast<double>(memory.ullTotalVirtual - memory.ullAvailVirtual), &text)))
        return hr;
    SetWindowTextW(systemInfo_[6], text.c_str());
    return S_OK;
}

HRESULT frmAbout::BuildTabs() {
    HRESULT hr =
        nvkTabControl::CreateInstance(IID__nvkTabControl, reinterpret_cast<void**>(tc_.ReleaseAndGetAddressOf()));
    if (FAILED(hr)) return hr;
    hr = TabShownSink::Connect(tc_.Get(), [this](LONG) { OnTabShown(); }, &tabSink_);
    if (FAILED(hr)) return hr;
    const bool descriptionEmpty = GetWindowTextLengthW(description_) == 0;
    const LRESULT lines = SendMessageW(modules_, LB_GETCOUNT, 0, 0);
    const core::PageContent contents[4] = {core::PageContent::Other, core::PageContent::Description,
                                           core::PageContent::Modules, core::PageContent::Other};
    for (int i = 0; i < 4; ++i) {
        if (!core::IsPageTaken(contents[i], descriptionEmpty, lines == LB_ERR ? 0 : static_cast<std::int32_t>(lines))) {
            tabs_[i]->put_Visible(VARIANT_FALSE);
            continue;
        }
        if (FAILED(hr = tc_->AddTab(static_cast<::Frame*>(tabs_[i].Get()), VARIANT_TRUE))) return hr;
        tabs_[i]->MoveTo(kTabDesign[0].place.left, kTabDesign[0].place.top);
    }
    return tc_->PopTab(1, VARIANT_FALSE, VARIANT_TRUE);
}

void frmAbout::OnTabShown() {
    // The visible page decides the focus (the index the event passes is not needed). The focus
    // is set only while the window is shown; a page shown before that gets it when it opens.
    const bool shown = window_ && IsWindowVisible(window_);
    for (int i = 0; i < 4; ++i) {
        VARIANT_BOOL visible = VARIANT_FALSE;
        if (!tabs_[i] || FAILED(tabs_[i]->get_Visible(&visible)) || !visible) continue;
        HWND target = nullptr;
        switch (core::FocusOfPage(i)) {
        case core::PageFocus::Description: {
            LONG margins = 0;
            if (nkMakeLong(2, 2, &margins) >= 0)
                SendMessageW(description_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, margins);
            target = description_;
            break;
        }
        case core::PageFocus::Modules: target = modules_; break;
        case core::PageFocus::OkButton: target = ok_; break;
        case core::PageFocus::None: break;
        }
        if (target && shown) SetFocus(target);
    }
}

void frmAbout::StartSysInfo() {
    if (SUCCEEDED(LaunchSysInfo())) return;
    SetErrorInfo(0, nullptr);
    // No title: the box carries the running program's title, as the runtime's message box does.
    std::wstring title;
    BSTR text = nullptr;
    const LONG status = nkGetThunderMainTitle(&text);
    if (FAILED(SupportText(status, text, kSource, title))) title.clear();
    int button = 0;
    MsgBox(kSysInfoUnavailable, MB_OK | MB_ICONEXCLAMATION, title, L"", 0, &button);
}

HRESULT frmAbout::LaunchSysInfo() {
    ComPtr<_nvkRegistry> registry;
    HRESULT hr = nvkRegistry::CreateInstance(IID__nvkRegistry, reinterpret_cast<void**>(registry.GetAddressOf()));
    if (FAILED(hr)) return hr;
    const auto machine = static_cast<RegistryRoot_Const>(0x80000002);  // HKEY_LOCAL_MACHINE
    auto read = [&](const wchar_t* key, const wchar_t* name, std::wstring* value) -> HRESULT {
        UniqueBstr keyText(SysAllocString(key)), nameText(SysAllocString(name));
        if (!keyText || !nameText) return E_OUTOFMEMORY;
        VARIANT_BOOL ok = VARIANT_FALSE;
        UniqueVariant result;
        const HRESULT got = registry->GetValue(machine, keyText.get(), nameText.get(), rtString, &ok, result.put());
        if (FAILED(got)) return got;
        if (!ok || V_VT(result.get()) != VT_BSTR) return S_FALSE;
        *value = FromBstr(V_BSTR(result.get()));
        return S_OK;
    };
    std::wstring path;
    hr = read(L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH", &path);
    if (FAILED(hr)) return hr;
    if (hr == S_FALSE) {
        std::wstring folder;
        hr = read(L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO", &folder);
        if (hr != S_OK) return FAILED(hr) ? hr : E_FAIL;
        if (folder.empty() || folder.back() != L'\\') folder += L'\\';
        path = folder + L"MSINFO32.EXE";
        UniqueBstr candidate(SysAllocString(path.c_str()));
        VARIANT_BOOL exists = VARIANT_FALSE;
        if (!candidate) return E_OUTOFMEMORY;
        if (FAILED(hr = RaiseSupportStatus(nkIsFileExist(candidate.get(), &exists), kSource))) return hr;
        if (!exists) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    }
    if (path.empty()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    std::wstring current(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(current.size()), current.data());
        if (n < current.size()) {
            current.resize(n);
            break;
        }
        current.resize(n);
    }
    const auto started = reinterpret_cast<INT_PTR>(
        ShellExecuteW(window_, L"open", path.c_str(), L"", current.c_str(), SW_SHOWNORMAL));
    return started > 32 ? S_OK : E_FAIL;
}

bool frmAbout::PreviewMessage(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.hwnd != window_ && !IsChild(window_, msg.hwnd))) return false;
    switch (core::PageStepOfKey(static_cast<int>(msg.wParam), ShiftMask())) {
    case core::PageStep::Previous:
        if (tc_) tc_->PopPrevTab(VARIANT_FALSE, VARIANT_TRUE);
        return true;
    case core::PageStep::Next:
        if (tc_) tc_->PopNextTab(VARIANT_FALSE, VARIANT_TRUE);
        return true;
    case core::PageStep::None: break;
    }
    // Escape presses Ok; Enter presses the focused button, or Ok anywhere else.
    if (msg.wParam == VK_ESCAPE) {
        Close();
        return true;
    }
    if (msg.wParam == VK_RETURN) {
        HWND focus = GetFocus();
        const int id = focus && IsChild(window_, focus) ? GetDlgCtrlID(focus) : 0;
        OnCommand(id == kSysInfoId ? kSysInfoId : kOkId, BN_CLICKED);
        return true;
    }
    return false;
}

HRESULT frmAbout::ShowModal() {
    if (!window_) return E_HANDLE;
    return RunModal([this] { OnTabShown(); });  // the focus of the page shown
}

}  // namespace kelmor
