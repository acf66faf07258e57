// The forms layer's form, text box and command button on real windows: the default-button role,
// KeyDown values changed by a handler, focus events, the modal show and the twips layout.
#include <windows.h>
#include <olectl.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <vector>

#include "CommandButtonControl.h"
#include "FormWindow.h"
#include "GuiSupport.h"
#include "Kelmor0200.h"
#include "ScreenScale.h"
#include "TestSupport.h"
#include "TextBoxControl.h"
#include "TextBoxEventRecorder.h"

namespace {

using Microsoft::WRL::ComPtr;
using kelmor::CommandButtonControl;
using kelmor::FormWindow;
using kelmor::TextBoxControl;
using kelmor::TwipsToPixelsX;
using kelmor::test::Hr;
using kelmor::test::Press;
using kelmor::test::Pump;

class FormsControls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        form_ = FormWindow::New(L"frmControls", L"Элементы", 4800, 3000);
        ASSERT_NE(form_, nullptr);
        box_ = form_->AddTextBox(120, 120, 1440, 315);
        other_ = form_->AddTextBox(120, 600, 1440, 315);
        a_ = form_->AddCommandButton(L"A", 120, 1200, 1200, 375);
        b_ = form_->AddCommandButton(L"B", 1500, 1200, 1200, 375);
        ASSERT_TRUE(box_ && other_ && a_ && b_);
    }
    void TearDown() override {
        if (box_) box_->Release();
        if (other_) other_->Release();
        if (a_) a_->Release();
        if (b_) b_->Release();
        if (form_) form_->Release();
        Pump(20);
        CoUninitialize();
    }
    void ShowModeless() {
        VARIANT modeless;
        V_VT(&modeless) = VT_ERROR;
        V_ERROR(&modeless) = DISP_E_PARAMNOTFOUND;
        ASSERT_EQ(Hr(S_OK), Hr(form_->Show(modeless)));
        SetForegroundWindow(form_->Handle());
        Pump(30);
    }
    UINT DefaultId() const {
        return kelmor::test::DefaultIdOf(form_->Handle());
    }
    static bool LooksDefault(CommandButtonControl* button) {
        return (GetWindowLongW(button->Handle(), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
    }
    static UINT IdOf(CommandButtonControl* button) { return static_cast<UINT>(GetDlgCtrlID(button->Handle())); }
    static VARIANT_BOOL DefaultOf(CommandButtonControl* button) {
        VARIANT_BOOL value = VARIANT_FALSE;
        EXPECT_EQ(Hr(S_OK), Hr(button->get_Default(&value)));
        return value;
    }

    // Runs inside the modal loop: records the other window's state and hides the form.
    struct Probe {
        HWND other;
        BOOL otherEnabled;
        FormWindow* form;
    };
    static inline Probe probe_{};
    static void CALLBACK DuringModalShow(HWND, UINT, UINT_PTR, DWORD) {
        probe_.otherEnabled = IsWindowEnabled(probe_.other);
        probe_.form->Hide();
    }

    FormWindow* form_ = nullptr;
    TextBoxControl* box_ = nullptr;
    TextBoxControl* other_ = nullptr;
    CommandButtonControl* a_ = nullptr;
    CommandButtonControl* b_ = nullptr;
};

// One default button per form: giving the role takes it from the previous holder; taking it
// from the holder leaves the form without one; taking it from another button changes nothing.
TEST_F(FormsControls, DefaultRoleMovesBetweenButtons) {
    EXPECT_EQ(DefaultId(), 0u);
    ASSERT_EQ(Hr(S_OK), Hr(a_->put_Default(VARIANT_TRUE)));
    EXPECT_EQ(DefaultId(), IdOf(a_));
    EXPECT_TRUE(LooksDefault(a_));
    ASSERT_EQ(Hr(S_OK), Hr(b_->put_Default(VARIANT_TRUE)));
    EXPECT_EQ(DefaultId(), IdOf(b_));
    EXPECT_TRUE(LooksDefault(b_));
    EXPECT_FALSE(LooksDefault(a_)) << "the previous default button loses its look";
    EXPECT_EQ(DefaultOf(a_), VARIANT_FALSE);
    EXPECT_EQ(DefaultOf(b_), VARIANT_TRUE);
    ASSERT_EQ(Hr(S_OK), Hr(a_->put_Default(VARIANT_FALSE)));
    EXPECT_EQ(DefaultId(), IdOf(b_)) << "a button without the role cannot give it away";
    ASSERT_EQ(Hr(S_OK), Hr(b_->put_Default(VARIANT_FALSE)));
    EXPECT_EQ(DefaultId(), 0u);
    EXPECT_FALSE(LooksDefault(b_));
}

// A handler that sets the key code to 0 keeps the key from the edit control; the focus events
// come from the real control.
TEST_F(FormsControls, KeyDownValuesComeBackFromTheHandler) {
    ShowModeless();
    kelmor::test::TextBoxEventRecorder sink;
    sink.takeKey = VK_DELETE;
    const DWORD cookie = sink.Connect(static_cast<::TextBox*>(box_));
    ASSERT_NE(cookie, 0u);

    BSTR text = SysAllocString(L"абв");
    box_->put_Text(text);
    SysFreeString(text);
    SetFocus(box_->Handle());
    Pump(30);
    EXPECT_EQ(sink.gotFocus, 1);
    SendMessageW(box_->Handle(), EM_SETSEL, 0, 0);
    Press({}, VK_DELETE);
    BSTR now = nullptr;
    box_->get_Text(&now);
    EXPECT_STREQ(now, L"абв") << "Delete taken by the handler";
    SysFreeString(now);
    sink.takeKey = 0;
    Press({}, VK_DELETE);
    box_->get_Text(&now);
    EXPECT_STREQ(now, L"бв") << "Delete passed on";
    SysFreeString(now);

    SetFocus(other_->Handle());
    Pump(30);
    EXPECT_EQ(sink.lostFocus, 1);
    sink.Disconnect(cookie);
}

// A modal show disables the thread's other windows and returns when the form is hidden.
TEST_F(FormsControls, ModalShowReturnsWhenHidden) {
    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
    ASSERT_NE(other, nullptr);
    probe_ = {other, TRUE, form_};
    UINT_PTR timer = SetTimer(nullptr, 0, 100, &FormsControls::DuringModalShow);
    VARIANT modal;
    V_VT(&modal) = VT_I2;
    V_I2(&modal) = 1;
    EXPECT_EQ(Hr(S_OK), Hr(form_->Show(modal)));
    KillTimer(nullptr, timer);
    EXPECT_FALSE(probe_.otherEnabled) << "other windows are disabled during the modal show";
    EXPECT_TRUE(IsWindowEnabled(other)) << "and enabled again afterwards";
    EXPECT_FALSE(IsWindowVisible(form_->Handle()));
    DestroyWindow(other);
}

// Sizes given in twips follow the screen's DPI: 1440 twips are one inch.
TEST_F(FormsControls, LayoutInTwips) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    RECT r{};
    GetWindowRect(box_->Handle(), &r);
    EXPECT_EQ(r.right - r.left, dpi) << "a text box 1440 twips wide";
    EXPECT_EQ(TwipsToPixelsX(720), dpi / 2);
}

}  // namespace
