// The name table behind every class's GetIDsOfNames: for every interface of the library's type
// library, every member and parameter name in any letter case gives what the type information's own
// lookup gives, unknown names included; and a library object answers from it.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "DispatchNames.h"
#include "Module.h"
#include "TestSupport.h"
#include "Text.h"
#include "nvkMain.h"

namespace {

using Microsoft::WRL::ComPtr;
using kelmor::DispatchNames;
using kelmor::test::Hr;

struct Lookup {
    HRESULT hr;
    std::vector<DISPID> ids;
};

Lookup ByTypeInfo(ITypeInfo* info, std::vector<std::wstring> names) {
    std::vector<LPOLESTR> pointers;
    for (std::wstring& n : names) pointers.push_back(n.data());
    Lookup l{S_OK, std::vector<DISPID>(names.size(), 12345)};
    l.hr = info->GetIDsOfNames(pointers.data(), static_cast<UINT>(names.size()), l.ids.data());
    return l;
}

Lookup ByTable(const DispatchNames& table, std::vector<std::wstring> names) {
    std::vector<LPOLESTR> pointers;
    for (std::wstring& n : names) pointers.push_back(n.data());
    Lookup l{S_OK, std::vector<DISPID>(names.size(), 12345)};
    l.hr = table.Find(pointers.data(), static_cast<UINT>(names.size()), l.ids.data());
    return l;
}

std::wstring Cased(std::wstring text, int variant) {
    for (wchar_t& c : text) c = variant == 0 ? c : variant == 1 ? std::towupper(c) : std::towlower(c);
    return text;
}

// Every interface with members: each member's name (as written, upper and lower case) alone and
// with its parameters' names, a wrong parameter name, and names no member has.
TEST(DispatchNames, EveryInterfaceAnswersAsItsTypeInformation) {
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(Hr(S_OK), Hr(kelmor::Module::TypeLib(&lib)));
    int compared = 0;
    for (UINT t = 0; t < lib->GetTypeInfoCount(); ++t) {
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(Hr(S_OK), Hr(lib->GetTypeInfo(t, &info)));
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(Hr(S_OK), Hr(info->GetTypeAttr(&attributes)));
        const TYPEKIND kind = attributes->typekind;
        const WORD functions = attributes->cFuncs;
        info->ReleaseTypeAttr(attributes);
        if (kind != TKIND_DISPATCH && kind != TKIND_INTERFACE) continue;
        DispatchNames table;
        ASSERT_TRUE(table.Build(info.Get())) << t;
        for (UINT f = 0; f < functions; ++f) {
            FUNCDESC* function = nullptr;
            ASSERT_EQ(Hr(S_OK), Hr(info->GetFuncDesc(f, &function)));
            const MEMBERID id = function->memid;
            info->ReleaseFuncDesc(function);
            BSTR raw[32] = {};
            UINT got = 0;
            ASSERT_EQ(Hr(S_OK), Hr(info->GetNames(id, raw, 32, &got)));
            std::vector<std::wstring> names;
            for (UINT i = 0; i < got; ++i) {
                names.push_back(kelmor::FromBstr(raw[i]));
                SysFreeString(raw[i]);
            }
            for (int variant = 0; variant < 3; ++variant) {
                std::vector<std::wstring> cased;
                for (const std::wstring& n : names) cased.push_back(Cased(n, variant));
                std::vector<std::vector<std::wstring>> asks = {{cased[0]}, cased};
                std::vector<std::wstring> wrongParameter = {cased[0], L"NoSuchParameter"};
                if (cased.size() > 1) wrongParameter.push_back(cased[1]);
                asks.push_back(wrongParameter);
                for (const auto& ask : asks) {
                    const Lookup expected = ByTypeInfo(info.Get(), ask);
                    const Lookup actual = ByTable(table, ask);
                    EXPECT_EQ(Hr(expected.hr), Hr(actual.hr)) << ask[0] << " with " << ask.size() - 1 << " more";
                    EXPECT_EQ(expected.ids, actual.ids) << ask[0];
                    ++compared;
                }
            }
        }
        for (const wchar_t* unknown : {L"NoSuchMember", L"", L"Q"}) {
            const Lookup actual = ByTable(table, {unknown, L"x"});
            EXPECT_EQ(Hr(DISP_E_UNKNOWNNAME), Hr(actual.hr));
            EXPECT_EQ((std::vector<DISPID>{DISPID_UNKNOWN, DISPID_UNKNOWN}), actual.ids);
            EXPECT_EQ(Hr(ByTypeInfo(info.Get(), {unknown}).hr), Hr(actual.hr));
        }
    }
    EXPECT_GT(compared, 500);
}

TEST(DispatchNames, ALibraryObjectAnswersFromItsTable) {
    ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
    {
        ComPtr<IDispatch> main;
        ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkMain::CreateInstance(IID_PPV_ARGS(&main))));
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(Hr(S_OK), Hr(main->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)));
        for (const wchar_t* name : {L"LastEventLoggerError", L"LASTEVENTLOGGERERROR", L"loadpictureex", L"NoSuch"}) {
            std::wstring text = name;
            LPOLESTR names[] = {text.data()};
            DISPID ours = 0, theirs = 0;
            const HRESULT hr = main->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &ours);
            EXPECT_EQ(Hr(info->GetIDsOfNames(names, 1, &theirs)), Hr(hr)) << name;
            EXPECT_EQ(theirs, ours) << name;
        }
        LPOLESTR none[] = {nullptr};
        DISPID id = 0;
        EXPECT_EQ(Hr(DISP_E_UNKNOWNNAME), Hr(main->GetIDsOfNames(IID_NULL, none, 1, 0, &id)));
        EXPECT_EQ(DISPID_UNKNOWN, id);
        EXPECT_EQ(Hr(E_INVALIDARG), Hr(main->GetIDsOfNames(IID_NULL, nullptr, 1, 0, &id)));
    }
    CoUninitialize();
}

// Keys compare as the system's ordinal comparison that ignores case does: Cyrillic letters fold,
// a Latin letter never equals its Cyrillic look-alike.
TEST(CaseKey, FoldsEveryScriptByTheSystemsTable) {
    EXPECT_EQ(kelmor::CaseKey(L"ОДИН"), kelmor::CaseKey(L"один"));
    EXPECT_EQ(kelmor::CaseKey(L"Item"), kelmor::CaseKey(L"iTEM"));
    EXPECT_NE(kelmor::CaseKey(L"oдин"), kelmor::CaseKey(L"один"));
    for (const wchar_t* text : {L"Abc", L"ёЁжЖ", L"straße", L"", L"a\u0000b"}) {
        const std::wstring a = text, b = Cased(a, 1);
        const bool same = CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                               static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
        EXPECT_EQ(same, kelmor::CaseKey(a) == kelmor::CaseKey(b)) << a;
    }
}

}  // namespace
