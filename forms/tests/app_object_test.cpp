// The application object of a program: title, version and texts from its version resource,
// file name and folder; inert answers for the runtime's settings.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>

#include "AppObject.h"
#include "TestSupport.h"

namespace {

using kelmor::AppObject;
using kelmor::test::BesideExe;
using kelmor::test::Hr;

std::wstring Take(BSTR text) {
    std::wstring out(text ? text : L"", SysStringLen(text));
    SysFreeString(text);
    return out;
}

template <class Get>
std::wstring TextOf(AppObject* app, Get get) {
    BSTR text = nullptr;
    EXPECT_EQ(Hr(S_OK), Hr((app->*get)(&text)));
    return Take(text);
}

TEST(AppObjectTest, ReadsTheProgramsVersionResource) {
    AppObject* app = AppObject::New();
    ASSERT_NE(nullptr, app);
    EXPECT_EQ(L"Приложение форм", TextOf(app, &AppObject::get_Title));
    EXPECT_EQ(L"Приложение форм", TextOf(app, &AppObject::get_FileDescription));
    EXPECT_EQ(L"Проверка объекта приложения", TextOf(app, &AppObject::get_Comments));
    EXPECT_EQ(L"Vestrimo", TextOf(app, &AppObject::get_CompanyName));
    EXPECT_EQ(L"(c) Vestrimo", TextOf(app, &AppObject::get_LegalCopyright));
    EXPECT_EQ(L"Nevkit", TextOf(app, &AppObject::get_LegalTrademarks));
    EXPECT_EQ(L"Nevkit", TextOf(app, &AppObject::get_ProductName));
    short major = 0, minor = 0, revision = 0;
    app->get_Major(&major);
    app->get_Minor(&minor);
    app->get_Revision(&revision);
    EXPECT_EQ(3, major);
    EXPECT_EQ(14, minor);
    EXPECT_EQ(159, revision) << "versions are major.minor.0.revision";

    const std::wstring exe = BesideExe(L"forms_test.exe");
    EXPECT_EQ(L"forms_test", TextOf(app, &AppObject::get_EXEName));
    EXPECT_EQ(exe.substr(0, exe.find_last_of(L'\\')), TextOf(app, &AppObject::get_Path)) << "no closing backslash";
    LONG thread = 0;
    app->get_ThreadID(&thread);
    EXPECT_EQ(static_cast<LONG>(GetCurrentThreadId()), thread);

    // A title let replaces the title; the runtime's settings are accepted and forgotten.
    BSTR title = SysAllocString(L"Другое");
    app->put_Title(title);
    SysFreeString(title);
    EXPECT_EQ(L"Другое", TextOf(app, &AppObject::get_Title));
    EXPECT_EQ(Hr(S_OK), Hr(app->put_TaskVisible(VARIANT_TRUE)));
    VARIANT_BOOL visible = VARIANT_TRUE;
    app->get_TaskVisible(&visible);
    EXPECT_EQ(VARIANT_FALSE, visible);
    app->Release();
}

TEST(AppObjectTest, AModuleWithoutVersionResource) {
    HMODULE dll = LoadLibraryW(BesideExe(L"Derodor.dll").c_str());
    ASSERT_NE(nullptr, dll);
    AppObject* app = AppObject::New(dll);
    EXPECT_EQ(L"Derodor", TextOf(app, &AppObject::get_Title)) << "the file name stands for the title";
    EXPECT_EQ(L"Derodor", TextOf(app, &AppObject::get_EXEName));
    EXPECT_EQ(L"", TextOf(app, &AppObject::get_ProductName));
    short major = -1;
    app->get_Major(&major);
    EXPECT_EQ(0, major);
    app->Release();
    FreeLibrary(dll);
}

}  // namespace
