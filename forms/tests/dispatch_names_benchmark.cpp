// Late-bound calls look a member's id up by name every time (GetIDsOfNames, then Invoke). Measured in
// the same run: the lookup of every member name of every class the library creates, and of a name
// no member has, against Scripting.Dictionary's lookup of "Count". Target: the slowest of ours at
// most half the Dictionary's.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "TestSupport.h"
#include "Variants.h"
#include "frame/ClassTable.h"

namespace {

using Microsoft::WRL::ComPtr;
using kelmor::test::Hr;
namespace bench = kelmor::bench;

// Microseconds per lookup of `name`: the best of a few rounds of `calls` lookups.
double MicrosPerLookup(IDispatch* object, const std::wstring& name, int calls, int rounds, HRESULT* hr) {
    std::wstring text = name;
    LPOLESTR names[] = {text.data()};
    double best = 1e300;
    for (int r = 0; r < rounds; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i) {
            DISPID id = 0;
            *hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        }
        best = std::min(best, std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / calls);
    }
    return best;
}

struct Named {
    ComPtr<IDispatch> object;
    std::wstring name;
};

// Every member name of every class the library creates.
std::vector<Named> Members() {
    std::vector<Named> all;
    for (const kelmor::ClassEntry& entry : kelmor::Classes()) {
        if (!entry.create) continue;
        ComPtr<IDispatch> object;
        if (FAILED(entry.create(IID_PPV_ARGS(&object)))) {
            ADD_FAILURE() << "cannot make " << kelmor::test::Utf8(entry.name);
            continue;
        }
        ComPtr<ITypeInfo> info;
        TYPEATTR* attributes = nullptr;
        if (FAILED(object->GetTypeInfo(0, 0, &info)) || FAILED(info->GetTypeAttr(&attributes))) continue;
        const WORD functions = attributes->cFuncs;
        info->ReleaseTypeAttr(attributes);
        for (UINT f = 0; f < functions; ++f) {
            FUNCDESC* function = nullptr;
            if (FAILED(info->GetFuncDesc(f, &function))) continue;
            const MEMBERID id = function->memid;
            const bool restricted = (function->wFuncFlags & FUNCFLAG_FRESTRICTED) != 0;
            info->ReleaseFuncDesc(function);
            BSTR name = nullptr;
            UINT got = 0;
            if (restricted || FAILED(info->GetNames(id, &name, 1, &got)) || got == 0) continue;
            const std::wstring text = kelmor::test::Take(name);
            const bool seen = std::any_of(all.begin(), all.end(), [&](const Named& n) {
                return n.object == object && n.name == text;  // a property's accessors share a name
            });
            if (!seen) all.push_back({object, text});
        }
    }
    return all;
}

TEST(DispatchNamesBenchmark, EveryMemberNameCostsAtMostHalfTheDictionarys) {
    ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
    {
        CLSID dictionaryClass{};
        ASSERT_EQ(Hr(S_OK), Hr(CLSIDFromProgID(L"Scripting.Dictionary", &dictionaryClass)));
        ComPtr<IDispatch> dictionary;
        ASSERT_EQ(Hr(S_OK), Hr(CoCreateInstance(dictionaryClass, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dictionary))));
        const std::vector<Named> members = Members();
        ASSERT_GT(members.size(), 50u);
        const int calls = bench::Full() ? 20000 : 20;
        const int rounds = bench::Rounds(3);

        std::wstring slowest;
        const bool ok = bench::Guard("GetIDsOfNames, slowest member name vs Scripting.Dictionary Count", "us", 0.5,
                                     bench::Better::Lower, [&] {
                                         bench::Measured m;
                                         HRESULT hr = S_OK;
                                         m.reference = MicrosPerLookup(dictionary.Get(), L"Count", calls, rounds, &hr);
                                         EXPECT_EQ(Hr(S_OK), Hr(hr));
                                         for (const Named& n : members) {
                                             const double t = MicrosPerLookup(n.object.Get(), n.name, calls, rounds, &hr);
                                             EXPECT_EQ(Hr(S_OK), Hr(hr)) << kelmor::test::Utf8(n.name);
                                             if (t > m.ours) {
                                                 m.ours = t;
                                                 slowest = n.name;
                                             }
                                         }
                                         return m;
                                     });
        std::printf("# slowest member name: %s, of %zu\n", kelmor::test::Utf8(slowest).c_str(), members.size());
        const bool unknownOk = bench::Guard("GetIDsOfNames, a name no member has vs Scripting.Dictionary Count", "us",
                                            0.5, bench::Better::Lower, [&] {
                                                bench::Measured m;
                                                HRESULT hr = S_OK;
                                                m.reference = MicrosPerLookup(dictionary.Get(), L"Count", calls, rounds, &hr);
                                                m.ours = MicrosPerLookup(members.front().object.Get(), L"NoSuchMemberAtAll",
                                                                         calls, rounds, &hr);
                                                EXPECT_EQ(Hr(DISP_E_UNKNOWNNAME), Hr(hr));
                                                return m;
                                            });
        EXPECT_TRUE(ok && unknownOk) << "a target was missed";
    }
    CoUninitialize();
}

}  // namespace
