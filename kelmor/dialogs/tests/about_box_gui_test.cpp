// The about box as a user meets it: nvkMain's about-box members open it on this thread while a
// driver thread reads its controls, switches its pages and closes it. The nvkMain object comes
// from the built library beside the program (its resources: icons, the dedication bitmap, the
// cursor), as a client program creates it. Every wait has a timeout, and the driver dismisses
// the box whatever happens, so every call returns.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>
#include <tlhelp32.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <NevkitSupport0100.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "AboutBoxDriver.h"
#include "FakeObjects.h"
#include "Kelmor0200.h"
#include "TestSupport.h"
#include "dialogs/frmAbout.h"
#include "dialogs/modAbout.h"
#include "nvkMain.h"

namespace {

using Microsoft::WRL::ComPtr;
using kelmor::frmAbout;
using kelmor::test::AboutBoxDriver;
using kelmor::test::FakeDispatch;
using kelmor::test::Hr;
using kelmor::test::WaitUntil;

constexpr HRESULT kNoSuchMember = static_cast<HRESULT>(0x800A01B6);  // error 438

class Bstr {
public:
    explicit Bstr(const wchar_t* text) : b_(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return b_; }

private:
    BSTR b_;
};

int PixelsY(int twips) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return MulDiv(twips, dpi, 1440);
}
int PixelsX(int twips) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return MulDiv(twips, dpi, 1440);
}

ComPtr<IPictureDisp> IconPicture() {
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
    ComPtr<IPictureDisp> picture;
    EXPECT_EQ(Hr(S_OK), Hr(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE,
                                                    reinterpret_cast<void**>(picture.GetAddressOf()))));
    return picture;
}

ComPtr<IPictureDisp> BitmapPicture(int width, int height) {
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_BITMAP;
    HDC screen = GetDC(nullptr);
    desc.bmp.hbitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    ComPtr<IPictureDisp> picture;
    EXPECT_EQ(Hr(S_OK), Hr(OleCreatePictureIndirect(&desc, IID_IPictureDisp, TRUE,
                                                    reinterpret_cast<void**>(picture.GetAddressOf()))));
    return picture;
}

// A picture object without an image: handle 0, type "none".
ComPtr<IPictureDisp> EmptyPicture() {
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_NONE;
    ComPtr<IPictureDisp> picture;
    EXPECT_EQ(Hr(S_OK), Hr(OleCreatePictureIndirect(&desc, IID_IPictureDisp, FALSE,
                                                    reinterpret_cast<void**>(picture.GetAddressOf()))));
    return picture;
}

HANDLE HandleOf(IPictureDisp* picture) {
    ComPtr<IPicture> p;
    OLE_HANDLE h = 0;
    if (SUCCEEDED(picture->QueryInterface(IID_PPV_ARGS(&p)))) p->get_Handle(&h);
    return LongToHandle(static_cast<LONG>(h));
}

// The text a support-library function gives through its last argument.
template <class Fn, class... Args>
std::wstring SupportText(Fn fn, Args... args) {
    BSTR text = nullptr;
    const LONG status = fn(args..., &text);
    std::wstring result = status >= 0 && text ? std::wstring(text, SysStringLen(text)) : L"<failed>";
    SysFreeString(text);
    return result;
}

// An application object: Title and the version numbers (Integer, as the runtime's), read by
// name; Title may be missing.
class FakeApp final : public FakeDispatch {
public:
    FakeApp(const wchar_t* title, SHORT major, SHORT minor, SHORT revision, bool hasTitle = true)
        : title_(title), numbers_{major, minor, revision} {
        if (hasTitle) members.push_back({L"Title", 1});
        members.push_back({L"Major", 2});
        members.push_back({L"Minor", 3});
        members.push_back({L"Revision", 4});
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        if (!result) return E_INVALIDARG;
        VariantInit(result);
        if (id == 1) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(title_.c_str());
            return S_OK;
        }
        if (id >= 2 && id <= 4) {
            V_VT(result) = VT_I2;
            V_I2(result) = numbers_[id - 2];
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    std::wstring title_;
    SHORT numbers_[3];
};

// A form whose hWnd cannot be read: its icons are out of reach.
class FakeBrokenForm final : public FakeDispatch {
public:
    FakeBrokenForm() { members.push_back({L"hWnd", DISPID_HWND}); }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO* excep,
                                     UINT*) override {
        if (result) VariantInit(result);
        return RaiseIn(excep, 5, L"no window");
    }
};

// A control with its own about box on a form, for ShowMSAboutBox: logs every call made on
// either, and raises errors where asked.
class FakeMSForm final : public FakeDispatch {
public:
    explicit FakeMSForm(std::vector<std::wstring>* log) : log_(log) {
        members.push_back({L"Enabled", 1});
        members.push_back({L"SetFocus", 2});
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT*) override {
        if (result) VariantInit(result);
        if (id == 1 && (flags & DISPATCH_PROPERTYPUT) && params->cArgs == 1) {
            const bool on = V_VT(&params->rgvarg[0]) == VT_BOOL && V_BOOL(&params->rgvarg[0]) != VARIANT_FALSE;
            log_->push_back(on ? L"Enabled=True" : L"Enabled=False");
            return failing ? RaiseIn(excep, 5, L"refused") : S_OK;
        }
        if (id == 2) {
            log_->push_back(L"SetFocus");
            return failing ? RaiseIn(excep, 5, L"refused") : S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
    bool failing = false;

private:
    std::vector<std::wstring>* log_;
};

class FakeMSControl final : public FakeDispatch {
public:
    FakeMSControl(IDispatch* parent, std::vector<std::wstring>* log) : parent_(parent), log_(log) {
        members.push_back({L"Parent", 1});
        members.push_back({L"AboutBox", 2});
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO* excep,
                                     UINT*) override {
        if (result) VariantInit(result);
        if (id == 1 && result) {
            log_->push_back(L"Parent");
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = parent_;
            parent_->AddRef();
            return S_OK;
        }
        if (id == 2) {
            log_->push_back(L"AboutBox");
            return failing ? RaiseIn(excep, 1004, L"no about box") : S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
    bool failing = false;

private:
    IDispatch* parent_;
    std::vector<std::wstring>* log_;
};

class AboutBoxGuiTest : public ::testing::Test {
protected:
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        library_ = LoadLibraryW(kelmor::test::BesideExe(L"Kelmor0200.dll").c_str());
        ASSERT_NE(nullptr, library_);
        auto getClassObject = kelmor::test::Export<GetClassObjectFn>(library_, "DllGetClassObject");
        ASSERT_NE(nullptr, getClassObject);
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(Hr(S_OK), Hr(getClassObject(CLSID_nvkMain, IID_PPV_ARGS(&factory))));
        ASSERT_EQ(Hr(S_OK), Hr(factory->CreateInstance(nullptr, IID__nvkMain, &main_)));
    }
    void TearDown() override {
        main_.Reset();
        CoUninitialize();
    }

    // `call` on this thread; `drive` on a driver thread once the box is seen. When the driver
    // is done the box must have closed on its own; otherwise the check fails and it is closed.
    HRESULT ShowDriven(const std::function<HRESULT()>& call, const std::function<void(AboutBoxDriver&)>& drive) {
        const DWORD self = GetCurrentThreadId();
        std::thread driver([&] {
            AboutBoxDriver d(self);
            if (!d.WaitForWindow(15000)) {
                ADD_FAILURE() << "the about box did not appear";
                d.Dismiss();
                return;
            }
            drive(d);
            if (!d.WaitClosed(5000)) {
                ADD_FAILURE() << "the about box is still open";
                d.Dismiss();
            }
        });
        const HRESULT hr = call();
        driver.join();
        return hr;
    }

    // ShowAboutBoxEx with the given e-mail address, description and picture.
    HRESULT ShowEx(const wchar_t* email, const wchar_t* description, IPictureDisp* picture,
                   const std::function<void(AboutBoxDriver&)>& drive) {
        return ShowDriven(
            [&] {
                return main_->ShowAboutBoxEx(Bstr(L"Тестовая программа"), nullptr, nullptr, 2, 5, 0, Bstr(L"Иван Петров"),
                                             Bstr(email), Bstr(L"Посвящается тестам"), Bstr(description), picture,
                                             Bstr(L"Подсказка"));
            },
            drive);
    }

    HMODULE library_ = nullptr;
    ComPtr<_nvkMain> main_;
};

TEST_F(AboutBoxGuiTest, ShowAboutBoxExShowsTheProgramPageAndOkCloses) {
    const std::wstring expectedVersion = SupportText(nkFormatVersion, 2, 5, 0);
    EXPECT_EQ(Hr(S_OK), Hr(ShowEx(L"ivan@example.org", L"Описание", nullptr, [&](AboutBoxDriver& d) {
        EXPECT_EQ(L"О программе", d.Caption());
        EXPECT_EQ(L"Тестовая программа", d.Text(frmAbout::kTitleId));
        EXPECT_EQ(expectedVersion, d.Text(frmAbout::kVersionId));
        EXPECT_EQ(L"Иван Петров", d.Text(frmAbout::kAuthorId));
        EXPECT_EQ(L"Посвящается тестам", d.Text(frmAbout::kDevoteId));
        EXPECT_EQ(0, d.VisiblePage(frmAbout::kTabId));
        // The e-mail row: the address underlined, the dedication in its own row below it.
        EXPECT_TRUE(d.Shows(frmAbout::kEMailCaptionId));
        EXPECT_TRUE(d.Shows(frmAbout::kEMailId));
        EXPECT_EQ(L"ivan@example.org", d.Text(frmAbout::kEMailId));
        LOGFONTW font{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(d.Control(frmAbout::kEMailId), WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        EXPECT_TRUE(font.lfUnderline);
        EXPECT_EQ(PixelsY(1140), d.PlaceOf(frmAbout::kEMailId).top);
        EXPECT_EQ(PixelsY(1380), d.PlaceOf(frmAbout::kDevoteId).top);
        // The value labels take their text's width, so nothing is cut off.
        EXPECT_GT(d.PlaceOf(frmAbout::kEMailId).right - d.PlaceOf(frmAbout::kEMailId).left, PixelsX(885));
        // Without a picture the built-in one stands at its design place.
        EXPECT_TRUE(d.Shows(frmAbout::kPictureId));
        EXPECT_EQ(PixelsX(3540), d.PlaceOf(frmAbout::kPictureId).left);
        EXPECT_EQ(PixelsY(660), d.PlaceOf(frmAbout::kPictureId).top);
        // The library's icons: the window's and the program's.
        EXPECT_NE(0, SendMessageW(d.Window(), WM_GETICON, ICON_SMALL, 0));
        EXPECT_EQ(d.Control(frmAbout::kOkId), d.Focus());
        d.PressButton(frmAbout::kOkId);
    })));
}

TEST_F(AboutBoxGuiTest, WithoutAnAddressTheDedicationTakesTheEMailRow) {
    EXPECT_EQ(Hr(S_OK), Hr(ShowEx(L"", L"", nullptr, [&](AboutBoxDriver& d) {
        EXPECT_FALSE(d.Shows(frmAbout::kEMailCaptionId));
        EXPECT_FALSE(d.Shows(frmAbout::kEMailId));
        EXPECT_TRUE(d.Shows(frmAbout::kDevoteId));
        EXPECT_EQ(PixelsY(1140), d.PlaceOf(frmAbout::kDevoteId).top);
        d.PressKey(VK_ESCAPE);
    })));
}

TEST_F(AboutBoxGuiTest, PageKeysStepThroughAllFourPagesWithWrapAround) {
    EXPECT_EQ(Hr(S_OK), Hr(ShowEx(L"a@b.c", L"Строка 1\r\nСтрока 2", nullptr, [&](AboutBoxDriver& d) {
        auto pageAfter = [&](WPARAM key, int expected) {
            d.PressKey(key);
            EXPECT_TRUE(WaitUntil([&] { return d.VisiblePage(frmAbout::kTabId) == expected; }))
                << "expected page " << expected << ", shown " << d.VisiblePage(frmAbout::kTabId);
        };
        EXPECT_EQ(0, d.VisiblePage(frmAbout::kTabId));
        pageAfter(VK_NEXT, 1);
        // The description page focuses its text, with margins of 2 pixels on both sides.
        EXPECT_TRUE(WaitUntil([&] { return d.Focus() == d.Control(frmAbout::kDescriptionId); }));
        EXPECT_EQ(MAKELONG(2, 2), SendMessageW(d.Control(frmAbout::kDescriptionId), EM_GETMARGINS, 0, 0));
        EXPECT_EQ(L"Строка 1\r\nСтрока 2", d.Text(frmAbout::kDescriptionId));
        // Tab visits the description, Ok and System Info; the hidden pages are skipped.
        for (int id : {frmAbout::kOkId, frmAbout::kSysInfoId, frmAbout::kDescriptionId}) {
            d.PressKey(VK_TAB);
            EXPECT_TRUE(WaitUntil([&] { return d.Focus() == d.Control(id); })) << "control " << id;
        }
        pageAfter(VK_NEXT, 2);
        EXPECT_TRUE(WaitUntil([&] { return d.Focus() == d.Control(frmAbout::kModulesId); }));
        pageAfter(VK_NEXT, 3);
        EXPECT_TRUE(WaitUntil([&] { return d.Focus() == d.Control(frmAbout::kOkId); }));
        pageAfter(VK_NEXT, 0);
        pageAfter(VK_PRIOR, 3);
        pageAfter(VK_PRIOR, 2);
        // The pages taken all stand where page 0 stands.
        for (int id : frmAbout::kTabId) {
            EXPECT_EQ(PixelsX(1080), d.PlaceOf(id).left);
            EXPECT_EQ(PixelsY(120), d.PlaceOf(id).top);
        }
        d.PressKey(VK_ESCAPE);
    })));
}

TEST_F(AboutBoxGuiTest, AnEmptyDescriptionLeavesItsPageOutAndTheIconStepsPages) {
    EXPECT_EQ(Hr(S_OK), Hr(ShowEx(L"a@b.c", L"", nullptr, [&](AboutBoxDriver& d) {
        EXPECT_EQ(0, d.VisiblePage(frmAbout::kTabId));
        d.PressKey(VK_NEXT);
        EXPECT_TRUE(WaitUntil([&] { return d.VisiblePage(frmAbout::kTabId) == 2; }));
        EXPECT_FALSE(d.Shows(frmAbout::kTabId[1]));
        // A click on the icon shows the next page; a double click goes two pages on.
        d.Click(frmAbout::kIconId);
        EXPECT_TRUE(WaitUntil([&] { return d.VisiblePage(frmAbout::kTabId) == 3; }));
        d.Click(frmAbout::kIconId, true);
        EXPECT_TRUE(WaitUntil([&] { return d.VisiblePage(frmAbout::kTabId) == 2; }))
            << "shown " << d.VisiblePage(frmAbout::kTabId);
        d.PressKey(VK_PRIOR);
        EXPECT_TRUE(WaitUntil([&] { return d.VisiblePage(frmAbout::kTabId) == 0; }));
        d.PressKey(VK_RETURN);
    })));
}

TEST_F(AboutBoxGuiTest, TheModulePageListsThisProcesssModules) {
    std::vector<std::wstring> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    ASSERT_NE(INVALID_HANDLE_VALUE, snapshot);
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry))
        names.push_back(entry.szModule);
    CloseHandle(snapshot);
    EXPECT_EQ(Hr(S_OK), Hr(ShowEx(L"a@b.c", L"", nullptr, [&](AboutBoxDriver& d) {
        HWND list = d.Control(frmAbout::kModulesId);
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        // The box's own window may have loaded a module or two since the snapshot above.
        EXPECT_GE(count, static_cast<LRESULT>(names.size()));
        std::vector<std::wstring> lines;
        size_t longest = 0;
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
            line.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
            longest = std::max(longest, line.size());
            lines.push_back(line);
        }
        for (const std::wstring& name : names) {
            bool found = false;
            for (const std::wstring& line : lines) found = found || line.compare(0, name.size() + 1, name + L" ") == 0;
            EXPECT_TRUE(found) << "no line for " << std::string(name.begin(), name.end());
        }
        EXPECT_EQ(0, SendMessageW(list, LB_GETCURSEL, 0, 0));
        // The list scrolls sideways over its longest line (and one blank).
        HDC dc = GetDC(list);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
        SIZE extent{};
        const std::wstring blanks(longest + 1, L' ');
        GetTextExtentPoint32W(dc, blanks.c_str(), static_cast<int>(blanks.size()), &extent);
        SelectObject(dc, old);
        ReleaseDC(list, dc);
        EXPECT_EQ(extent.cx, SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0));
        d.PressButton(frmAbout::kOkId);
    })));
}

TEST_F(AboutBoxGuiTest, SystemPageAndSystemInfoUnavailableKeepsTheBoxOpen) {
    // Wine registers no system-information program; make sure no earlier run left one either.
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO");
    const std::wstring programTitle = SupportText(nkGetThunderMainTitle);
    const std::wstring osName = SupportText(nkGetHostOSFullName, -1, -1);
    EXPECT_EQ(Hr(S_OK), Hr(ShowEx(L"a@b.c", L"", nullptr, [&](AboutBoxDriver& d) {
        EXPECT_EQ(osName, d.Text(frmAbout::kSystemInfoId[0]));
        // The free share follows the size text: "... (63%)".
        const std::wstring free = d.Text(frmAbout::kSystemInfoId[4]);
        EXPECT_EQ(L"%)", free.substr(free.size() - 2)) << std::string(free.begin(), free.end());
        EXPECT_NE(std::wstring::npos, free.find(L" ("));
        EXPECT_NE(L"%MEM_2%", d.Text(frmAbout::kSystemInfoId[5]));
        EXPECT_NE(L"%MEM_3%", d.Text(frmAbout::kSystemInfoId[6]));

        d.PressButton(frmAbout::kSysInfoId);
        std::wstring caption, text;
        EXPECT_TRUE(d.AnswerMessageBox(IDOK, &caption, &text));
        EXPECT_EQ(L"System Information is unavailable at this time.", text);
        EXPECT_EQ(programTitle, caption);
        Sleep(200);
        EXPECT_TRUE(IsWindowVisible(d.Window())) << "the box must stay open";
        d.PressKey(VK_ESCAPE);
    })));
}

TEST_F(AboutBoxGuiTest, DedicationPictureIsPlacedBottomRightOrHidden) {
    ComPtr<IPictureDisp> picture = BitmapPicture(40, 30);
    EXPECT_EQ(Hr(S_OK), Hr(ShowEx(L"a@b.c", L"", picture.Get(), [&](AboutBoxDriver& d) {
        RECT page{};
        GetClientRect(d.Control(frmAbout::kTabId[0]), &page);
        const RECT image = d.PlaceOf(frmAbout::kPictureId);
        EXPECT_TRUE(d.Shows(frmAbout::kPictureId));
        EXPECT_EQ(42, image.right - image.left);  // the picture's size and a one-pixel border
        EXPECT_EQ(32, image.bottom - image.top);
        EXPECT_EQ(page.right - 42 - 5, image.left);
        EXPECT_EQ(page.bottom - 32 - 3, image.top);
        d.PressKey(VK_ESCAPE);
    })));
    ComPtr<IPictureDisp> empty = EmptyPicture();
    EXPECT_EQ(Hr(S_OK), Hr(ShowEx(L"a@b.c", L"", empty.Get(), [&](AboutBoxDriver& d) {
        EXPECT_FALSE(d.Shows(frmAbout::kPictureId));
        d.PressKey(VK_ESCAPE);
    })));
}

TEST_F(AboutBoxGuiTest, ShowAboutBox2ReadsTheApplicationObjectAndUsesIconForAMissingSmallIcon) {
    FakeApp app(L"Тессел", 3, 1, 4);
    ComPtr<IPictureDisp> icon = IconPicture();
    const std::wstring expectedVersion = SupportText(nkFormatVersion, 3, 1, 4);
    for (bool emptySmallIcon : {false, true}) {
        ComPtr<IPictureDisp> small = emptySmallIcon ? EmptyPicture() : nullptr;
        const HRESULT hr = ShowDriven(
            [&] { return main_->ShowAboutBox2(icon.Get(), small.Get(), &app, Bstr(L""), nullptr, Bstr(L"Освель")); },
            [&](AboutBoxDriver& d) {
                EXPECT_EQ(L"Тессел", d.Text(frmAbout::kTitleId));
                EXPECT_EQ(expectedVersion, d.Text(frmAbout::kVersionId));
                EXPECT_EQ(kelmor::modAbout::kAuthorName, d.Text(frmAbout::kAuthorId));
                EXPECT_EQ(kelmor::modAbout::kAuthorEMail, d.Text(frmAbout::kEMailId));
                EXPECT_EQ(kelmor::modAbout::kDevote, d.Text(frmAbout::kDevoteId));
                EXPECT_EQ(L"Ok", d.Text(frmAbout::kOkId));
                const auto expected = reinterpret_cast<LRESULT>(HandleOf(icon.Get()));
                EXPECT_EQ(expected, SendMessageW(d.Window(), WM_GETICON, ICON_SMALL, 0));
                EXPECT_EQ(expected, SendMessageW(d.Window(), WM_GETICON, ICON_BIG, 0));
                d.PressButton(frmAbout::kOkId);
            });
        EXPECT_EQ(Hr(S_OK), Hr(hr)) << "empty small icon: " << emptySmallIcon;
    }
}

TEST_F(AboutBoxGuiTest, ShowAboutBoxGoesOnWithoutTheFormsIcons) {
    FakeApp app(L"Программа", 1, 2, 3);
    FakeBrokenForm form;
    EXPECT_EQ(Hr(S_OK), Hr(ShowDriven([&] { return main_->ShowAboutBox(&form, &app, Bstr(L""), nullptr, Bstr(L"")); },
                                      [&](AboutBoxDriver& d) {
                                          EXPECT_EQ(L"Программа", d.Text(frmAbout::kTitleId));
                                          d.PressButton(frmAbout::kOkId);
                                      })));
}

TEST_F(AboutBoxGuiTest, AnApplicationObjectWithoutTitleRaisesAndShowsNoBox) {
    FakeApp app(L"", 1, 0, 0, false);
    FakeBrokenForm form;
    ComPtr<IPictureDisp> icon = IconPicture();
    // Any box that opens after all is closed by a watcher, and the check fails.
    const DWORD self = GetCurrentThreadId();
    std::atomic<bool> done{false}, seen{false};
    std::thread watcher([&] {
        AboutBoxDriver d(self);
        while (!done) {
            if (d.WaitForWindow(50)) {
                seen = true;
                d.Dismiss();
            }
        }
    });
    EXPECT_EQ(Hr(kNoSuchMember), Hr(main_->ShowAboutBox(&form, &app, Bstr(L""), nullptr, Bstr(L""))));
    EXPECT_EQ(Hr(kNoSuchMember), Hr(main_->ShowAboutBox2(icon.Get(), nullptr, &app, Bstr(L""), nullptr, Bstr(L""))));
    done = true;
    watcher.join();
    EXPECT_FALSE(seen);
    // The error reaches a late-binding caller with its number.
    ComPtr<IErrorInfo> info;
    main_->ShowAboutBox2(icon.Get(), nullptr, &app, Bstr(L""), nullptr, Bstr(L""));
    ASSERT_EQ(S_OK, GetErrorInfo(0, &info));
    BSTR source = nullptr;
    info->GetSource(&source);
    EXPECT_EQ(L"Kelmor0200.nvkMain", std::wstring(source ? source : L""));
    SysFreeString(source);
}

TEST_F(AboutBoxGuiTest, ShowMSAboutBoxDisablesTheFormAroundTheControlsBoxAndIgnoresErrors) {
    std::vector<std::wstring> log;
    FakeMSForm form(&log);
    FakeMSControl control(&form, &log);
    IDispatch* argument = &control;
    EXPECT_EQ(Hr(S_OK), Hr(main_->ShowMSAboutBox(&argument)));
    const std::vector<std::wstring> expected = {L"Parent", L"Enabled=False", L"AboutBox", L"Parent",
                                                L"Enabled=True", L"Parent", L"SetFocus"};
    EXPECT_EQ(expected, log);

    // Every step runs although each one fails.
    log.clear();
    form.failing = true;
    control.failing = true;
    EXPECT_EQ(Hr(S_OK), Hr(main_->ShowMSAboutBox(&argument)));
    EXPECT_EQ(expected, log);

    // No control at all: nothing to do, no error.
    IDispatch* none = nullptr;
    EXPECT_EQ(Hr(S_OK), Hr(main_->ShowMSAboutBox(&none)));
    EXPECT_EQ(Hr(S_OK), Hr(main_->ShowMSAboutBox(nullptr)));
}

// The library's own author, address and dedication are the type library's defaults of
// ShowAboutBoxEx: one value in the code and in the contract.
TEST_F(AboutBoxGuiTest, TheTypeLibraryDefaultsAreTheLibrarysAuthorValues) {
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(Hr(S_OK), Hr(main_.As(&dispatch)));
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(Hr(S_OK), Hr(dispatch->GetTypeInfo(0, 0, &info)));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(info->GetTypeAttr(&attr)));
    const WORD functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    std::vector<std::pair<std::wstring, std::wstring>> defaults;
    for (WORD f = 0; f < functions; ++f) {
        FUNCDESC* desc = nullptr;
        ASSERT_EQ(Hr(S_OK), Hr(info->GetFuncDesc(f, &desc)));
        BSTR names[16] = {};
        UINT count = 0;
        info->GetNames(desc->memid, names, 16, &count);
        if (count > 0 && std::wstring(names[0]) == L"ShowAboutBoxEx") {
            for (SHORT p = 0; p < desc->cParams && p + 1 < static_cast<SHORT>(count); ++p) {
                const PARAMDESC& param = desc->lprgelemdescParam[p].paramdesc;
                if ((param.wParamFlags & PARAMFLAG_FHASDEFAULT) && V_VT(&param.pparamdescex->varDefaultValue) == VT_BSTR)
                    defaults.push_back({names[p + 1], V_BSTR(&param.pparamdescex->varDefaultValue)});
            }
        }
        for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
        info->ReleaseFuncDesc(desc);
    }
    auto defaultOf = [&](const wchar_t* name) {
        for (const auto& [param, value] : defaults)
            if (param == name) return value;
        return std::wstring(L"<none>");
    };
    EXPECT_EQ(kelmor::modAbout::kAuthorName, defaultOf(L"Author"));
    EXPECT_EQ(kelmor::modAbout::kAuthorEMail, defaultOf(L"AuthorEMail"));
    EXPECT_EQ(kelmor::modAbout::kDevote, defaultOf(L"Devote"));
}

// Linked into a program, the library's code finds none of the library's resources: the box
// still opens, without those icons, bitmap and pointer.
TEST(AboutBoxWithoutResources, StillShowsTheBox) {
    ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
    {
        ComPtr<_nvkMain> main;
        ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkMain::CreateInstance(IID__nvkMain, &main)));
        const DWORD self = GetCurrentThreadId();
        std::thread driver([&] {
            AboutBoxDriver d(self);
            if (!d.WaitForWindow(15000)) {
                ADD_FAILURE() << "the about box did not appear";
                return;
            }
            EXPECT_EQ(L"Без ресурсов", d.Text(frmAbout::kTitleId));
            EXPECT_EQ(0, d.VisiblePage(frmAbout::kTabId));
            d.PressButton(frmAbout::kOkId);
            if (!d.WaitClosed()) d.Dismiss();
        });
        EXPECT_EQ(Hr(S_OK), Hr(main->ShowAboutBoxEx(Bstr(L"Без ресурсов"), nullptr, nullptr, 1, 0, 0, Bstr(L"x"),
                                                    Bstr(L"x@y.z"), Bstr(L""), Bstr(L""), nullptr, Bstr(L""))));
        driver.join();
    }
    CoUninitialize();
}

}  // namespace
