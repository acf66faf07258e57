#include "frmMain.h"

#include <commctrl.h>
#include <olectl.h>

#include <NevkitSupport0100.h>

#include <array>

#include "Keys.h"
#include "Owners.h"
#include "ProgramText.h"
#include "RuntimeError.h"
#include "Shell.h"
#include "StreamDeletion.h"
#include "core/StreamPath.h"
#include "core/TesselTexts.h"
#include "frmMainControls.h"
#include "modMain.h"

using Microsoft::WRL::ComPtr;

namespace tessel {
namespace {

namespace ids = frmMainControls;

// The window as designed: client area, font, caption and the controls (left, top, width,
// height in twips).
constexpr int kClientWidth = 7935;
constexpr int kClientHeight = 3915;
constexpr wchar_t kFontName[] = L"Tahoma";
constexpr int kFontHundredthsOfPoint = 975;  // 9.75 points
constexpr wchar_t kDesignCaption[] = L"Tessel - [FILE_NAME]";

struct ControlDesign {
    int id;
    RECT bounds;  // left, top, width, height
};
constexpr ControlDesign kTxtFileName{ids::kTxtFileName, {60, 60, 7815, 360}};
constexpr ControlDesign kLstStreams{ids::kLstStreams, {60, 480, 7815, 2955}};
constexpr ControlDesign kLblCount{ids::kLblCount, {120, 3540, 1830, 240}};
constexpr ControlDesign kCmdRefresh{ids::kCmdRefresh, {3480, 3480, 1395, 375}};
constexpr ControlDesign kCmdDelete{ids::kCmdDelete, {4980, 3480, 1395, 375}};
constexpr ControlDesign kCmdEditStream{ids::kCmdEditStream, {6480, 3480, 1395, 375}};

// A new column's width: the list view's default of one inch.
constexpr int kColumnWidthTwips = 1440;
constexpr std::array<const wchar_t*, 5> kColumnHeaders{L"Имя", L"Полное имя", L"Размер", L"Stream ID",
                                                       L"Атрибуты"};

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

// The record's kind properties in the order the list asks them; the first that is true decides
// the row's kind texts (core::kStreamKinds, same order).
using KindProperty = HRESULT (STDMETHODCALLTYPE _FileStream::*)(VARIANT_BOOL*);
constexpr std::array<KindProperty, 10> kKindProperties{
    &_FileStream::get_StreamIDInvalid,       &_FileStream::get_StreamIDData,
    &_FileStream::get_StreamIDEAData,        &_FileStream::get_StreamIDSecurityData,
    &_FileStream::get_StreamIDAlternateData, &_FileStream::get_StreamIDLink,
    &_FileStream::get_StreamIDPropertyData,  &_FileStream::get_StreamIDObjectID,
    &_FileStream::get_StreamIDReparseData,   &_FileStream::get_StreamIDSparseBlock};
static_assert(kKindProperties.size() == core::kStreamKinds.size());

std::optional<size_t> FirstKind(_FileStream& record) {
    for (size_t i = 0; i < kKindProperties.size(); ++i) {
        VARIANT_BOOL is = VARIANT_FALSE;
        Check((record.*kKindProperties[i])(&is));
        if (is != VARIANT_FALSE) return i;
    }
    return std::nullopt;
}

bool Is(_FileStream& record, KindProperty property) {
    VARIANT_BOOL is = VARIANT_FALSE;
    Check((record.*property)(&is));
    return is != VARIANT_FALSE;
}

std::wstring NameOf(_FileStream& record) {
    kelmor::UniqueBstr name;
    Check(record.get_Name(name.put()));
    return FromBstr(name.get());
}

std::wstring HexText(LONG value) {
    kelmor::UniqueBstr text;
    CheckStatus(nkHexEx4(value, text.put()));
    return FromBstr(text.get());
}

// The handle of a picture (icons, here). Handles are 32-bit values, sign-extended.
HICON IconHandle(IPictureDisp* picture) {
    ComPtr<IPicture> p;
    Check(picture->QueryInterface(IID_IPicture, reinterpret_cast<void**>(p.GetAddressOf())));
    OLE_HANDLE handle = 0;
    Check(p->get_Handle(&handle));
    return static_cast<HICON>(LongToHandle(static_cast<LONG>(handle)));
}

// A text handed by reference ([in, out] BSTR*): the callee sees the text and may replace it;
// whatever it holds at the end is freed.
class InOutText {
public:
    explicit InOutText(std::wstring_view text) : text_(MakeBstr(text).release()) {}
    ~InOutText() { SysFreeString(text_); }
    InOutText(const InOutText&) = delete;
    InOutText& operator=(const InOutText&) = delete;
    BSTR* Address() { return &text_; }

private:
    BSTR text_;
};

// The style word of the error display: the critical icon and an OK button.
constexpr VbMsgBoxStyle kErrorStyle = static_cast<VbMsgBoxStyle>(MB_OK | MB_ICONERROR);

// The size of `text` in the font of `window`; none when it cannot be measured.
std::optional<SIZE> TextExtent(HWND window, const std::wstring& text) {
    HDC dc = GetDC(window);
    if (!dc) return std::nullopt;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE extent{};
    const BOOL measured = GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    if (!measured) return std::nullopt;
    return extent;
}

// Sets a label's text and fits the label's width to it, on one line, as an auto-sized label
// does: the count line's designed width is that of its design text.
void SetAutoSizedLabel(HWND label, const std::wstring& text) {
    SetWindowTextW(label, text.c_str());
    const std::optional<SIZE> extent = TextExtent(label, text);
    if (!extent) return;
    RECT bounds{};
    GetWindowRect(label, &bounds);
    SetWindowPos(label, nullptr, 0, 0, extent->cx, bounds.bottom - bounds.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The width a header item needs to draw its text whole: the text in the header's font and the
// header's text margins on both sides (three edges each, as the header control draws them).
int HeaderTextFit(HWND header, int column) {
    wchar_t text[256] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 256;
    if (!SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item))) return 0;
    const std::optional<SIZE> extent = TextExtent(header, text);
    return extent ? extent->cx + 2 * 3 * GetSystemMetrics(SM_CXEDGE) : 0;
}

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

void RegisterWindowClass() {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(Instance(), ids::kWindowClass, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;  // replaced per window on creation
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = ids::kWindowClass;
    if (!RegisterClassExW(&wc)) Check(HRESULT_FROM_WIN32(GetLastError()));
}

}  // namespace

frmMain::~frmMain() {
    if (window_) DestroyWindow(window_);
}

void frmMain::Load() {
    if (window_) return;
    scale_ = kelmor::ScreenScale();
    RegisterWindowClass();
    const SIZE outer = OuterSize();
    HWND window = CreateWindowExW(kFormExStyle, ids::kWindowClass, kDesignCaption, kFormStyle, CW_USEDEFAULT,
                                  CW_USEDEFAULT, outer.cx, outer.cy, nullptr, nullptr, Instance(), nullptr);
    if (!window) Check(HRESULT_FROM_WIN32(GetLastError()));
    window_ = window;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&frmMain::WindowProc));
    // Where the system scales per monitor, the window's own resolution may differ from the
    // system's (it opened on another monitor).
    if (const UINT dpi = WindowDpi(window_); dpi != 0 && static_cast<int>(dpi) != scale_.DpiY()) {
        scale_ = kelmor::ScreenScale(static_cast<int>(dpi), static_cast<int>(dpi));
        const SIZE resized = OuterSize();
        SetWindowPos(window_, nullptr, 0, 0, resized.cx, resized.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    CreateControls();
    Form_Load();
}

SIZE frmMain::OuterSize() const {
    RECT outer{0, 0, PixelsX(kClientWidth), PixelsY(kClientHeight)};
    AdjustWindowRectEx(&outer, kFormStyle, FALSE, kFormExStyle);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

UINT frmMain::WindowDpi(HWND window) {
    // GetDpiForWindow exists from Windows 10 1607 on; before, the system's resolution holds.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpi = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return getDpi ? getDpi(window) : 0;
}

void frmMain::ApplyScale() {
    // The new font is handed to the controls before the previous one is deleted.
    kelmor::UniqueFont font(CreateFontW(scale_.FontHeight(kFontHundredthsOfPoint), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                        FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kFontName));
    const std::pair<HWND, const ControlDesign*> controls[] = {
        {txtFileName_, &kTxtFileName}, {lstStreams_, &kLstStreams}, {lblCount_, &kLblCount},
        {cmdRefresh_, &kCmdRefresh},   {cmdDelete_, &kCmdDelete},   {cmdEditStream_, &kCmdEditStream}};
    for (const auto& [control, d] : controls) {
        if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
        SetWindowPos(control, nullptr, PixelsX(d->bounds.left), PixelsY(d->bounds.top), PixelsX(d->bounds.right),
                     PixelsY(d->bounds.bottom), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    font_ = std::move(font);
}

void frmMain::OnDpiChanged(UINT dpi, const RECT& suggested) {
    scale_ = kelmor::ScreenScale(static_cast<int>(dpi), static_cast<int>(dpi));
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyScale();
    std::wstring count(static_cast<size_t>(GetWindowTextLengthW(lblCount_)) + 1, L'\0');
    count.resize(static_cast<size_t>(GetWindowTextW(lblCount_, count.data(), static_cast<int>(count.size()))));
    SetAutoSizedLabel(lblCount_, count);
    if (SendMessageW(lstStreams_, LVM_GETITEMCOUNT, 0, 0) > 0) ResizeListHeaders(lstStreams_);
}

void frmMain::CreateControls() {
    auto make = [&](const ControlDesign& d, DWORD exStyle, const wchar_t* cls, const wchar_t* text,
                    DWORD style) {
        HWND control = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, window_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(d.id)), Instance(), nullptr);
        if (!control) Check(HRESULT_FROM_WIN32(GetLastError()));
        return control;
    };
    // Created in tab order: the list, the three buttons, the path box; the label takes no focus.
    lstStreams_ = make(kLstStreams, WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                       WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
    SendMessageW(lstStreams_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    cmdRefresh_ = make(kCmdRefresh, 0, L"BUTTON", L"Обновить", WS_TABSTOP | BS_PUSHBUTTON);
    cmdDelete_ = make(kCmdDelete, 0, L"BUTTON", L"Удалить", WS_TABSTOP | BS_PUSHBUTTON);
    cmdEditStream_ = make(kCmdEditStream, 0, L"BUTTON", L"Просмотр", WS_TABSTOP | BS_PUSHBUTTON);
    // Display only: read-only edit controls take the button-face background.
    txtFileName_ = make(kTxtFileName, WS_EX_CLIENTEDGE, L"EDIT", L"File Name Goes Here ^_^",
                        WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL);
    lblCount_ = make(kLblCount, 0, L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX);
    ApplyScale();
    SetAutoSizedLabel(lblCount_, L"Files count goes here");
}

void frmMain::Form_Load() {
    VARIANT_BOOL moved = VARIANT_FALSE;
    CheckStatus(nkCenterFormEx(window_, &moved));
    kelmor::UniqueBstr name = MakeBstr(L"A_MAIN");
    CheckStatus(nkLoadResIcon(name.get(), icon_.ReleaseAndGetAddressOf()));
    CheckStatus(nkLoadResIconSmall(name.get(), iconSmall_.ReleaseAndGetAddressOf()));
    CheckStatus(nkSetWindowIconAll(window_, IconHandle(icon_.Get()), IconHandle(iconSmall_.Get())));
}

void frmMain::Form_Unload() {
    streams_.Reset();
    CheckStatus(nkSetWindowIconAll(window_, nullptr, nullptr));
    icon_.Reset();
    iconSmall_.Reset();
}

void frmMain::Unload() {
    if (!window_) return;
    Form_Unload();
    DestroyWindow(window_);
}

void frmMain::Show() {
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(lstStreams_);
}

void frmMain::AddColumns() {
    for (size_t i = 0; i < kColumnHeaders.size(); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = PixelsX(kColumnWidthTwips);
        column.pszText = const_cast<wchar_t*>(kColumnHeaders[i]);
        if (SendMessageW(lstStreams_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column)) < 0)
            Check(E_OUTOFMEMORY);
    }
}

void frmMain::AddRow(_FileStream& record) {
    kelmor::UniqueBstr text;
    std::array<std::wstring, 5> cells;
    cells[0] = GetDisplayName(record);
    cells[1] = NameOf(record);
    double size = 0;
    Check(record.get_Size(&size));
    CheckStatus(nkFormatInt64(size, text.put()));
    cells[2] = FromBstr(text.get());
    cells[3] = GetStreamIDText(record);
    LONG attributes = 0;
    Check(record.get_Attributes(&attributes));
    cells[4] = HexText(attributes);

    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(lstStreams_, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = cells[0].data();
    const LRESULT row = SendMessageW(lstStreams_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (row < 0) Check(E_OUTOFMEMORY);
    for (int column = 1; column < static_cast<int>(cells.size()); ++column) {
        LVITEMW sub{};
        sub.iSubItem = column;
        sub.pszText = cells[column].data();
        SendMessageW(lstStreams_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
    }
}

bool frmMain::Init() {
    // 1. A new reader for every reading.
    ComPtr<_nvkFileStreams> streams;
    Check(CoCreateInstance(__uuidof(nvkFileStreams), nullptr, CLSCTX_INPROC_SERVER, __uuidof(_nvkFileStreams),
                           reinterpret_cast<void**>(streams.GetAddressOf())));
    streams_ = streams;
    // 2. The columns, once.
    HWND header = reinterpret_cast<HWND>(SendMessageW(lstStreams_, LVM_GETHEADER, 0, 0));
    if (SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) <= 0) AddColumns();
    // 3. The reading.
    const std::wstring& path = modMain::CurrentFileName();
    VARIANT_BOOL read = VARIANT_FALSE;
    Check(streams_->ReadFileStreams(MakeBstr(path).get(), VARIANT_TRUE, &read));
    if (read == VARIANT_FALSE) return false;
    // 4., 5. Caption and path, the end of a long path in view.
    SetWindowTextW(window_, Wide(core::kMainCaption).c_str());
    SetWindowTextW(txtFileName_, path.c_str());
    const LRESULT length = GetWindowTextLengthW(txtFileName_);
    SendMessageW(txtFileName_, EM_SETSEL, static_cast<WPARAM>(length), length);
    SendMessageW(txtFileName_, EM_SCROLLCARET, 0, 0);
    // 6. One row per record, in the reader's order.
    LONG count = 0;
    Check(streams_->get_Count(&count));
    for (LONG i = 0; i < count; ++i) AddRow(*Record(i).Get());
    // 7. The count line counts every row.
    const LONG rows = static_cast<LONG>(SendMessageW(lstStreams_, LVM_GETITEMCOUNT, 0, 0));
    kelmor::UniqueBstr rowsText;
    CheckStatus(nkFormatLong(rows, rowsText.put()));
    SetAutoSizedLabel(lblCount_, Wide(core::kCountPrefix) + FromBstr(rowsText.get()));
    // 8., 9. Row 1 selected and in view, the columns sized, the buttons matching row 1.
    if (rows == 0) return false;
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(lstStreams_, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    SendMessageW(lstStreams_, LVM_ENSUREVISIBLE, 0, FALSE);
    ResizeListHeaders(lstStreams_);
    lstStreams_ItemClick(0);
    return true;
}

void frmMain::ResizeListHeaders(HWND listView) {
    if (!listView) return;
    HWND header = reinterpret_cast<HWND>(SendMessageW(listView, LVM_GETHEADER, 0, 0));
    const LRESULT columns = SendMessageW(header, HDM_GETITEMCOUNT, 0, 0);
    LONG width = 0;
    CheckStatus(nkMakeLong(LVSCW_AUTOSIZE_USEHEADER, 0, &width));
    for (LRESULT i = 0; i < columns; ++i) {
        SendMessageA(listView, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), static_cast<LPARAM>(width));
        // Every column but the last (which reaches the list's right edge) must show its header
        // whole: Wine's list view sizes it one pixel narrower than its header draws the text
        // ("Полное и…"). Windows' own sizing already fits, and is then left as it is.
        if (i + 1 < columns) {
            const int fit = HeaderTextFit(header, static_cast<int>(i));
            if (SendMessageW(listView, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0) < fit)
                SendMessageW(listView, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), fit);
        }
    }
}

std::wstring frmMain::GetDisplayName(_FileStream& record) {
    kelmor::UniqueBstr shortName;
    Check(record.get_ShortName(shortName.put()));
    if (SysStringLen(shortName.get()) != 0) return FromBstr(shortName.get());
    return Wide(core::DisplayName(u"", FirstKind(record)));
}

std::wstring frmMain::GetStreamIDText(_FileStream& record) {
    const std::optional<size_t> kind = FirstKind(record);
    if (kind) return Wide(core::StreamIdText(kind, u""));
    LONG id = 0;
    Check(record.get_StreamID(&id));
    return HexText(id);
}

std::optional<int> frmMain::SelectedRow() const {
    const LRESULT row = SendMessageW(lstStreams_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (row < 0) return std::nullopt;
    return static_cast<int>(row);
}

ComPtr<_FileStream> frmMain::Record(int row) const {
    ComPtr<_FileStream> record;
    Check(streams_->get_Item(row, &record));
    return record;
}

void frmMain::lstStreams_ItemClick(int row) {
    ComPtr<_FileStream> record = Record(row);
    const bool alternate = Is(*record.Get(), &_FileStream::get_StreamIDAlternateData);
    const bool data = Is(*record.Get(), &_FileStream::get_StreamIDData);
    EnableWindow(cmdEditStream_, alternate || data);
    EnableWindow(cmdDelete_, alternate);
}

void frmMain::cmdRefresh_Click() {
    SendMessageW(lstStreams_, LVM_DELETEALLITEMS, 0, 0);
    if (Init()) return;
    modMain::Message(core::RefreshFailedText(U16(modMain::CurrentFileName())), MB_OK | MB_ICONERROR);
    Unload();
}

void frmMain::cmdDelete_Click() {
    const std::optional<int> row = SelectedRow();
    if (!row) return;  // nothing selected: nothing to delete
    const std::wstring name = NameOf(*Record(*row).Get());
    const std::wstring& path = modMain::CurrentFileName();
    const int reply = modMain::Message(core::DeleteQuestionText(U16(name), U16(path)),
                                       MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1);
    if (reply == IDCANCEL) return;
    const DWORD error = DeleteStream(path, name);
    if (error == ERROR_SUCCESS) {
        cmdRefresh_Click();
        return;
    }
    InOutText description(Wide(core::DeleteFailedText(U16(name), U16(path))));
    VARIANT_BOOL silent = VARIANT_FALSE;
    VbMsgBoxResult answer = vbOK;
    Check(modMain::Main().ErrorDisplayAPI(static_cast<LONG>(error), kErrorStyle, MakeBstr(L"").get(),
                                          description.Address(), &silent, &answer));
}

void frmMain::cmdEditStream_Click() {
    const std::optional<int> row = SelectedRow();
    if (!row) return;  // nothing selected: nothing to open
    // The settings file's program; empty when it names none (the default then applies).
    kelmor::UniqueBstr viewer;
    CheckStatus(nkReadStringFromPrivateINI(MakeBstr(L"Shell").get(), MakeBstr(L"Program").get(),
                                           MakeBstr(L"").get(), viewer.put()));
    const std::wstring& path = modMain::CurrentFileName();
    std::wstring name;
    try {
        name = NameOf(*Record(*row).Get());
        StartViewer(FromBstr(viewer.get()), Wide(core::StreamPath(U16(path), U16(name))));
    } catch (const RuntimeError& error) {
        ComPtr<_ErrObject> failure(error.Object());
        InOutText description(Wide(core::ViewFailedText(U16(name), U16(path))));
        VARIANT_BOOL silent = VARIANT_FALSE;
        VbMsgBoxResult answer = vbOK;
        Check(modMain::Main().ErrorDisplay(failure.GetAddressOf(), kErrorStyle, MakeBstr(L"").get(),
                                           description.Address(), &silent, &answer));
    }
}

void frmMain::ShowAboutBox() {
    kelmor::UniqueBstr description;
    CheckStatus(
        nkLoadResTextA(MakeBstr(L"DESCRIPTION").get(), MakeBstr(L"TEXT_DATABLOCK").get(), description.put()));
    Check(modMain::Main().ShowAboutBox2(icon_.Get(), iconSmall_.Get(), modMain::App(), description.get(),
                                        nullptr, MakeBstr(L"Освель").get()));
}

void frmMain::Form_KeyDown(WORD key, int shift) {
    if (key == VK_DELETE && shift == 0) {
        if (IsWindowEnabled(cmdDelete_)) cmdDelete_Click();
    } else if (key == VK_F5 && shift == 0) {
        cmdRefresh_Click();
    } else if (key == VK_ESCAPE && shift == 0) {
        Unload();
    } else if (key == VK_F1 && shift == kelmor::kShiftMask) {
        ShowAboutBox();
    }
}

void frmMain::PreviewKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return;
    if (!window_ || (msg.hwnd != window_ && !IsChild(window_, msg.hwnd))) return;
    Form_KeyDown(static_cast<WORD>(msg.wParam), kelmor::ShiftMask());
}

LRESULT CALLBACK frmMain::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<frmMain*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    RunHandler([&] { result = self->OnMessage(message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = self->txtFileName_ = self->lstStreams_ = self->lblCount_ = nullptr;
        self->cmdRefresh_ = self->cmdDelete_ = self->cmdEditStream_ = nullptr;
    }
    return result;
}

LRESULT frmMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                switch (LOWORD(wParam)) {
                    case ids::kCmdRefresh:
                        cmdRefresh_Click();
                        return 0;
                    case ids::kCmdDelete:
                        cmdDelete_Click();
                        return 0;
                    case ids::kCmdEditStream:
                        cmdEditStream_Click();
                        return 0;
                    default:
                        break;
                }
            }
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->idFrom != static_cast<UINT_PTR>(ids::kLstStreams)) break;
            if (header->code == LVN_ITEMCHANGED) {
                // A row that becomes selected, by mouse or keyboard, is the clicked row.
                const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
                if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
                    !(change->uOldState & LVIS_SELECTED) && change->iItem >= 0)
                    lstStreams_ItemClick(change->iItem);
            } else if (header->code == NM_DBLCLK) {
                if (IsWindowEnabled(cmdEditStream_)) cmdEditStream_Click();
            }
            return 0;
        }
        case WM_CLOSE:
            Unload();
            return 0;
        case WM_DPICHANGED:
            // Moved to a monitor of another resolution: the same design at the new one.
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace tessel
