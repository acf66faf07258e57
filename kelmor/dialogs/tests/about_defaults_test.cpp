// The about box's text defaults as a late-bound caller receives them from the type library, in
// the system's ANSI code page (run again as dialogs_test_cp1252 and dialogs_test_cp932).
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>

#include "Kelmor0200.h"
#include "Module.h"
#include "TestSupport.h"
#include "dialogs/modAbout.h"

namespace {

using kelmor::modAbout::MeantDefault;
using kelmor::test::Hr;
using Microsoft::WRL::ComPtr;

TEST(AboutDefaults, ATypeLibraryDefaultMisreadInTheSystemsCodePageIsTheMeantText) {
    struct Case {
        std::wstring received;
        UINT codePage;
        std::wstring expected;
    };
    const std::wstring meant = L"Освель";
    for (const Case& c : {
             Case{L"\x00CE\x00F1\x00E2\x00E5\x00EB\x00FC", 1252, meant},  // "Îñâåëü"
             Case{meant, 1252, meant},
             Case{L"Someone else", 1252, L"Someone else"},
             Case{L"", 1252, L""},
             // Under 1251 the type library reads right: a text like that is the caller's own.
             Case{L"\x00CE\x00F1\x00E2\x00E5\x00EB\x00FC", 1251, L"\x00CE\x00F1\x00E2\x00E5\x00EB\x00FC"},
         })
        EXPECT_EQ(c.expected, MeantDefault(c.received, meant.c_str(), c.codePage)) << c.codePage;
}

// What the platform's type library reader gives for a left-out argument here.
std::wstring TypeLibraryDefault(const wchar_t* member, UINT parameter) {
    ITypeLib* raw = nullptr;
    EXPECT_EQ(Hr(S_OK), Hr(kelmor::Module::TypeLib(&raw)));
    if (!raw) return L"<no type library>";
    ComPtr<ITypeLib> lib;
    lib.Attach(raw);
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(Hr(S_OK), Hr(lib->GetTypeInfoOfGuid(__uuidof(_nvkMain), &info)));
    if (!info) return L"<no type info>";
    MEMBERID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(member)};
    EXPECT_EQ(Hr(S_OK), Hr(info->GetIDsOfNames(names, 1, &id)));
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    std::wstring text = L"<not found>";
    for (UINT i = 0; attr && i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) continue;
        if (f->memid == id && parameter < static_cast<UINT>(f->cParams)) {
            const PARAMDESC& p = f->lprgelemdescParam[parameter].paramdesc;
            if ((p.wParamFlags & PARAMFLAG_FHASDEFAULT) && p.pparamdescex &&
                V_VT(&p.pparamdescex->varDefaultValue) == VT_BSTR)
                text = V_BSTR(&p.pparamdescex->varDefaultValue);
        }
        info->ReleaseFuncDesc(f);
    }
    if (attr) info->ReleaseTypeAttr(attr);
    return text;
}

TEST(AboutDefaults, TheLeftOutDedicationAndTooltipShowAsMeantInThisCodePage) {
    const UINT page = GetACP();
    EXPECT_EQ(kelmor::modAbout::kPictureToolTip,
              MeantDefault(TypeLibraryDefault(L"ShowAboutBox2", 5), kelmor::modAbout::kPictureToolTip, page))
        << "code page " << page;
    EXPECT_EQ(kelmor::modAbout::kDevote, MeantDefault(TypeLibraryDefault(L"ShowAboutBoxEx", 8),
                                                      kelmor::modAbout::kDevote, page))
        << "code page " << page;
    EXPECT_EQ(kelmor::modAbout::kPictureToolTip,
              MeantDefault(TypeLibraryDefault(L"ShowAboutBoxEx", 11), kelmor::modAbout::kPictureToolTip, page))
        << "code page " << page;
}

}  // namespace
