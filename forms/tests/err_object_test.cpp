// The error object: built from a failed call, read and raised through its table and by name.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "ErrObject.h"
#include "ErrorInfo.h"
#include "TestSupport.h"

namespace {

using kelmor::ErrObject;
using kelmor::test::Hr;

std::wstring Take(BSTR text) {
    std::wstring out(text ? text : L"", SysStringLen(text));
    SysFreeString(text);
    return out;
}

struct Fields {
    LONG number = 0;
    std::wstring source, description, helpFile;
    LONG helpContext = 0;
};
Fields Read(ErrObject* e) {
    Fields f;
    BSTR text = nullptr;
    e->get_Number(&f.number);
    e->get_Source(&text);
    f.source = Take(text);
    e->get_Description(&text);
    f.description = Take(text);
    e->get_HelpFile(&text);
    f.helpFile = Take(text);
    e->get_HelpContext(&f.helpContext);
    return f;
}

class ErrObjectTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(ErrObjectTest, FromAFailureWithErrorInformation) {
    kelmor::RaisedError raised;
    raised.number = 53;
    raised.source = L"Tessel";
    raised.description = L"Файл не найден";
    raised.helpFile = L"C:\\help.chm";
    raised.helpContext = 1200;
    const HRESULT hr = kelmor::RaiseError(raised);
    ErrObject* e = ErrObject::FromFailure(hr);
    ASSERT_NE(nullptr, e);
    const Fields f = Read(e);
    EXPECT_EQ(53, f.number);
    EXPECT_EQ(L"Tessel", f.source);
    EXPECT_EQ(L"Файл не найден", f.description);
    EXPECT_EQ(L"C:\\help.chm", f.helpFile);
    EXPECT_EQ(1200, f.helpContext);
    IErrorInfo* left = nullptr;
    EXPECT_EQ(Hr(S_FALSE), Hr(GetErrorInfo(0, &left))) << "the error information was taken";
    e->Release();
}

TEST_F(ErrObjectTest, FromABareFailureCode) {
    SetErrorInfo(0, nullptr);
    ErrObject* runtime = ErrObject::FromFailure(static_cast<HRESULT>(0x800A0009));
    EXPECT_EQ(9, Read(runtime).number);
    EXPECT_EQ(L"Subscript out of range", Read(runtime).description);
    EXPECT_EQ(L"", Read(runtime).source);
    runtime->Release();

    ErrObject* system = ErrObject::FromFailure(CO_E_CLASSSTRING);
    const Fields f = Read(system);
    EXPECT_EQ(static_cast<LONG>(CO_E_CLASSSTRING), f.number) << "a failure code is its own number";
    EXPECT_FALSE(f.description.empty());
    EXPECT_NE(L'\n', f.description.back()) << "the system's text without its line break";
    system->Release();
}

TEST_F(ErrObjectTest, RaiseAndClear) {
    ErrObject* e = ErrObject::New();
    VARIANT source, missing;
    V_VT(&source) = VT_BSTR;
    V_BSTR(&source) = SysAllocString(L"Client");
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(Hr(0x800A0005), Hr(e->Raise(5, &source, &missing, nullptr, &missing)));
    VariantClear(&source);
    ErrObject* caught = ErrObject::FromFailure(static_cast<HRESULT>(0x800A0005));
    EXPECT_EQ(L"Client", Read(caught).source);
    EXPECT_EQ(L"Invalid procedure call or argument", Read(caught).description);
    caught->Release();
    EXPECT_EQ(5, Read(e).number);

    // A failure code raises as itself.
    EXPECT_EQ(Hr(E_ACCESSDENIED), Hr(e->Raise(E_ACCESSDENIED, nullptr, nullptr, nullptr, nullptr)));
    SetErrorInfo(0, nullptr);
    // Nothing to raise: error 5.
    EXPECT_EQ(Hr(0x800A0005), Hr(e->Raise(0, nullptr, nullptr, nullptr, nullptr)));
    EXPECT_EQ(Hr(0x800A0005), Hr(e->Raise(70000, nullptr, nullptr, nullptr, nullptr)));
    SetErrorInfo(0, nullptr);

    EXPECT_EQ(Hr(S_OK), Hr(e->Clear()));
    const Fields cleared = Read(e);
    EXPECT_EQ(0, cleared.number);
    EXPECT_EQ(L"", cleared.source + cleared.description + cleared.helpFile);
    e->Release();
}

TEST_F(ErrObjectTest, NumberIsTheDefaultMember) {
    ErrObject* e = ErrObject::FromFailure(static_cast<HRESULT>(0x800A01B6));
    DISPPARAMS none{};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(Hr(S_OK), Hr(e->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr)));
    EXPECT_EQ(VT_I4, V_VT(&result));
    EXPECT_EQ(438, V_I4(&result));
    e->Release();
}

}  // namespace
