// The forms layer's frame as the tab control uses a page: Visible and ZOrder called by name,
// the frame's controls reporting to the frame's parent, and the object outliving its window.
#include <windows.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <vector>

#include "FrameControl.h"
#include "LateBound.h"
#include "Owners.h"
#include "TestSupport.h"

namespace {

using Microsoft::WRL::ComPtr;
using kelmor::FrameControl;
using kelmor::test::Hr;

const std::wstring kSource = L"frame test";

// A parent window that records the messages its frames pass on.
std::vector<UINT>* tSeen = nullptr;
LRESULT CALLBACK ParentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (tSeen && (message == WM_COMMAND || message == WM_CLOSE || message == DM_GETDEFID)) {
        tSeen->push_back(message);
        if (message == DM_GETDEFID) return MAKELRESULT(IDOK, DC_HASDEFID);
        if (message == WM_CLOSE) return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class FrameControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        tSeen = &seen_;
        WNDCLASSW wc{};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"FrameTestParent";
        RegisterClassW(&wc);
        parent_ = CreateWindowExW(0, L"FrameTestParent", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, parent_);
        kelmor::Adopt(first_, FrameControl::New(parent_, 11, 0, 0, 1440, 1440));
        kelmor::Adopt(second_, FrameControl::New(parent_, 12, 0, 0, 1440, 1440));
        ASSERT_TRUE(first_ && second_);
    }
    void TearDown() override {
        if (IsWindow(parent_)) DestroyWindow(parent_);
        tSeen = nullptr;
    }
    static bool VisibleByName(IDispatch* frame) {
        kelmor::UniqueVariant value;
        EXPECT_EQ(Hr(S_OK), Hr(kelmor::late::GetProperty(frame, L"Visible", value.get(), kSource)));
        return V_VT(value.get()) == VT_BOOL && V_BOOL(value.get()) != VARIANT_FALSE;
    }
    static void SetVisibleByName(IDispatch* frame, bool visible) {
        VARIANT value;
        V_VT(&value) = VT_BOOL;
        V_BOOL(&value) = visible ? VARIANT_TRUE : VARIANT_FALSE;
        EXPECT_EQ(Hr(S_OK), Hr(kelmor::late::PutProperty(frame, L"Visible", value, kSource)));
    }

    std::vector<UINT> seen_;
    HWND parent_ = nullptr;
    ComPtr<FrameControl> first_, second_;
};

TEST_F(FrameControlTest, VisibleAndZOrderByNameWorkOnTheWindow) {
    IDispatch* first = static_cast<::Frame*>(first_.Get());
    IDispatch* second = static_cast<::Frame*>(second_.Get());
    EXPECT_FALSE(VisibleByName(first));  // made hidden
    SetVisibleByName(first, true);
    // The frame's own flag: visible although its parent window is hidden.
    EXPECT_TRUE(VisibleByName(first));
    EXPECT_TRUE(GetWindowLongW(first_->Handle(), GWL_STYLE) & WS_VISIBLE);
    SetVisibleByName(first, false);
    EXPECT_FALSE(GetWindowLongW(first_->Handle(), GWL_STYLE) & WS_VISIBLE);

    EXPECT_EQ(Hr(S_OK), Hr(kelmor::late::CallMethod(second, L"ZOrder", kSource)));
    EXPECT_EQ(second_->Handle(), GetWindow(parent_, GW_CHILD));
    EXPECT_EQ(Hr(S_OK), Hr(kelmor::late::CallMethod(first, L"ZOrder", kSource)));
    EXPECT_EQ(first_->Handle(), GetWindow(parent_, GW_CHILD));
    LONG handle = 0;
    EXPECT_EQ(Hr(S_OK), Hr(kelmor::late::GetLong(first, L"hWnd", &handle, kSource)));
    EXPECT_EQ(first_->Handle(), LongToHandle(handle));
}

TEST_F(FrameControlTest, ControlsReportToTheParentAndTheFrameNeverCloses) {
    HWND button = CreateWindowExW(0, L"BUTTON", L"x", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, first_->Handle(),
                                  reinterpret_cast<HMENU>(5), nullptr, nullptr);
    ASSERT_NE(nullptr, button);
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(MAKELRESULT(IDOK, DC_HASDEFID), SendMessageW(first_->Handle(), DM_GETDEFID, 0, 0));
    SendMessageW(first_->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(first_->Handle()));
    EXPECT_EQ((std::vector<UINT>{WM_COMMAND, DM_GETDEFID, WM_CLOSE}), seen_);
}

TEST_F(FrameControlTest, TheObjectOutlivesItsWindow) {
    IDispatch* first = static_cast<::Frame*>(first_.Get());
    SetVisibleByName(first, true);
    DestroyWindow(parent_);
    EXPECT_EQ(nullptr, first_->Handle());
    EXPECT_FALSE(VisibleByName(first));
    SetVisibleByName(first, true);  // nothing to show: no effect, no error
    EXPECT_EQ(Hr(S_OK), Hr(kelmor::late::CallMethod(first, L"ZOrder", kSource)));
    first_->MoveTo(10, 10);
}

}  // namespace
