// The event logger when the outside logger component is not registered: InitEventLogger
// answers False and keeps the creation error. The component is unregistered for the length of
// this program and registered again at its end (the test runs alone).
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include "AppServicesTestSupport.h"
#include "CEventLoggerStub.h"
#include "Global.h"
#include "nvkMain.h"

namespace {

using Microsoft::WRL::ComPtr;
using namespace kelmor::test;
using kelmor::Globals;

using Entry = HRESULT(STDAPICALLTYPE*)();

class UnregisteredLogger : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        dll_ = LoadLibraryW(BesideExe(L"Derodor.dll").c_str());
        ASSERT_NE(nullptr, dll_);
        ASSERT_EQ(Hr(S_OK), Hr(Export<Entry>(dll_, "DllUnregisterServer")()));
    }
    void TearDown() override {
        if (dll_) {
            EXPECT_EQ(Hr(S_OK), Hr(Export<Entry>(dll_, "DllRegisterServer")())) << "Derodor.dll registered again";
            FreeLibrary(dll_);
        }
        CoUninitialize();
    }
    HMODULE dll_ = nullptr;
};

TEST_F(UnregisteredLogger, InitEventLoggerAnswersFalseAndKeepsTheCreationError) {
    ComPtr<_nvkMain> m;
    ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkMain::CreateInstance(IID_PPV_ARGS(&m))));
    FakeLogger earlier;
    Globals().logger->SetInnerLogger(&earlier);

    BSTR title = SysAllocString(L"Tessel");
    VARIANT_BOOL ok = 1;
    ASSERT_EQ(Hr(S_OK), Hr(m->InitEventLoggerNonVB(title, 1, 0, 0, &ok)));
    SysFreeString(title);
    EXPECT_EQ(VARIANT_FALSE, ok);

    BSTR text = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(m->get_LastEventLoggerError(&text)));
    const std::wstring error = Take(text);
    // The number of the failure, the system's text for it and the library, which met it.
    const std::wstring head = L"Error number: -2147221005 (0x800401F3)\r\nDescription:  ";
    const std::wstring tail = L"\r\n\r\nSource:       Kelmor0200";
    EXPECT_EQ(0u, error.find(head)) << Utf8(error);
    ASSERT_GT(error.size(), head.size() + tail.size()) << Utf8(error);
    EXPECT_EQ(tail, error.substr(error.size() - tail.size())) << Utf8(error);
    const std::wstring systemText = error.substr(head.size(), error.size() - head.size() - tail.size());
    EXPECT_FALSE(systemText.empty());
    EXPECT_EQ(std::wstring::npos, systemText.find(L"\r\n")) << "on one line: " << Utf8(systemText);

    // A creation that returned none detaches the logger attached before.
    EXPECT_EQ(nullptr, Globals().logger->InnerLogger());
    EXPECT_EQ(1u, earlier.refs);
    ComPtr<IEventLogger2> logger;
    ASSERT_EQ(Hr(S_OK), Hr(m->Logger(&logger)));
    LONG mode = -1;
    EXPECT_EQ(Hr(S_OK), Hr(logger->get_LogMode(&mode)));
    EXPECT_EQ(0, mode);
}

}  // namespace
