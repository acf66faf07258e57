// Text-box guards on real controls of the forms layer: the insert hook kept by nvkMain and the
// default-button watcher, driven by real keyboard input (SendInput to the foreground form) and
// real focus changes. The forms are shown modelessly on this thread and pumped here, with a time
// limit on every wait; each test destroys what it opened.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Collection.h"
#include "CommandButtonControl.h"
#include "FormWindow.h"
#include "GuiSupport.h"
#include "Kelmor0200.h"
#include "TestSupport.h"
#include "TextBoxControl.h"
#include "TextBoxEventRecorder.h"
#include "nvkMain.h"
#include "nvkTextBoxDefButtonWatcher.h"

namespace {

using Microsoft::WRL::ComPtr;
using kelmor::CommandButtonControl;
using kelmor::FormWindow;
using kelmor::TextBoxControl;
using kelmor::test::Hr;
using kelmor::test::Press;
using kelmor::test::Pump;

constexpr HRESULT kTypeMismatch = static_cast<HRESULT>(0x800A000D);
constexpr HRESULT kInvalidCall = static_cast<HRESULT>(0x800A0005);

std::wstring TextOf(TextBoxControl* box) {
    BSTR text = nullptr;
    EXPECT_EQ(Hr(S_OK), Hr(box->get_Text(&text)));
    std::wstring result(text ? text : L"", SysStringLen(text));
    SysFreeString(text);
    return result;
}

void SetClipboardText(const wchar_t* text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    ASSERT_NE(memory, nullptr);
    memcpy(GlobalLock(memory), text, bytes);
    GlobalUnlock(memory);
    EXPECT_NE(SetClipboardData(CF_UNICODETEXT, memory), nullptr);
    CloseClipboard();
}

// Records the KeyDown values a control's handlers leave behind: connected after the hook, it
// sees what the control will act on.
using KeyRecorder = kelmor::test::TextBoxEventRecorder;

class TextBoxHooks : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        form_ = FormWindow::New(L"frmTest", L"Проверка", 4800, 3000);
        ASSERT_NE(form_, nullptr);
        first_ = form_->AddTextBox(120, 120, 3000, 315);
        second_ = form_->AddTextBox(120, 600, 3000, 315);
        global_ = form_->AddCommandButton(L"OK", 120, 1200, 1200, 375);
        local_ = form_->AddCommandButton(L"Найти", 1500, 1200, 1200, 375);
        ASSERT_TRUE(first_ && second_ && global_ && local_);
        VARIANT modeless;
        V_VT(&modeless) = VT_I4;
        V_I4(&modeless) = 0;
        ASSERT_EQ(Hr(S_OK), Hr(form_->Show(modeless)));
        SetForegroundWindow(form_->Handle());
        Pump(50);
    }
    void TearDown() override {
        if (first_) first_->Release();
        if (second_) second_->Release();
        if (global_) global_->Release();
        if (local_) local_->Release();
        if (form_) form_->Release();  // destroys the window and its controls
        Pump(20);
        CoUninitialize();
    }
    void Focus(TextBoxControl* box) {
        SetForegroundWindow(form_->Handle());
        SetFocus(box->Handle());
        Pump(30);
        ASSERT_EQ(GetFocus(), box->Handle()) << "the text box did not take the focus";
    }
    static bool LooksDefault(CommandButtonControl* button) {
        return (GetWindowLongW(button->Handle(), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
    }
    // The form's default button id; 0 when it has none.
    UINT DefaultId() const {
        return kelmor::test::DefaultIdOf(form_->Handle());
    }
    static UINT IdOf(CommandButtonControl* button) { return static_cast<UINT>(GetDlgCtrlID(button->Handle())); }

    FormWindow* form_ = nullptr;
    TextBoxControl* first_ = nullptr;
    TextBoxControl* second_ = nullptr;
    CommandButtonControl* global_ = nullptr;
    CommandButtonControl* local_ = nullptr;
};

// Shift+Insert pastes into an unlocked box; a locked one keeps its text and the control is told
// to ignore the key. Other Insert combinations pass unchanged.
TEST_F(TextBoxHooks, ShiftInsertIsSwallowedOnlyInALockedTextBox) {
    ComPtr<_nvkMain> main;
    ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkMain::CreateInstance(IID_PPV_ARGS(&main))));
    VARIANT_BOOL added = VARIANT_FALSE;
    ASSERT_EQ(Hr(S_OK), Hr(main->AddTextBoxInsertHook(static_cast<::TextBox*>(first_), &added)));
    EXPECT_EQ(added, VARIANT_TRUE);
    KeyRecorder recorder;
    DWORD cookie = recorder.Connect(static_cast<::TextBox*>(first_));
    SetClipboardText(L"вставка");

    Focus(first_);
    Press({VK_SHIFT}, VK_INSERT);
    EXPECT_EQ(TextOf(first_), L"вставка") << "unlocked: Shift+Insert pastes";
    ASSERT_EQ(recorder.keys.size(), 2u) << "Shift, then Insert";
    EXPECT_EQ(recorder.keys[1], std::make_pair(SHORT{45}, SHORT{1}));

    BSTR empty = SysAllocString(L"");
    first_->put_Text(empty);
    SysFreeString(empty);
    ASSERT_EQ(Hr(S_OK), Hr(first_->put_Locked(VARIANT_TRUE)));
    recorder.keys.clear();
    Press({VK_SHIFT}, VK_INSERT);
    EXPECT_EQ(TextOf(first_), L"") << "locked: nothing pasted";
    ASSERT_EQ(recorder.keys.size(), 2u);
    EXPECT_EQ(recorder.keys[1], std::make_pair(SHORT{0}, SHORT{0})) << "the hook clears key code and shift mask";

    recorder.keys.clear();
    Press({VK_CONTROL}, VK_INSERT);
    Press({VK_CONTROL, VK_SHIFT}, VK_INSERT);
    Press({}, VK_INSERT);
    std::vector<std::pair<SHORT, SHORT>> inserts;
    for (const auto& key : recorder.keys)
        if (key.first == 45 || key.first == 0) inserts.push_back(key);
    EXPECT_EQ(inserts, (std::vector<std::pair<SHORT, SHORT>>{{45, 2}, {45, 3}, {45, 0}}))
        << "Ctrl+Insert, Ctrl+Shift+Insert and Insert alone reach the control";

    // Without the hook the locked box sees Shift+Insert unchanged.
    VARIANT_BOOL removed = VARIANT_FALSE;
    ASSERT_EQ(Hr(S_OK), Hr(main->RemoveTextBoxInsertHook(static_cast<::TextBox*>(first_), &removed)));
    EXPECT_EQ(removed, VARIANT_TRUE);
    recorder.keys.clear();
    Press({VK_SHIFT}, VK_INSERT);
    ASSERT_EQ(recorder.keys.size(), 2u);
    EXPECT_EQ(recorder.keys[1], std::make_pair(SHORT{45}, SHORT{1})) << "the removed hook no longer acts";
    recorder.Disconnect(cookie);
}

// Add/Remove answer whether they changed anything; the collection lives only while it holds a
// hook; the errors for a missing object and a wrong one.
TEST_F(TextBoxHooks, HookCollectionOfNvkMain) {
    ComPtr<_nvkMain> main;
    ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkMain::CreateInstance(IID_PPV_ARGS(&main))));
    auto* object = static_cast<kelmor::nvkMain*>(main.Get());
    IDispatch* first = static_cast<::TextBox*>(first_);
    IDispatch* second = static_cast<::TextBox*>(second_);
    EXPECT_FALSE(object->HasTextBoxInsertHooks()) << "no collection before the first hook";

    VARIANT_BOOL result = VARIANT_FALSE;
    EXPECT_EQ(Hr(S_OK), Hr(main->AddTextBoxInsertHook(first, &result)));
    EXPECT_EQ(result, VARIANT_TRUE) << "first add";
    EXPECT_EQ(Hr(S_OK), Hr(main->AddTextBoxInsertHook(first, &result)));
    EXPECT_EQ(result, VARIANT_FALSE) << "second add of the same text box";
    // The same control reached through another interface pointer is the same object.
    ComPtr<IDispatch> sameObject;
    ASSERT_EQ(Hr(S_OK), Hr(first->QueryInterface(IID_PPV_ARGS(&sameObject))));
    EXPECT_EQ(Hr(S_OK), Hr(main->AddTextBoxInsertHook(sameObject.Get(), &result)));
    EXPECT_EQ(result, VARIANT_FALSE);
    EXPECT_EQ(Hr(S_OK), Hr(main->AddTextBoxInsertHook(second, &result)));
    EXPECT_EQ(result, VARIANT_TRUE);

    EXPECT_EQ(Hr(S_OK), Hr(main->RemoveTextBoxInsertHook(first, &result)));
    EXPECT_EQ(result, VARIANT_TRUE) << "first remove";
    EXPECT_EQ(Hr(S_OK), Hr(main->RemoveTextBoxInsertHook(first, &result)));
    EXPECT_EQ(result, VARIANT_FALSE) << "second remove";
    EXPECT_TRUE(object->HasTextBoxInsertHooks()) << "the second text box's hook remains";
    EXPECT_EQ(Hr(S_OK), Hr(main->RemoveTextBoxInsertHook(second, &result)));
    EXPECT_EQ(result, VARIANT_TRUE);
    EXPECT_FALSE(object->HasTextBoxInsertHooks()) << "the collection goes with its last hook";
    EXPECT_EQ(Hr(S_OK), Hr(main->RemoveTextBoxInsertHook(second, &result)));
    EXPECT_EQ(result, VARIANT_FALSE) << "no collection: nothing to remove";

    EXPECT_EQ(Hr(S_OK), Hr(main->AddTextBoxInsertHook(first, &result)));
    EXPECT_EQ(Hr(S_OK), Hr(main->ClearTextBoxInsertHooks()));
    EXPECT_FALSE(object->HasTextBoxInsertHooks()) << "cleared";
    EXPECT_EQ(Hr(S_OK), Hr(main->ClearTextBoxInsertHooks())) << "clearing again";

    // A hook's end disconnects it from its text box: only the recorder stays connected.
    KeyRecorder recorder;
    DWORD cookie = recorder.Connect(first);
    first_->put_Locked(VARIANT_TRUE);
    Focus(first_);
    Press({VK_SHIFT}, VK_INSERT);
    ASSERT_EQ(recorder.keys.size(), 2u);
    EXPECT_EQ(recorder.keys[1], std::make_pair(SHORT{45}, SHORT{1})) << "a cleared hook no longer acts";
    recorder.Disconnect(cookie);

    ComPtr<kelmor::Collection> notATextBox;
    kelmor::Adopt(notATextBox, kelmor::Collection::NewEmpty());
    result = VARIANT_TRUE;
    EXPECT_EQ(Hr(kTypeMismatch), Hr(main->AddTextBoxInsertHook(notATextBox.Get(), &result)));
    EXPECT_EQ(Hr(kTypeMismatch), Hr(main->RemoveTextBoxInsertHook(static_cast<::CommandButton*>(local_), &result)));
    EXPECT_EQ(Hr(kInvalidCall), Hr(main->AddTextBoxInsertHook(nullptr, &result)));
    EXPECT_EQ(Hr(kInvalidCall), Hr(main->RemoveTextBoxInsertHook(nullptr, &result)));
    EXPECT_FALSE(object->HasTextBoxInsertHooks()) << "a refused argument makes no collection";
}

// The watcher moves the form's default role between the local and the global button as the
// focus enters and leaves its text box.
TEST_F(TextBoxHooks, DefaultButtonFollowsTheFocus) {
    ASSERT_EQ(Hr(S_OK), Hr(global_->put_Default(VARIANT_TRUE)));
    EXPECT_EQ(DefaultId(), IdOf(global_));
    ComPtr<_nvkTextBoxDefButtonWatcher> watcher;
    ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkTextBoxDefButtonWatcher::CreateInstance(IID_PPV_ARGS(&watcher))));
    ASSERT_EQ(Hr(S_OK), Hr(watcher->Init(static_cast<::CommandButton*>(global_), static_cast<::CommandButton*>(local_),
                                         static_cast<::TextBox*>(first_))));
    Focus(first_);
    EXPECT_EQ(DefaultId(), IdOf(local_)) << "focus in the text box: the local button is the default";
    EXPECT_TRUE(LooksDefault(local_));
    EXPECT_FALSE(LooksDefault(global_));
    Focus(second_);
    EXPECT_EQ(DefaultId(), IdOf(global_)) << "focus gone: the global button is the default again";
    EXPECT_TRUE(LooksDefault(global_));
    EXPECT_FALSE(LooksDefault(local_));

    // Without a global button leaving the text box leaves the form without a default button.
    ASSERT_EQ(Hr(S_OK), Hr(watcher->Init(nullptr, static_cast<::CommandButton*>(local_), static_cast<::TextBox*>(first_))));
    Focus(first_);
    EXPECT_EQ(DefaultId(), IdOf(local_));
    Focus(second_);
    EXPECT_EQ(DefaultId(), 0u);
    EXPECT_FALSE(LooksDefault(local_));

    // Without a local button only the global one is restored on leaving.
    ASSERT_EQ(Hr(S_OK), Hr(watcher->Init(static_cast<::CommandButton*>(global_), nullptr, static_cast<::TextBox*>(first_))));
    Focus(first_);
    EXPECT_EQ(DefaultId(), 0u) << "entering changes nothing";
    Focus(second_);
    EXPECT_EQ(DefaultId(), IdOf(global_));

    // The watcher ends: focus changes no longer move the role.
    watcher.Reset();
    ASSERT_EQ(Hr(S_OK), Hr(local_->put_Default(VARIANT_TRUE)));
    Focus(first_);
    Focus(second_);
    EXPECT_EQ(DefaultId(), IdOf(local_));
}

TEST_F(TextBoxHooks, WatcherRefusesWrongControls) {
    ComPtr<_nvkTextBoxDefButtonWatcher> watcher;
    ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkTextBoxDefButtonWatcher::CreateInstance(IID_PPV_ARGS(&watcher))));
    IDispatch* box = static_cast<::TextBox*>(first_);
    IDispatch* button = static_cast<::CommandButton*>(local_);
    EXPECT_EQ(Hr(kTypeMismatch), Hr(watcher->Init(box, nullptr, box))) << "a text box as the global button";
    EXPECT_EQ(Hr(kTypeMismatch), Hr(watcher->Init(nullptr, box, box))) << "a text box as the local button";
    EXPECT_EQ(Hr(kTypeMismatch), Hr(watcher->Init(nullptr, button, button))) << "a button as the text box";
    EXPECT_EQ(Hr(S_OK), Hr(watcher->Init(nullptr, nullptr, nullptr))) << "all none";
}

}  // namespace
