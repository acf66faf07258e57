// Raising and passing on errors: HRESULT and the thread's error information.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include "ErrorInfo.h"
#include "TestSupport.h"

namespace {

using kelmor::test::Hr;

struct Taken {
    std::wstring source, description, helpFile;
    DWORD helpContext = 0;
    bool present = false;
};

Taken TakeErrorInfo() {
    Taken t;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return t;
    t.present = true;
    BSTR s = nullptr;
    if (SUCCEEDED(info->GetSource(&s)) && s) t.source = s;
    SysFreeString(s);
    s = nullptr;
    if (SUCCEEDED(info->GetDescription(&s)) && s) t.description = s;
    SysFreeString(s);
    s = nullptr;
    if (SUCCEEDED(info->GetHelpFile(&s)) && s) t.helpFile = s;
    SysFreeString(s);
    info->GetHelpContext(&t.helpContext);
    info->Release();
    return t;
}

TEST(RaiseError, ReturnsTheRuntimeHResultWithStandardTextWhenNoneIsGiven) {
    EXPECT_EQ(Hr(static_cast<HRESULT>(0x800A0005)), Hr(kelmor::RaiseError(5, L"Kelmor0200.nvkMain")));
    Taken t = TakeErrorInfo();
    ASSERT_TRUE(t.present);
    EXPECT_EQ(L"Kelmor0200.nvkMain", t.source);
    EXPECT_EQ(L"Invalid procedure call or argument", t.description);
    EXPECT_FALSE(TakeErrorInfo().present) << "the information is taken once";
}

TEST(RaiseError, KeepsTheGivenDescriptionHelpFileAndContext) {
    kelmor::RaisedError e;
    e.number = 51;
    e.description = L"Не удалось создать контекст";
    e.helpFile = L"C:\\help\\kelmor.hlp";
    e.helpContext = 1234;
    EXPECT_EQ(Hr(static_cast<HRESULT>(0x800A0033)), Hr(kelmor::RaiseError(e)));
    Taken t = TakeErrorInfo();
    EXPECT_EQ(L"Kelmor0200", t.source) << "no source given: the library's name";
    EXPECT_EQ(e.description, t.description);
    EXPECT_EQ(e.helpFile, t.helpFile);
    EXPECT_EQ(1234u, t.helpContext);
}

TEST(PassOnError, KeepsTheCalleesInformation) {
    kelmor::RaiseError(53, L"Inner.Source", L"inner text");
    EXPECT_EQ(Hr(static_cast<HRESULT>(0x800A0035)),
              Hr(kelmor::PassOnError(static_cast<HRESULT>(0x800A0035), L"Outer")));
    Taken t = TakeErrorInfo();
    EXPECT_EQ(L"Inner.Source", t.source);
    EXPECT_EQ(L"inner text", t.description);
}

TEST(PassOnError, DescribesABareFailureCode) {
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(Hr(static_cast<HRESULT>(0x800A0009)),
              Hr(kelmor::PassOnError(static_cast<HRESULT>(0x800A0009), L"Outer")));
    Taken t = TakeErrorInfo();
    EXPECT_EQ(L"Outer", t.source);
    EXPECT_EQ(L"Subscript out of range", t.description);

    EXPECT_EQ(Hr(E_OUTOFMEMORY), Hr(kelmor::PassOnError(E_OUTOFMEMORY, L"Outer")));
    t = TakeErrorInfo();
    EXPECT_TRUE(t.present);
    EXPECT_FALSE(t.description.empty());
    EXPECT_NE(L'\n', t.description.back()) << "no trailing line break";

    EXPECT_EQ(Hr(S_OK), Hr(kelmor::PassOnError(S_OK, L"Outer")));
    EXPECT_FALSE(TakeErrorInfo().present);
}

}  // namespace
