// The list dialog's properties through its table and through IDispatch (no window is shown
// here; the window is driven in list_dialog_gui_test).
#include <windows.h>
#include <olectl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>

#include "Collection.h"
#include "Kelmor0200.h"
#include "Module.h"
#include "TestSupport.h"
#include "dialogs/nvkSimpleListDialog.h"

namespace {

using Microsoft::WRL::ComPtr;
using kelmor::test::Hr;

class ListDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        locksBefore_ = kelmor::Module::LockCount();
        ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkSimpleListDialog::CreateInstance(IID__nvkSimpleListDialog, &dialog_)));
    }
    void TearDown() override {
        dialog_.Reset();
        // The dialog and every collection it made are gone.
        EXPECT_EQ(locksBefore_, kelmor::Module::LockCount());
        CoUninitialize();
    }
    LONG ElementCount() {
        ComPtr<_Collection> elements;
        EXPECT_EQ(Hr(S_OK), Hr(dialog_->get_Elements(&elements)));
        if (!elements) return -1;
        LONG n = -1;
        EXPECT_EQ(Hr(S_OK), Hr(elements->Count(&n)));
        return n;
    }
    ComPtr<_nvkSimpleListDialog> dialog_;
    LONG locksBefore_ = 0;
};

TEST_F(ListDialogTest, StartsWithAnEmptyListTheCountOnAndNoCaption) {
    EXPECT_EQ(0, ElementCount());
    VARIANT_BOOL show = VARIANT_FALSE;
    ASSERT_EQ(Hr(S_OK), Hr(dialog_->get_ShowCountInCaption(&show)));
    EXPECT_EQ(VARIANT_TRUE, show);
    BSTR caption = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(dialog_->get_Caption(&caption)));
    EXPECT_EQ(0u, SysStringLen(caption));
    SysFreeString(caption);
}

TEST_F(ListDialogTest, DefaultFontIsTahoma9Charset204WithWeight100) {
    ComPtr<IFontDisp> fontDisp;
    ASSERT_EQ(Hr(S_OK), Hr(dialog_->get_Font(&fontDisp)));
    ComPtr<IFont> font;
    ASSERT_EQ(Hr(S_OK), Hr(fontDisp.As(&font)));
    BSTR name = nullptr;
    font->get_Name(&name);
    EXPECT_STREQ(L"Tahoma", name);
    SysFreeString(name);
    CY size{};
    font->get_Size(&size);
    EXPECT_EQ(90000, size.int64);
    SHORT weight = 0, charset = 0;
    font->get_Weight(&weight);
    font->get_Charset(&charset);
    EXPECT_EQ(100, weight);  // set last: Bold = False before it would otherwise have made it 400
    EXPECT_EQ(204, charset);
    BOOL bold = TRUE, italic = TRUE, underline = TRUE, strike = TRUE;
    font->get_Bold(&bold);
    font->get_Italic(&italic);
    font->get_Underline(&underline);
    font->get_Strikethrough(&strike);
    EXPECT_FALSE(bold || italic || underline || strike);
    // Every dialog has a font of its own.
    ComPtr<_nvkSimpleListDialog> other;
    ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkSimpleListDialog::CreateInstance(IID__nvkSimpleListDialog, &other)));
    ComPtr<IFontDisp> otherFont;
    other->get_Font(&otherFont);
    EXPECT_NE(fontDisp.Get(), otherFont.Get());
}

TEST_F(ListDialogTest, ElementsIsNeverNothing) {
    ComPtr<_Collection> first;
    ASSERT_EQ(Hr(S_OK), Hr(dialog_->get_Elements(&first)));
    VARIANT item;
    V_VT(&item) = VT_BSTR;
    V_BSTR(&item) = SysAllocString(L"строка");
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    ASSERT_EQ(Hr(S_OK), Hr(first->Add(&item, &missing, &missing, &missing)));
    VariantClear(&item);
    EXPECT_EQ(1, ElementCount());
    // Nothing, by reference or by value, gives a new empty collection.
    for (int byValue = 0; byValue < 2; ++byValue) {
        ASSERT_EQ(Hr(S_OK), Hr(byValue ? dialog_->put_Elements(nullptr) : dialog_->putref_Elements(nullptr)));
        ComPtr<_Collection> now;
        ASSERT_EQ(Hr(S_OK), Hr(dialog_->get_Elements(&now)));
        ASSERT_NE(nullptr, now.Get());
        EXPECT_NE(first.Get(), now.Get());
        EXPECT_EQ(0, ElementCount());
    }
    // A collection given is the one kept, not a copy.
    ASSERT_EQ(Hr(S_OK), Hr(dialog_->put_Elements(first.Get())));
    ComPtr<_Collection> kept;
    dialog_->get_Elements(&kept);
    EXPECT_EQ(first.Get(), kept.Get());
}

TEST_F(ListDialogTest, FontIsTheSameObjectNotACopy) {
    ComPtr<IFontDisp> mine;
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.lpstrName = const_cast<LPOLESTR>(L"Courier New");
    desc.cySize.int64 = 120000;
    desc.sWeight = FW_BOLD;
    desc.sCharset = RUSSIAN_CHARSET;
    ASSERT_EQ(Hr(S_OK), Hr(OleCreateFontIndirect(&desc, IID_IFontDisp, &mine)));
    ASSERT_EQ(Hr(S_OK), Hr(dialog_->putref_Font(mine.Get())));
    ComPtr<IFontDisp> back;
    dialog_->get_Font(&back);
    EXPECT_EQ(mine.Get(), back.Get());
    ASSERT_EQ(Hr(S_OK), Hr(dialog_->put_Font(nullptr)));
    back.Reset();
    dialog_->get_Font(&back);
    EXPECT_EQ(nullptr, back.Get());
}

TEST_F(ListDialogTest, CaptionAndCountSwitchKeepWhatIsGiven) {
    BSTR text = SysAllocStringLen(L"Города\0и веси", 13);  // an embedded NUL is kept
    ASSERT_EQ(Hr(S_OK), Hr(dialog_->put_Caption(text)));
    SysFreeString(text);
    BSTR back = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(dialog_->get_Caption(&back)));
    EXPECT_EQ(std::wstring(L"Города\0и веси", 13), std::wstring(back, SysStringLen(back)));
    SysFreeString(back);
    ASSERT_EQ(Hr(S_OK), Hr(dialog_->put_Caption(nullptr)));
    ASSERT_EQ(Hr(S_OK), Hr(dialog_->get_Caption(&back)));
    EXPECT_EQ(0u, SysStringLen(back));
    SysFreeString(back);
    ASSERT_EQ(Hr(S_OK), Hr(dialog_->put_ShowCountInCaption(VARIANT_FALSE)));
    VARIANT_BOOL show = VARIANT_TRUE;
    dialog_->get_ShowCountInCaption(&show);
    EXPECT_EQ(VARIANT_FALSE, show);
}

// As a late-binding client assigns them: Set Elements = Nothing, Font read back, Caption.
TEST_F(ListDialogTest, ThroughIDispatch) {
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(Hr(S_OK), Hr(dialog_.As(&dispatch)));
    auto id = [&](const wchar_t* name) {
        DISPID d = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        EXPECT_EQ(Hr(S_OK), Hr(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &d))) << name;
        return d;
    };
    auto put = [&](const wchar_t* name, WORD flags, VARIANT value) {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{&value, &named, 1, 1};
        HRESULT hr = dispatch->Invoke(id(name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params, nullptr, nullptr, nullptr);
        VariantClear(&value);
        return hr;
    };
    auto get = [&](const wchar_t* name, VARIANT* result) {
        DISPPARAMS none{};
        return dispatch->Invoke(id(name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result, nullptr,
                                nullptr);
    };
    VARIANT nothing;
    V_VT(&nothing) = VT_DISPATCH;
    V_DISPATCH(&nothing) = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(put(L"Elements", DISPATCH_PROPERTYPUTREF, nothing)));
    VARIANT value;
    VariantInit(&value);
    ASSERT_EQ(Hr(S_OK), Hr(get(L"Elements", &value)));
    EXPECT_EQ(VT_DISPATCH, V_VT(&value));
    EXPECT_NE(nullptr, V_DISPATCH(&value));
    VariantClear(&value);

    VARIANT caption;
    V_VT(&caption) = VT_BSTR;
    V_BSTR(&caption) = SysAllocString(L"Список");
    ASSERT_EQ(Hr(S_OK), Hr(put(L"Caption", DISPATCH_PROPERTYPUT, caption)));
    ASSERT_EQ(Hr(S_OK), Hr(get(L"caption", &value)));
    EXPECT_STREQ(L"Список", V_BSTR(&value));
    VariantClear(&value);

    ASSERT_EQ(Hr(S_OK), Hr(get(L"Font", &value)));
    ASSERT_EQ(VT_DISPATCH, V_VT(&value));
    ComPtr<IFont> font;
    EXPECT_EQ(Hr(S_OK), Hr(V_DISPATCH(&value)->QueryInterface(IID_PPV_ARGS(&font))));
    VariantClear(&value);
}

}  // namespace
