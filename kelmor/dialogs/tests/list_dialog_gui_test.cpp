// The list dialog as a user meets it: Show opens the window on this thread while a driver
// thread reads and clicks it. Every wait has a timeout, and the driver dismisses the window
// whatever happens, so Show always returns.
#include <windows.h>
#include <olectl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Collection.h"
#include "Kelmor0200.h"
#include "ListDialogDriver.h"
#include "TestSupport.h"
#include "dialogs/nvkSimpleListDialog.h"

namespace {

using Microsoft::WRL::ComPtr;
using kelmor::test::Hr;
using kelmor::test::ListDialogDriver;

class ListDialogGuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkSimpleListDialog::CreateInstance(IID__nvkSimpleListDialog, &dialog_)));
        ASSERT_EQ(Hr(S_OK), Hr(dialog_->get_Elements(&elements_)));
    }
    void TearDown() override {
        elements_.Reset();
        dialog_.Reset();
        CoUninitialize();
    }
    void Add(VARIANT item) {
        VARIANT missing;
        V_VT(&missing) = VT_ERROR;
        V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
        EXPECT_EQ(Hr(S_OK), Hr(elements_->Add(&item, &missing, &missing, &missing)));
        VariantClear(&item);
    }
    void AddText(const wchar_t* text) {
        VARIANT v;
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocString(text);
        Add(v);
    }
    void SetCaption(const wchar_t* text) {
        BSTR b = SysAllocString(text);
        dialog_->put_Caption(b);
        SysFreeString(b);
    }

    // Show on this thread, `drive` on a driver thread. When the driver is done the window must
    // close on its own; otherwise the check fails and the driver closes it.
    void ShowDriven(const std::function<void(ListDialogDriver&)>& drive) {
        const DWORD self = GetCurrentThreadId();
        std::thread driver([&] {
            ListDialogDriver d(self);
            if (!d.WaitForWindow(10000)) {
                ADD_FAILURE() << "the list dialog did not appear";
                d.Dismiss();
                return;
            }
            drive(d);
            if (!d.WaitClosed(5000)) {
                ADD_FAILURE() << "the list dialog is still open";
                d.Dismiss();
            }
        });
        EXPECT_EQ(Hr(S_OK), Hr(dialog_->Show()));
        driver.join();
    }

    ComPtr<_nvkSimpleListDialog> dialog_;
    ComPtr<_Collection> elements_;
};

TEST_F(ListDialogGuiTest, ShowsLinesCaptionWithCountAndTagsOfClickedLinesEnterCloses) {
    AddText(L"Москва\tстолица");
    AddText(L"a\tb\tc");
    AddText(L"без тега");
    VARIANT number;
    V_VT(&number) = VT_I4;
    V_I4(&number) = 42;
    Add(number);
    VARIANT null;
    V_VT(&null) = VT_NULL;  // cannot be shown as text: left out
    Add(null);
    SetCaption(L"Города");
    ShowDriven([](ListDialogDriver& d) {
        EXPECT_EQ(L"Города [4]", d.Caption());
        EXPECT_EQ((std::vector<std::wstring>{L"Москва\tстолица", L"a\tb\tc", L"без тега", L"42"}), d.Lines());
        EXPECT_EQ(L"", d.TagText());
        EXPECT_EQ(L"b\tc", d.ClickLine(1));  // only the first TAB splits
        EXPECT_EQ(L"столица", d.ClickLine(0));
        EXPECT_EQ(L"без тега", d.ClickLine(2));  // no TAB: the whole line
        d.PressKey(VK_RETURN);
    });
}

TEST_F(ListDialogGuiTest, EscapeClosesAndAnEmptyListShowsTheCountZero) {
    ShowDriven([](ListDialogDriver& d) {
        EXPECT_EQ(L" [0]", d.Caption());
        EXPECT_TRUE(d.Lines().empty());
        d.PressKey(VK_ESCAPE);
    });
    // Without the count the caption is the text alone.
    SetCaption(L"Без счёта");
    dialog_->put_ShowCountInCaption(VARIANT_FALSE);
    AddText(L"x");
    ShowDriven([](ListDialogDriver& d) {
        EXPECT_EQ(L"Без счёта", d.Caption());
        PostMessageW(d.Window(), WM_CLOSE, 0, 0);  // the close button
    });
}

TEST_F(ListDialogGuiTest, ControlsUseTheFontObject) {
    ComPtr<IFontDisp> mine;
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = const_cast<LPOLESTR>(L"Courier New");
    desc.cySize.int64 = 120000;
    desc.sWeight = FW_BOLD;
    desc.sCharset = RUSSIAN_CHARSET;
    ASSERT_EQ(Hr(S_OK), Hr(OleCreateFontIndirect(&desc, IID_IFontDisp, &mine)));
    ASSERT_EQ(Hr(S_OK), Hr(dialog_->putref_Font(mine.Get())));
    ComPtr<IFont> font;
    ASSERT_EQ(Hr(S_OK), Hr(mine.As(&font)));
    HFONT expected = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(font->get_hFont(&expected)));
    AddText(L"строка");
    ShowDriven([&](ListDialogDriver& d) {
        EXPECT_EQ(expected, reinterpret_cast<HFONT>(SendMessageW(d.List(), WM_GETFONT, 0, 0)));
        EXPECT_EQ(expected, reinterpret_cast<HFONT>(SendMessageW(d.Tag(), WM_GETFONT, 0, 0)));
        d.PressKey(VK_ESCAPE);
    });
    // Without a font object the window still opens, with its own font.
    ASSERT_EQ(Hr(S_OK), Hr(dialog_->putref_Font(nullptr)));
    ShowDriven([&](ListDialogDriver& d) {
        EXPECT_NE(nullptr, reinterpret_cast<HFONT>(SendMessageW(d.List(), WM_GETFONT, 0, 0)));
        d.PressKey(VK_RETURN);
    });
}

TEST_F(ListDialogGuiTest, ResizingKeepsTheLayoutAndTheMinimumHeight) {
    for (int i = 0; i < 30; ++i) AddText((L"строка " + std::to_wstring(i)).c_str());
    ShowDriven([](ListDialogDriver& d) {
        HDC screen = GetDC(nullptr);
        const int dpiX = GetDeviceCaps(screen, LOGPIXELSX), dpiY = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        const int marginX = MulDiv(60, dpiX, 1440), marginY = MulDiv(60, dpiY, 1440);
        auto childRect = [&](HWND child) {
            RECT r{};
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, d.Window(), reinterpret_cast<POINT*>(&r), 2);
            return r;
        };
        auto checkLayout = [&](const char* when) {
            RECT inner{};
            GetClientRect(d.Window(), &inner);
            const RECT list = childRect(d.List()), tag = childRect(d.Tag());
            EXPECT_EQ(marginX, list.left) << when;
            EXPECT_EQ(marginY, list.top) << when;
            EXPECT_EQ(inner.right - 2 * marginX, list.right - list.left) << when;
            // The label's top is the list's height plus the margin: right under the list.
            EXPECT_EQ((list.bottom - list.top) + marginY, tag.top) << when;
            EXPECT_EQ(inner.right - 2 * marginX, tag.right - tag.left) << when;
            EXPECT_EQ(MulDiv(900, dpiY, 1440), tag.bottom - tag.top) << when;  // the label keeps its height
        };
        checkLayout("at opening");

        RECT outer{};
        GetWindowRect(d.Window(), &outer);
        // Wider and higher: the list grows with the window.
        SetWindowPos(d.Window(), nullptr, 0, 0, outer.right - outer.left + 100, outer.bottom - outer.top + 150,
                     SWP_NOMOVE | SWP_NOZORDER);
        checkLayout("after growing");

        // Far too low: the window snaps back to its frame, two label heights and the margins.
        SetWindowPos(d.Window(), nullptr, 0, 0, outer.right - outer.left, 40, SWP_NOMOVE | SWP_NOZORDER);
        RECT now{}, inner{};
        GetWindowRect(d.Window(), &now);
        GetClientRect(d.Window(), &inner);
        const int frame = (now.bottom - now.top) - inner.bottom;
        const int minimum = frame + 2 * MulDiv(900, dpiY, 1440) + 2 * marginY;
        EXPECT_EQ(minimum, now.bottom - now.top);
        checkLayout("after snapping back");

        // Minimised and restored: nothing is laid out while minimised, all is back after.
        ShowWindow(d.Window(), SW_MINIMIZE);
        ShowWindow(d.Window(), SW_RESTORE);
        checkLayout("after restoring");
        d.PressKey(VK_ESCAPE);
    });
}

TEST_F(ListDialogGuiTest, IsModalForTheThreadsOtherWindows) {
    HWND other = CreateWindowExW(0, L"STATIC", L"other window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(nullptr, other);
    AddText(L"x");
    ShowDriven([&](ListDialogDriver& d) {
        EXPECT_FALSE(IsWindowEnabled(other));
        d.PressKey(VK_RETURN);
    });
    EXPECT_TRUE(IsWindowEnabled(other));
    DestroyWindow(other);
}

}  // namespace
