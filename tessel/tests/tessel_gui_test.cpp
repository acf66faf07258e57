// Tessel.exe as a user meets it, driven from this program through window messages and real
// key presses: the start-up messages, the main window and its list, the commands and the
// shortcuts. Each case starts the program from a private folder (a copy of Tessel.exe with the
// support library, a test viewer as Write.EXE, the settings file when a case writes one) and
// ends it; every wait has a timeout and nothing is left running.
//
// The cases named FakeReader* run in a copy of the test prefix where a test reader stands in
// for the library's stream reader (fake_reader/FakeReader.cpp): Wine has no alternate data
// streams, so rows of every kind, and deletions that succeed, can only be shown with records
// a test chooses. The other cases run against the real library.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <NevkitSupport0100.h>

#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Kelmor0200.h"
#include "TesselDriver.h"
#include "TestSupport.h"

namespace {

using kelmor::test::RemoveTree;
using Microsoft::WRL::ComPtr;
using tessel::test::MainWindow;
using tessel::test::MessageBoxView;
using tessel::test::PressButton;
using tessel::test::ReadMessageBox;
using tessel::test::TesselProcess;
namespace ids = tessel::frmMainControls;

constexpr wchar_t kTitle[] = L"Nevkit - Tessel";
const std::vector<std::wstring> kHeaders{L"Имя", L"Полное имя", L"Размер", L"Stream ID", L"Атрибуты"};
using Rows = std::vector<std::vector<std::wstring>>;


void WriteFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Nk(LONG status, BSTR text) {
    std::wstring out = status < 0 ? L"<failed>" : std::wstring(text ? text : L"", SysStringLen(text));
    SysFreeString(text);
    return out;
}
std::wstring Hex(LONG value) {
    BSTR text = nullptr;
    const LONG status = nkHexEx4(value, &text);
    return Nk(status, text);
}
std::wstring SizeText(double value) {
    BSTR text = nullptr;
    const LONG status = nkFormatInt64(value, &text);
    return Nk(status, text);
}
std::wstring ErrorNumberText(LONG value) {
    BSTR text = nullptr;
    const LONG status = nkGetErrorNumber(value, &text);
    return Nk(status, text);
}

// Reads a file the test viewer wrote (its command line, UTF-16); empty after the timeout.
std::wstring WaitForCommandLine(const std::wstring& viewer, DWORD timeoutMs = 15000) {
    const std::wstring file = viewer + L".cmdline";
    for (DWORD waited = 0; waited <= timeoutMs; waited += 25) {
        std::ifstream in(file.c_str(), std::ios::binary);
        if (in) {
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()),
                                bytes.size() / sizeof(wchar_t));
        }
        Sleep(25);
    }
    return {};
}

// The row of the file's data stream ("::$DATA"), or -1.
int DataRow(const MainWindow& main) {
    const Rows rows = main.Rows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i][1] == L"::$DATA") return static_cast<int>(i);
    return -1;
}

// The window's client area and every control at the places of the design (twips) at `dpi`.
void ExpectDesignLayout(const MainWindow& main, int dpi) {
    auto px = [&](int twips) { return MulDiv(twips, dpi, 1440); };
    RECT client{};
    GetClientRect(main.Window(), &client);
    EXPECT_EQ(px(7935), client.right) << dpi << " DPI";
    EXPECT_EQ(px(3915), client.bottom) << dpi << " DPI";
    struct Design {
        int id;
        int left, top, width, height;
        const wchar_t* text;  // the design-time text (null: changed by Init or none)
    };
    const Design designs[] = {
        {ids::kTxtFileName, 60, 60, 7815, 360, nullptr},
        {ids::kLstStreams, 60, 480, 7815, 2955, nullptr},
        {ids::kLblCount, 120, 3540, -1, 240, nullptr},  // its width fits its text
        {ids::kCmdRefresh, 3480, 3480, 1395, 375, L"Обновить"},
        {ids::kCmdDelete, 4980, 3480, 1395, 375, L"Удалить"},
        {ids::kCmdEditStream, 6480, 3480, 1395, 375, L"Просмотр"},
    };
    for (const Design& d : designs) {
        RECT r{};
        GetWindowRect(main.Control(d.id), &r);
        MapWindowPoints(nullptr, main.Window(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(px(d.left), r.left) << d.id << " at " << dpi << " DPI";
        EXPECT_EQ(px(d.top), r.top) << d.id << " at " << dpi << " DPI";
        if (d.width > 0) {
            EXPECT_EQ(px(d.width), r.right - r.left) << d.id << " at " << dpi << " DPI";
        }
        EXPECT_EQ(px(d.height), r.bottom - r.top) << d.id << " at " << dpi << " DPI";
        if (d.text) {
            EXPECT_EQ(d.text, tessel::test::TextOf(main.Control(d.id)));
        }
    }
}

// Every column shows its header whole (its text in the window's font, Tahoma 9.75 points at
// `dpi`, and the header's margins of three edges on each side), and the last one reaches the
// list's right edge.
void ExpectHeadersWhole(const MainWindow& main, int dpi) {
    RECT list{};
    GetClientRect(main.List(), &list);
    HFONT font = CreateFontW(-MulDiv(975, dpi, 7200), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                             L"Tahoma");
    HDC dc = GetDC(nullptr);
    HGDIOBJ oldFont = SelectObject(dc, font);
    const std::vector<std::wstring> headers = main.Headers();
    int total = 0;
    for (int column = 0; column < main.ColumnCount(); ++column) {
        const int width = static_cast<int>(SendMessageW(main.List(), LVM_GETCOLUMNWIDTH, column, 0));
        SIZE text{};
        const std::wstring& header = headers[static_cast<size_t>(column)];
        GetTextExtentPoint32W(dc, header.c_str(), static_cast<int>(header.size()), &text);
        EXPECT_LE(text.cx + 6 * GetSystemMetrics(SM_CXEDGE), width)
            << "the header is cut: " << column << " at " << dpi << " DPI";
        total += width;
    }
    SelectObject(dc, oldFont);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    EXPECT_EQ(list.right, total) << dpi << " DPI";
}

class TesselGui : public ::testing::Test {
protected:
    // The private installation every case starts the program from.
    static void SetUpTestSuite() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        install_ = std::wstring(temp) + L"tessel-gui-" + std::to_wstring(GetCurrentProcessId());
        RemoveTree(install_);
        CreateDirectoryW(install_.c_str(), nullptr);
        CreateDirectoryW((install_ + L"\\Просмотр потоков").c_str(), nullptr);
        CreateDirectoryW((install_ + L"\\files").c_str(), nullptr);
        const std::pair<const wchar_t*, std::wstring> copies[] = {
            {L"Tessel.exe", L"Tessel.exe"},
            {L"NevkitSupport0100.dll", L"NevkitSupport0100.dll"},
            {L"tessel_test_viewer.exe", L"Write.EXE"},
            {L"tessel_test_viewer.exe", L"Просмотр потоков\\viewer.exe"},
        };
        for (const auto& [from, to] : copies)
            ASSERT_TRUE(
                CopyFileW(kelmor::test::BesideExe(from).c_str(), (install_ + L"\\" + to).c_str(), FALSE))
                << "cannot copy " << testing::PrintToString(std::wstring(from));
    }
    static void TearDownTestSuite() { RemoveTree(install_); }

    void SetUp() override { ASSERT_EQ(S_OK, CoInitialize(nullptr)); }
    void TearDown() override {
        if (tessel_.Running()) {
            ADD_FAILURE() << "Tessel was still running at the end of the case";
            tessel_.DismissDialogs();
            tessel_.End();
        }
        CoUninitialize();
    }

    static std::wstring Exe() { return install_ + L"\\Tessel.exe"; }
    static std::wstring File(const std::wstring& name) { return install_ + L"\\files\\" + name; }
    static std::wstring Settings() { return install_ + L"\\Tessel.ini"; }
    // A file of the cases' folder with the given bytes.
    static std::wstring NewFile(const std::wstring& name, const std::string& bytes) {
        const std::wstring path = File(name);
        WriteFile(path, bytes);
        return path;
    }

    // Starts the program and waits for its main window.
    MainWindow StartShown(const std::wstring& path, const std::wstring& exe = Exe(),
                          const std::wstring& folder = {}) {
        EXPECT_TRUE(tessel_.Start(exe, L"\"" + path + L"\"", folder));
        HWND window = tessel_.WaitMainWindow();
        EXPECT_NE(nullptr, window) << "the main window did not appear";
        return MainWindow(window, tessel_.Process());
    }

    // The message box the program shows next, checked for the program's title and an icon.
    MessageBoxView NextMessage(const std::wstring& caption = kTitle) {
        HWND box = tessel_.WaitDialog(15000, caption);
        if (!box) {
            ADD_FAILURE() << "no message box appeared";
            return {};
        }
        MessageBoxView view = ReadMessageBox(box);
        EXPECT_TRUE(view.hasIcon) << "the message box shows no icon";
        return view;
    }

    // Presses a button of a message box and waits until the box is gone, so that the next
    // box looked for is a new one.
    void Answer(const MessageBoxView& box, int id) {
        PressButton(box.window, id);
        for (DWORD waited = 0; IsWindow(box.window) && waited < 15000; waited += 20) Sleep(20);
        EXPECT_FALSE(IsWindow(box.window)) << "the message box stayed open";
    }

    // Nothing opens within a short while (a key that must do nothing).
    void ExpectNoDialog() {
        Sleep(400);
        EXPECT_TRUE(tessel_.Windows(L"#32770").empty()) << "a window opened";
    }

    // OK on the box, then the program ends normally.
    void AcknowledgeAndExpectEnd(const MessageBoxView& box) {
        PressButton(box.window, IDOK);
        DWORD code = 99;
        EXPECT_TRUE(tessel_.WaitExit(15000, &code)) << "the program did not end";
        EXPECT_EQ(0u, code);
    }

    void PressEscapeAndExpectEnd(const MainWindow& main) {
        main.Key(VK_ESCAPE);
        DWORD code = 99;
        EXPECT_TRUE(tessel_.WaitExit(15000, &code)) << "Esc did not end the program";
        EXPECT_EQ(0u, code);
    }

    // The buttons view and delete as they are after clicking row `row`.
    std::pair<bool, bool> ButtonsAfterClicking(const MainWindow& main, int row) {
        EXPECT_TRUE(main.ClickRow(row)) << "row " << row;
        return {main.Enabled(ids::kCmdEditStream), main.Enabled(ids::kCmdDelete)};
    }

    static std::wstring install_;
    TesselProcess tessel_;
};
std::wstring TesselGui::install_;

// Start-up ------------------------------------------------------------------------------

TEST_F(TesselGui, WithoutArgumentShowsTheUsageTextAfterRegisteringTheAppPath) {
    const std::wstring appPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tessel.exe";
    RegDeleteTreeW(HKEY_CURRENT_USER, appPath.c_str());
    ASSERT_TRUE(tessel_.Start(Exe(), L""));
    const MessageBoxView box = NextMessage();
    EXPECT_EQ(
        L"Использование: \r\n\r\nTessel[.EXE] FileName\r\n\r\n"
        L"Выводит список всех альтернативных NTFS потоков для заданного файла или каталога.",
        box.text);
    EXPECT_TRUE(tessel_.Windows(ids::kWindowClass).empty());
    EXPECT_EQ(Exe(), kelmor::test::KeyText(appPath, L"", HKEY_CURRENT_USER));
    AcknowledgeAndExpectEnd(box);
}

TEST_F(TesselGui, AFileThatCannotBeReadIsReportedWithThePathAsTyped) {
    // Quoted, with blanks; the second argument is ignored.
    const std::wstring missing = install_ + L"\\нет такого\\файла.txt";
    ASSERT_TRUE(tessel_.Start(Exe(), L"\"" + missing + L"\" second"));
    MessageBoxView box = NextMessage();
    EXPECT_EQ(L"Не удаётся открыть файл \"" + missing + L"\".", box.text);
    EXPECT_TRUE(tessel_.Windows(ids::kWindowClass).empty()) << "the main window was shown";
    AcknowledgeAndExpectEnd(box);

    // Unquoted, exactly as typed (a relative path stays relative).
    ASSERT_TRUE(tessel_.Start(Exe(), L"no-such-file.txt"));
    box = NextMessage();
    EXPECT_EQ(L"Не удаётся открыть файл \"no-such-file.txt\".", box.text);
    AcknowledgeAndExpectEnd(box);
}

// The main window with the library's reader ------------------------------------------------

TEST_F(TesselGui, ARealFileShowsTheReadersRecordsAndTheButtonsFollowTheRow) {
    const std::wstring path = NewFile(L"поток с данными.txt", "Hello");
    // The records as the library reads them, in its order.
    ComPtr<_nvkFileStreams> reader;
    ASSERT_EQ(S_OK,
              CoCreateInstance(__uuidof(nvkFileStreams), nullptr, CLSCTX_INPROC_SERVER,
                               __uuidof(_nvkFileStreams), reinterpret_cast<void**>(reader.GetAddressOf())));
    VARIANT_BOOL read = VARIANT_FALSE;
    BSTR name = SysAllocString(path.c_str());
    ASSERT_EQ(S_OK, reader->ReadFileStreams(name, VARIANT_TRUE, &read));
    SysFreeString(name);
    ASSERT_EQ(VARIANT_TRUE, read);
    LONG count = 0;
    reader->get_Count(&count);
    const std::map<LONG, std::pair<std::wstring, std::wstring>> kinds{
        {1, {L"{Data}", L"DATA"}}, {3, {L"{Security Data}", L"SECURITY_DATA"}}};
    Rows expected;
    std::vector<LONG> kindOfRow;
    for (LONG i = 0; i < count; ++i) {
        ComPtr<_FileStream> record;
        ASSERT_EQ(S_OK, reader->get_Item(i, &record));
        LONG kind = 0, attributes = 0;
        double size = 0;
        BSTR full = nullptr;
        record->get_StreamID(&kind);
        record->get_Attributes(&attributes);
        record->get_Size(&size);
        record->get_Name(&full);
        ASSERT_TRUE(kinds.count(kind)) << "a kind this platform was not expected to report: " << kind;
        expected.push_back(
            {kinds.at(kind).first, Nk(0, full), SizeText(size), kinds.at(kind).second, Hex(attributes)});
        kindOfRow.push_back(kind);
    }
    ASSERT_EQ(2, count) << "the file's data and its security data";

    MainWindow main = StartShown(path);
    ASSERT_NE(nullptr, main.Window());
    EXPECT_EQ(L"Tessel", main.Caption());
    EXPECT_EQ(path, main.PathText());
    EXPECT_EQ(kHeaders, main.Headers());
    EXPECT_EQ(expected, main.Rows());
    EXPECT_EQ(L"Альтернативных потоков: 2", main.CountText());
    EXPECT_EQ(0, main.SelectedRow());
    for (int row : {1, 0, 1}) {
        const bool data = kindOfRow[static_cast<size_t>(row)] == 1;
        EXPECT_EQ(std::make_pair(data, false), ButtonsAfterClicking(main, row)) << "row " << row;
    }
    PressEscapeAndExpectEnd(main);
}

// Under Wine a stream that a Windows program wrote is the file "name:stream" beside the file: the
// library's own reader lists it, the viewer opens it and the deletion removes it by that path.
TEST_F(TesselGui, StreamsThatWindowsProgramsWroteUnderWineAreListedViewedAndDeleted) {
    const std::wstring path = NewFile(L"загрузка.txt", "data");
    const std::wstring mark = path + L":Zone.Identifier", notes = path + L":notes";
    const std::string zone = "[ZoneTransfer]\r\nZoneId=3\r\n";
    WriteFile(mark, zone);
    WriteFile(notes, "12");
    const std::wstring viewer = install_ + L"\\Просмотр потоков\\viewer.exe";
    DeleteFileW((viewer + L".cmdline").c_str());
    ASSERT_TRUE(WritePrivateProfileStringW(L"Shell", L"Program", viewer.c_str(), Settings().c_str()));

    MainWindow main = StartShown(path);
    ASSERT_NE(nullptr, main.Window());
    const Rows rows = main.Rows();
    ASSERT_EQ(4u, rows.size()) << "security data, data and the two streams";
    EXPECT_EQ((Rows{{L"notes", L":notes:$DATA", L"2", L"ALTERNATE_DATA", L"0x00000000"},
                    {L"Zone.Identifier", L":Zone.Identifier:$DATA", SizeText(static_cast<double>(zone.size())),
                     L"ALTERNATE_DATA", L"0x00000000"}}),
              Rows(rows.begin() + 2, rows.end()));

    ASSERT_TRUE(main.ClickRow(3));
    main.Click(ids::kCmdEditStream);
    EXPECT_EQ(L"\"" + viewer + L"\" \"" + mark + L"\"", WaitForCommandLine(viewer));
    DeleteFileW(Settings().c_str());

    ASSERT_TRUE(main.ClickRow(2));
    main.Key(VK_DELETE);
    Answer(NextMessage(), IDOK);
    EXPECT_TRUE(main.WaitUntil([&] { return main.RowCount() == 3; })) << "no refresh after the deletion";
    EXPECT_FALSE(Exists(notes));
    EXPECT_TRUE(Exists(mark));
    main.Key(VK_F5);
    main.Settle();
    EXPECT_EQ(3, main.RowCount());
    EXPECT_TRUE(tessel_.Windows(L"#32770").empty()) << "the deletion was refused";
    PressEscapeAndExpectEnd(main);
    DeleteFileW(mark.c_str());
}

TEST_F(TesselGui, TheWindowIsLaidOutAsDesignedWithSizedColumns) {
    const std::wstring path = NewFile(L"layout.txt", "layout");
    MainWindow main = StartShown(path);
    ASSERT_NE(nullptr, main.Window());
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ExpectDesignLayout(main, dpi);
    // Tab order: the list, the three buttons, the path box (the label takes no focus).
    std::vector<int> order;
    for (HWND c = GetWindow(main.Window(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP) order.push_back(GetDlgCtrlID(c));
    EXPECT_EQ((std::vector<int>{ids::kLstStreams, ids::kCmdRefresh, ids::kCmdDelete, ids::kCmdEditStream,
                                ids::kTxtFileName}),
              order);
    EXPECT_EQ(main.List(), [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(main.Window(), nullptr), &info);
        return info.hwndFocus;
    }()) << "the list has the focus";
    ExpectHeadersWhole(main, dpi);
    PressEscapeAndExpectEnd(main);
}

TEST_F(TesselGui, MovedToAMonitorOfAnotherDpiTheWindowLaysTheDesignOutAgain) {
    const std::wstring path = NewFile(L"dpi.txt", "dpi");
    MainWindow main = StartShown(path);
    ASSERT_NE(nullptr, main.Window());
    // What the system sends a per-monitor aware window that moves to a monitor of 144 DPI: the
    // new resolution and the window's suggested place (its frame around the design's client
    // area at that resolution), the place in the program's memory.
    RECT suggested{0, 0, MulDiv(7935, 144, 1440), MulDiv(3915, 144, 1440)};
    AdjustWindowRectEx(&suggested, static_cast<DWORD>(GetWindowLongW(main.Window(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(main.Window(), GWL_EXSTYLE)));
    OffsetRect(&suggested, 10 - suggested.left, 10 - suggested.top);
    tessel::test::RemoteBuffer place(tessel_.Process(), sizeof suggested);
    ASSERT_TRUE(place.Write(0, &suggested, sizeof suggested));
    ASSERT_TRUE(PostMessageW(main.Window(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                             reinterpret_cast<LPARAM>(place.At(0))));
    main.Settle();
    RECT window{};
    GetWindowRect(main.Window(), &window);
    EXPECT_EQ(suggested.left, window.left);
    EXPECT_EQ(suggested.top, window.top);
    ExpectDesignLayout(main, 144);
    ExpectHeadersWhole(main, 144);
    PressEscapeAndExpectEnd(main);
}

TEST_F(TesselGui, F5AndTheRefreshButtonRebuildTheListOnceOtherKeysDoNothing) {
    const std::wstring path = NewFile(L"refresh.txt", "refresh me");
    MainWindow main = StartShown(path);
    ASSERT_NE(nullptr, main.Window());
    const Rows before = main.Rows();
    ASSERT_EQ(2u, before.size());

    // A refresh selects row 1 again: that shows it ran.
    auto refreshed = [&] { return main.SelectedRow() == 0; };
    ASSERT_TRUE(main.ClickRow(1));
    main.Key(VK_F5);
    EXPECT_TRUE(main.WaitUntil(refreshed)) << "F5 did not refresh";
    EXPECT_EQ(before, main.Rows());
    EXPECT_EQ(5, main.ColumnCount());

    ASSERT_TRUE(main.ClickRow(1));
    main.Click(ids::kCmdRefresh);
    EXPECT_TRUE(main.WaitUntil(refreshed)) << "the refresh button did not refresh";
    EXPECT_EQ(before, main.Rows());
    EXPECT_EQ(5, main.ColumnCount());

    // Shortcuts take no modifiers (and F1 alone opens nothing).
    ASSERT_TRUE(main.ClickRow(1));
    main.Key(VK_F5, true);
    EXPECT_EQ(1, main.SelectedRow()) << "Shift+F5 refreshed";
    main.Key(VK_F5, false, true);
    EXPECT_EQ(1, main.SelectedRow()) << "Ctrl+F5 refreshed";
    main.Key(VK_F1);
    ExpectNoDialog();
    main.Key(VK_ESCAPE, true);
    EXPECT_TRUE(tessel_.Running()) << "Shift+Esc ended the program";
    PressEscapeAndExpectEnd(main);
}

// The tools of the tooltip windows that `owner` owns, counted by EnumWindows (a named callback:
// a lambda is no __stdcall function on 32 bits).
struct Tips {
    HWND owner;
    LRESULT tools = 0;
};
BOOL CALLBACK CountTips(HWND w, LPARAM context) {
    auto* t = reinterpret_cast<Tips*>(context);
    if (tessel::test::ClassOf(w) == L"tooltips_class32" && GetWindow(w, GW_OWNER) == t->owner)
        t->tools += SendMessageW(w, TTM_GETTOOLCOUNT, 0, 0);
    return TRUE;
}

TEST_F(TesselGui, ShiftF1OpensTheAboutBox) {
    const std::wstring path = NewFile(L"about.txt", "about");
    MainWindow main = StartShown(path);
    ASSERT_NE(nullptr, main.Window());
    main.Key(VK_F1, true);
    HWND about = nullptr;
    for (DWORD waited = 0; !about && waited < 15000 && tessel_.Running(); waited += 25) {
        for (HWND w : tessel_.Windows())
            if (tessel::test::TextOf(w) == L"О программе") about = w;
        if (!about) Sleep(25);
    }
    ASSERT_NE(nullptr, about) << "no about box";
    // The picture's tooltip took its tool (the current TTTOOLINFOW, which the common controls of
    // version 5 refuse: the program's manifest asks for version 6).
    Tips tips{about};
    EnumWindows(&CountTips, reinterpret_cast<LPARAM>(&tips));
    EXPECT_EQ(1, tips.tools) << "the about box's picture has no tooltip";
    HWND ok = FindWindowExW(about, nullptr, L"Button", L"Ok");
    ASSERT_NE(nullptr, ok);
    PostMessageW(ok, BM_CLICK, 0, 0);
    for (DWORD waited = 0; IsWindow(about) && IsWindowVisible(about) && waited < 15000; waited += 25)
        Sleep(25);
    EXPECT_FALSE(IsWindow(about) && IsWindowVisible(about)) << "the about box stayed open";
    EXPECT_TRUE(tessel_.Running());
    PressEscapeAndExpectEnd(main);
}

TEST_F(TesselGui, ARefreshAfterTheFileWasDeletedFromOutsideEndsTheProgram) {
    const std::wstring path = NewFile(L"удалится.txt", "soon gone");
    MainWindow main = StartShown(path);
    ASSERT_NE(nullptr, main.Window());
    ASSERT_TRUE(DeleteFileW(path.c_str()));
    main.Key(VK_F5);
    const MessageBoxView box = NextMessage();
    EXPECT_EQ(L"Не удалось обновить список альтернативных потоков файла \"" + path + L"\".", box.text);
    AcknowledgeAndExpectEnd(box);
    EXPECT_TRUE(tessel_.Windows(ids::kWindowClass).empty());
}

// The view command -------------------------------------------------------------------------

TEST_F(TesselGui, ViewStartsTheViewerOfTheSettingsFileWithBothPartsQuoted) {
    const std::wstring path = NewFile(L"просмотр.txt", "view me");
    const std::wstring viewer = install_ + L"\\Просмотр потоков\\viewer.exe";
    const std::wstring defaultViewer = install_ + L"\\Write.EXE";
    DeleteFileW((viewer + L".cmdline").c_str());
    DeleteFileW((defaultViewer + L".cmdline").c_str());
    ASSERT_TRUE(WritePrivateProfileStringW(L"Shell", L"Program", viewer.c_str(), Settings().c_str()));

    MainWindow main = StartShown(path);
    ASSERT_NE(nullptr, main.Window());
    const int dataRow = DataRow(main);
    ASSERT_LE(0, dataRow);
    ASSERT_TRUE(main.ClickRow(dataRow));
    main.Click(ids::kCmdEditStream);
    EXPECT_EQ(L"\"" + viewer + L"\" \"" + path + L"::$DATA\"", WaitForCommandLine(viewer));

    // The setting is read on every view: without the key, Write.EXE (found beside the program).
    DeleteFileW(Settings().c_str());
    main.Click(ids::kCmdEditStream);
    EXPECT_EQ(L"\"Write.EXE\" \"" + path + L"::$DATA\"", WaitForCommandLine(defaultViewer));

    // A double click on a row that can be viewed does the same.
    DeleteFileW((defaultViewer + L".cmdline").c_str());
    ASSERT_TRUE(main.ClickRow(dataRow, true));
    EXPECT_EQ(L"\"Write.EXE\" \"" + path + L"::$DATA\"", WaitForCommandLine(defaultViewer));

    // A viewer that cannot be found: the error display, with the runtime's error 53.
    const std::wstring missing = install_ + L"\\нет\\viewer.exe";
    ASSERT_TRUE(WritePrivateProfileStringW(L"Shell", L"Program", missing.c_str(), Settings().c_str()));
    main.Click(ids::kCmdEditStream);
    MessageBoxView box = NextMessage();
    const std::wstring lead =
        L"Не удалось открыть поток \"::$DATA\" файла \"" + path + L"\" для редактирования.";
    const std::wstring number = L"\r\n\r\nError number: " + ErrorNumberText(53);
    EXPECT_EQ(lead + number, box.text.substr(0, lead.size() + number.size()));
    Answer(box, IDOK);
    DeleteFileW(Settings().c_str());
    main.Settle();
    EXPECT_TRUE(tessel_.Windows(L"#32770").empty());
    PressEscapeAndExpectEnd(main);
}

// An environment variable of this process (and so of the programs it starts) for one case.
class ScopedEnvironment {
public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t old[32767];
        const DWORD n = GetEnvironmentVariableW(name, old, 32767);
        if (n > 0 && n < 32767) old_ = std::wstring(old, n);
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() { SetEnvironmentVariableW(name_, old_ ? old_->c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const wchar_t* name_;
    std::optional<std::wstring> old_;
};

TEST_F(TesselGui, TheDefaultViewerIsNeverTakenFromTheCurrentFolderAndFallsBackToNotepad) {
    // Tessel in a folder of its own without Write.EXE, started in a folder that has one (the
    // folder of a file opened from Explorer's menu, say Downloads); the system folder (the
    // program's test hook) holds only Notepad, PATH only an empty folder.
    const std::wstring root = install_ + L"\\viewer search";
    const std::wstring bare = root + L"\\program", current = root + L"\\Загрузки", system = root + L"\\system",
                       path = root + L"\\path";
    for (const std::wstring& folder : {root, bare, current, system, path})
        CreateDirectoryW(folder.c_str(), nullptr);
    for (const auto& [from, to] : std::vector<std::pair<std::wstring, std::wstring>>{
             {L"Tessel.exe", bare + L"\\Tessel.exe"},
             {L"NevkitSupport0100.dll", bare + L"\\NevkitSupport0100.dll"},
             {L"tessel_test_viewer.exe", current + L"\\Write.exe"},
             {L"tessel_test_viewer.exe", system + L"\\notepad.exe"},
             {L"tessel_test_viewer.exe", path + L"\\configured.exe"}})
        ASSERT_TRUE(CopyFileW(kelmor::test::BesideExe(from).c_str(), to.c_str(), FALSE)) << testing::PrintToString(to);
    const std::wstring planted = current + L"\\Write.exe", notepad = system + L"\\notepad.exe";
    const ScopedEnvironment systemHook(L"TESSEL_TEST_SYSTEM_FOLDER", system);
    const ScopedEnvironment searchPath(L"PATH", L".;" + current.substr(current.find_last_of(L'\\') + 1) + L";" + path);
    const std::wstring file = NewFile(L"по умолчанию.txt", "default viewer");
    const std::wstring stream = L"\"" + file + L"::$DATA\"";

    MainWindow main = StartShown(file, bare + L"\\Tessel.exe", current);
    ASSERT_NE(nullptr, main.Window());
    const int dataRow = DataRow(main);
    ASSERT_LE(0, dataRow);
    ASSERT_TRUE(main.ClickRow(dataRow));

    // No Write.EXE in the program's folder, the system folder or PATH (".", and the relative
    // entry naming the current folder, are not searched): Notepad of the system folder.
    main.Click(ids::kCmdEditStream);
    EXPECT_EQ(L"\"" + notepad + L"\" " + stream, WaitForCommandLine(notepad));
    EXPECT_EQ(L"", WaitForCommandLine(planted, 300)) << "the Write.exe of the current folder was started";

    // A Write.EXE in the system folder (or on PATH) is the default again.
    const std::wstring systemWrite = system + L"\\Write.EXE";
    ASSERT_TRUE(CopyFileW(kelmor::test::BesideExe(L"tessel_test_viewer.exe").c_str(), systemWrite.c_str(), FALSE));
    main.Click(ids::kCmdEditStream);
    EXPECT_EQ(L"\"Write.EXE\" " + stream, WaitForCommandLine(systemWrite));

    // A program the settings file names wins over both, found by the same search when it has
    // no folder; one the search does not find is reported as not found (53), even when the
    // current folder has it.
    const std::wstring settings = bare + L"\\Tessel.ini";
    ASSERT_TRUE(WritePrivateProfileStringW(L"Shell", L"Program", L"configured.exe", settings.c_str()));
    main.Click(ids::kCmdEditStream);
    EXPECT_EQ(L"\"configured.exe\" " + stream, WaitForCommandLine(path + L"\\configured.exe"));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Shell", L"Program", L"Write.exe", settings.c_str()));
    DeleteFileW(systemWrite.c_str());
    main.Click(ids::kCmdEditStream);
    MessageBoxView box = NextMessage();
    const std::wstring number = L"\r\n\r\nError number: " + ErrorNumberText(53);
    EXPECT_NE(std::wstring::npos, box.text.find(number)) << testing::PrintToString(box.text);
    Answer(box, IDOK);
    EXPECT_EQ(L"", WaitForCommandLine(planted, 300)) << "the Write.exe of the current folder was started";
    PressEscapeAndExpectEnd(main);
}

// Rows of every kind and the delete command, with the test reader --------------------------

// The records file of each case is the path the program examines: the test reader reads its
// records from it (see fake_reader/FakeReader.cpp for its lines).
using FakeReader = TesselGui;

TEST_F(FakeReader, RowsOfEveryKindAndTheButtonsOfEachRow) {
    const std::wstring path = NewFile(L"kinds",
                                      "3 0 120 \n"
                                      "1 0 1234567 ::$DATA\n"
                                      "4 9 4294967296 :abc:$DATA\n"
                                      "10 0 0 \n"
                                      "0 0 0 \n"
                                      "2 0 8 \n"
                                      "5 0 0 \n"
                                      "6 0 0 \n"
                                      "7 0 64 \n"
                                      "8 0 0 \n"
                                      "9 8 0 \n"
                                      "4 0 7 :ещё:$DATA\n");
    MainWindow main = StartShown(path);
    ASSERT_NE(nullptr, main.Window());
    const Rows expected{
        {L"{Security Data}", L"", L"120", L"SECURITY_DATA", L"0x00000000"},
        {L"{Data}", L"::$DATA", L"1 234 567", L"DATA", L"0x00000000"},
        {L"abc", L":abc:$DATA", L"4 294 967 296", L"ALTERNATE_DATA", L"0x00000009"},
        {L"{Unknown}", L"", L"0", L"0x0000000A", L"0x00000000"},
        {L"{Invalid}", L"", L"0", L"INVALID", L"0x00000000"},
        {L"{EA Data}", L"", L"8", L"EA_DATA", L"0x00000000"},
        {L"{Link}", L"", L"0", L"LINK", L"0x00000000"},
        {L"{Property Data}", L"", L"0", L"PROPERTY_DATA", L"0x00000000"},
        {L"{Object ID}", L"", L"64", L"OBJECT_ID", L"0x00000000"},
        {L"{Reparse Data}", L"", L"0", L"REPARSE_DATA", L"0x00000000"},
        {L"{Sparse Block}", L"", L"0", L"SPARSE_BLOCK", L"0x00000008"},
        {L"ещё", L":ещё:$DATA", L"7", L"ALTERNATE_DATA", L"0x00000000"},
    };
    EXPECT_EQ(expected, main.Rows());
    EXPECT_EQ(L"Альтернативных потоков: 12", main.CountText());
    EXPECT_EQ(0, main.SelectedRow());
    EXPECT_EQ(std::make_pair(false, false),
              std::make_pair(main.Enabled(ids::kCmdEditStream), main.Enabled(ids::kCmdDelete)));
    for (int row = 0; row < static_cast<int>(expected.size()); ++row) {
        const std::wstring& kind = expected[static_cast<size_t>(row)][3];
        const bool alternate = kind == L"ALTERNATE_DATA";
        EXPECT_EQ(std::make_pair(alternate || kind == L"DATA", alternate), ButtonsAfterClicking(main, row))
            << "row " << row;
    }
    PressEscapeAndExpectEnd(main);
}

TEST_F(FakeReader, DeleteAsksFirstCancelKeepsTheStreamOkDeletesAndRefreshes) {
    const std::wstring path = NewFile(L"sample", "1 0 5 ::$DATA\n~4 0 3 :gone:$DATA\n");
    const std::wstring stream = path + L":gone";
    WriteFile(stream, "abc");
    MainWindow main = StartShown(path);
    ASSERT_NE(nullptr, main.Window());
    ASSERT_EQ(2, main.RowCount());

    // The Delete key on the data row: the button is disabled, nothing happens; with Ctrl
    // nothing happens either.
    ASSERT_TRUE(main.ClickRow(0));
    main.Key(VK_DELETE);
    ExpectNoDialog();
    ASSERT_TRUE(main.ClickRow(1));
    main.Key(VK_DELETE, false, true);
    ExpectNoDialog();

    // Delete on the alternate stream: the question; Cancel changes nothing.
    main.Key(VK_DELETE);
    MessageBoxView box = NextMessage();
    EXPECT_EQ(L"Удалить альтернативный поток \":gone:$DATA\" из файла \"" + path + L"\".", box.text);
    EXPECT_NE(nullptr, GetDlgItem(box.window, IDCANCEL));
    Answer(box, IDCANCEL);
    main.Settle();
    EXPECT_TRUE(Exists(stream));
    EXPECT_EQ(2, main.RowCount());
    EXPECT_EQ(1, main.SelectedRow()) << "Cancel refreshed the list";

    // OK: the stream is deleted and the refreshed list no longer shows it.
    main.Click(ids::kCmdDelete);
    box = NextMessage();
    Answer(box, IDOK);
    main.Settle();
    EXPECT_TRUE(main.WaitUntil([&] { return main.RowCount() == 1; })) << "no refresh after the deletion";
    EXPECT_FALSE(Exists(stream));
    EXPECT_EQ((Rows{{L"{Data}", L"::$DATA", L"5", L"DATA", L"0x00000000"}}), main.Rows());
    EXPECT_EQ(L"Альтернативных потоков: 1", main.CountText());
    EXPECT_EQ(0, main.SelectedRow());
    PressEscapeAndExpectEnd(main);
}

TEST_F(FakeReader, AFailedDeleteIsReportedWithTheSystemsCodeAndTheListStays) {
    // ":abc:$DATA" cannot be deleted here (no streams); ":Ä:$DATA" cannot be written in code page
    // 1251, whose best fit would name ":A:$DATA", another stream that must survive.
    const std::wstring path = NewFile(L"failing", "4 0 3 :abc:$DATA\n4 0 1 :Ä:$DATA\n");
    const std::wstring lookAlike = path + L":A";
    WriteFile(lookAlike, "keep me");
    // The code the system gives for that stream path here.
    const std::wstring streamPath = path + L":abc";
    char ansi[MAX_PATH * 2] = {};
    WideCharToMultiByte(CP_ACP, 0, streamPath.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
    ASSERT_FALSE(DeleteFileA(ansi));
    const LONG expectedCode = static_cast<LONG>(GetLastError());

    MainWindow main = StartShown(path);
    ASSERT_NE(nullptr, main.Window());
    const Rows rows = main.Rows();
    // The question for stream `name` answered OK, then the error display with `code`; the
    // list stays as it was.
    auto expectFailure = [&](const std::wstring& name, LONG code) {
        MessageBoxView box = NextMessage();
        EXPECT_EQ(L"Удалить альтернативный поток \"" + name + L"\" из файла \"" + path + L"\".", box.text);
        Answer(box, IDOK);
        box = NextMessage();
        const std::wstring expected = L"Не удалось удалить альтернативный поток \"" + name +
                                      L"\" из файла \"" + path + L"\".\r\n\r\nWin32 API error: " +
                                      ErrorNumberText(code);
        EXPECT_EQ(expected, box.text.substr(0, expected.size()));
        Answer(box, IDOK);
        main.Settle();
        EXPECT_EQ(rows, main.Rows());
    };

    main.Click(ids::kCmdDelete);
    expectFailure(L":abc:$DATA", expectedCode);
    ASSERT_TRUE(main.ClickRow(1));
    main.Key(VK_DELETE);
    expectFailure(L":Ä:$DATA", ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_TRUE(Exists(lookAlike)) << "the look-alike file was deleted";
    PressEscapeAndExpectEnd(main);
}

TEST_F(FakeReader, ANameThatIsNoAlternateStreamIsNeverDeleted) {
    // A reader (whatever server is registered for its class) that calls the file itself, and
    // another file, alternate data streams.
    const std::wstring path = NewFile(L"names", "4 0 3 \n4 0 1 \\..\\victim.txt\n");
    const std::wstring victim = File(L"victim.txt");
    WriteFile(victim, "keep me");
    MainWindow main = StartShown(path);
    ASSERT_NE(nullptr, main.Window());
    const Rows rows = main.Rows();
    ASSERT_EQ(2u, rows.size());
    for (int row = 0; row < 2; ++row) {
        const std::wstring name = rows[static_cast<size_t>(row)][1];
        ASSERT_TRUE(main.ClickRow(row));
        ASSERT_TRUE(main.Enabled(ids::kCmdDelete)) << "row " << row;
        main.Key(VK_DELETE);
        MessageBoxView box = NextMessage();
        EXPECT_EQ(L"Удалить альтернативный поток \"" + name + L"\" из файла \"" + path + L"\".", box.text);
        Answer(box, IDOK);
        box = NextMessage();
        const std::wstring expected = L"Не удалось удалить альтернативный поток \"" + name + L"\" из файла \"" +
                                      path + L"\".\r\n\r\nWin32 API error: " + ErrorNumberText(ERROR_INVALID_NAME);
        EXPECT_EQ(expected, box.text.substr(0, expected.size()));
        Answer(box, IDOK);
        main.Settle();
        EXPECT_TRUE(Exists(path)) << "row " << row << " deleted the file itself";
        EXPECT_TRUE(Exists(victim)) << "row " << row << " deleted another file";
        EXPECT_EQ(rows, main.Rows());
    }
    PressEscapeAndExpectEnd(main);
}

TEST_F(FakeReader, AFileWithAPathOfMoreThan300CharactersIsListedViewedAndItsStreamDeleted) {
    // Folders of 60 characters each until the file's path is longer than 300 characters.
    std::wstring folder = File(L"");
    folder.pop_back();
    while (folder.size() < 300) {
        folder += L"\\" + std::wstring(60, L'п');
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    }
    const std::wstring path = folder + L"\\длинный путь.txt";
    WriteFile(path, "1 0 5 ::$DATA\n~4 0 3 :поток:$DATA\n");
    const std::wstring stream = path + L":поток";
    WriteFile(stream, "abc");
    ASSERT_TRUE(Exists(stream));
    const std::wstring viewer = install_ + L"\\Просмотр потоков\\viewer.exe";
    DeleteFileW((viewer + L".cmdline").c_str());
    ASSERT_TRUE(WritePrivateProfileStringW(L"Shell", L"Program", viewer.c_str(), Settings().c_str()));

    MainWindow main = StartShown(path);
    ASSERT_NE(nullptr, main.Window());
    EXPECT_EQ(path, main.PathText());
    EXPECT_EQ((Rows{{L"{Data}", L"::$DATA", L"5", L"DATA", L"0x00000000"},
                    {L"поток", L":поток:$DATA", L"3", L"ALTERNATE_DATA", L"0x00000000"}}),
              main.Rows());

    ASSERT_TRUE(main.ClickRow(1));
    main.Click(ids::kCmdEditStream);
    EXPECT_EQ(L"\"" + viewer + L"\" \"" + stream + L"\"", WaitForCommandLine(viewer));
    DeleteFileW(Settings().c_str());

    main.Key(VK_DELETE);
    MessageBoxView box = NextMessage();
    Answer(box, IDOK);
    EXPECT_TRUE(main.WaitUntil([&] { return main.RowCount() == 1; })) << "no refresh after the deletion";
    EXPECT_FALSE(Exists(stream));
    EXPECT_TRUE(Exists(path));
    EXPECT_TRUE(tessel_.Windows(L"#32770").empty()) << "the deletion was refused";
    PressEscapeAndExpectEnd(main);
    DeleteFileW(path.c_str());
}

TEST_F(FakeReader, AnErrorOfTheLibraryEndsTheProgramWithAReport) {
    const std::wstring path = NewFile(L"broken", "fail 5\n");
    ASSERT_TRUE(tessel_.Start(Exe(), L"\"" + path + L"\""));
    const MessageBoxView box = NextMessage();
    const std::wstring lead = L"Ошибка выполнения '5':\r\n\r\n";
    EXPECT_EQ(lead, box.text.substr(0, lead.size()));
    EXPECT_LT(lead.size(), box.text.size()) << "the report has no description";
    PressButton(box.window, IDOK);
    DWORD code = 0;
    EXPECT_TRUE(tessel_.WaitExit(15000, &code));
    EXPECT_EQ(1u, code);
}

TEST_F(FakeReader, AReadingWithoutRecordsIsReportedLikeAMissingFile) {
    const std::wstring path = NewFile(L"empty", "");
    ASSERT_TRUE(tessel_.Start(Exe(), L"\"" + path + L"\""));
    const MessageBoxView box = NextMessage();
    EXPECT_EQ(L"Не удаётся открыть файл \"" + path + L"\".", box.text);
    AcknowledgeAndExpectEnd(box);
}

}  // namespace
