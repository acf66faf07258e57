// The string buffer (bytes in the ANSI code page at an address native code fills), the timers
// and the single-instance check, the last also against a second process: this program started
// again to run only the probe case.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Module.h"
#include "StringBuffA.h"
#include "TestSupport.h"
#include "Variants.h"
#include "core/RuntimeErrors.h"
#include "nvkAlone.h"
#include "nvkBenchMark.h"
#include "nvkBenchMarkHP.h"
#include "Text.h"

namespace {

using Microsoft::WRL::ComPtr;
using namespace kelmor::test;
using kelmor::NewBstr;
using kelmor::UniqueBstr;
using kelmor::core::RuntimeErrorNumber;
using Bytes = std::vector<std::uint8_t>;

template <class Iface, class Class>
ComPtr<Iface> Make() {
    ComPtr<Iface> object;
    EXPECT_EQ(Hr(S_OK), Hr(Class::CreateInstance(IID_PPV_ARGS(&object))));
    return object;
}

class Objects : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        buffer_ = Make<_StringBuffA, kelmor::StringBuffA>();
    }
    void TearDown() override {
        buffer_.Reset();
        EXPECT_EQ(0, kelmor::Module::LockCount());  // every object gone with its last reference
        CoUninitialize();
    }

    Bytes Contents() {  // the whole buffer, through CopyBuffer
        SAFEARRAY* array = nullptr;
        EXPECT_EQ(Hr(S_OK), Hr(buffer_->CopyBuffer(&array)));
        const auto* data = static_cast<const std::uint8_t*>(array->pvData);
        Bytes bytes(data, data + array->rgsabound[0].cElements);
        SafeArrayDestroy(array);
        return bytes;
    }
    std::wstring Value() {
        BSTR text = nullptr;
        EXPECT_EQ(Hr(S_OK), Hr(buffer_->get_StringValue(0, &text)));
        return Take(text);
    }
    char* Address() {
        LONG_PTR p = 0;
        EXPECT_EQ(Hr(S_OK), Hr(buffer_->pString(&p)));
        return reinterpret_cast<char*>(p);
    }

    ComPtr<_StringBuffA> buffer_;
};

// ---------------------------------------------------------------- StringBuffA

TEST_F(Objects, StringBufferAssignmentThroughTheAnsiCodePage) {
    EXPECT_EQ(Bytes{0}, Contents()) << "a new buffer";
    EXPECT_EQ(L"", Value());
    ASSERT_EQ(1251u, GetACP()) << "the tests run with the users' code page";
    struct Row {
        std::wstring text;
        LONG length;
        Bytes bytes;
        std::wstring reads;
    } const rows[] = {
        {L"abc", 8, {'a', 'b', 'c', 0, 0, 0, 0, 0}, L"abc"},
        {L"abc", 3, {'a', 'b', 0}, L"ab"},
        {L"Привет", 0, {0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2, 0}, L"Привет"},
        {L"a\U0001F600", 3, {'a', 0, 0}, L"a"},  // the half of a pair left by the cut goes too
    };
    for (const Row& row : rows) {
        const UniqueBstr text = NewBstr(row.text);
        LONG_PTR placed = 0;
        ASSERT_EQ(Hr(S_OK), Hr(buffer_->PlaceString(text.get(), row.length, &placed))) << Utf8(row.text);
        EXPECT_EQ(Address(), reinterpret_cast<char*>(placed));
        EXPECT_EQ(row.bytes, Contents()) << Utf8(row.text);
        EXPECT_EQ(row.reads, Value());
    }
    // A character without an exact form in the code page: error 5, the buffer as it was.
    char* const before = Address();
    const UniqueBstr lacking = NewBstr(L"caf\u00E9");
    EXPECT_EQ(5, RuntimeErrorNumber(buffer_->put_StringValue(0, lacking.get())));
    EXPECT_EQ(before, Address());
    EXPECT_EQ(L"a", Value());
}

TEST_F(Objects, StringBufferAllocatedAndFilledByNativeCode) {
    NvkApiBool ok = 7;
    ASSERT_EQ(Hr(S_OK), Hr(buffer_->Allocate(16, &ok)));
    EXPECT_EQ(VARIANT_TRUE, ok);
    EXPECT_EQ(Bytes(16, 0), Contents());
    lstrcpynA(Address(), "Hello, world", 6);
    EXPECT_EQ(L"Hello", Value());
    FillMemory(Address(), 16, 'x');
    EXPECT_EQ(std::wstring(16, L'x'), Value()) << "no NUL left: the whole buffer";
    ASSERT_EQ(Hr(S_OK), Hr(buffer_->Allocate(0, &ok)));
    EXPECT_EQ(VARIANT_FALSE, ok);
    LONG length = 0;
    buffer_->GetBufferLength(&length);
    EXPECT_EQ(16, length);
}

TEST_F(Objects, CopyBufferReplacesTheDestinationArrayOrRefusesIt) {
    const UniqueBstr text = NewBstr(L"ab");
    buffer_->put_StringValue(4, text.get());
    SAFEARRAYBOUND other{9, 3};
    SAFEARRAY* array = SafeArrayCreate(VT_UI1, 1, &other);
    ASSERT_EQ(Hr(S_OK), Hr(buffer_->CopyBuffer(&array)));
    LONG lower = -1, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    EXPECT_EQ(0, lower);
    EXPECT_EQ(3, upper);
    EXPECT_EQ(0, std::memcmp("ab\0\0", array->pvData, 4));
    SafeArrayDestroy(array);

    struct Refused {
        VARTYPE type;
        USHORT features;
        bool locked;
        LONG error;
    } const refusals[] = {{VT_UI1, FADF_FIXEDSIZE, false, 10}, {VT_UI1, 0, true, 10}, {VT_I4, 0, false, 13}};
    for (const Refused& r : refusals) {
        SAFEARRAY* given = SafeArrayCreateVector(r.type, 0, 3);
        given->fFeatures |= r.features;
        if (r.locked) SafeArrayLock(given);
        array = given;
        EXPECT_EQ(r.error, RuntimeErrorNumber(buffer_->CopyBuffer(&array)));
        EXPECT_EQ(given, array);
        if (r.locked) SafeArrayUnlock(given);
        given->fFeatures &= static_cast<USHORT>(~r.features);
        SafeArrayDestroy(given);
    }
}

// ---------------------------------------------------------------- timers

// Tick counts and beeps as a case sets them.
struct FakeTicks {
    static inline DWORD now = 0;
    static inline std::vector<UINT> beeps;
    static DWORD WINAPI TickCount() { return now; }
    static BOOL WINAPI Beep(UINT type) {
        beeps.push_back(type);
        return TRUE;
    }
};

TEST_F(Objects, TickTimerAcrossTheWrapsAndItsText) {
    const auto previous = kelmor::nvkBenchMark::ReplacePlatform({&FakeTicks::TickCount, &FakeTicks::Beep});
    ComPtr<_nvkBenchMark> timer = Make<_nvkBenchMark, kelmor::nvkBenchMark>();
    auto mark = [&](DWORD ticks, HRESULT (STDMETHODCALLTYPE _nvkBenchMark::*member)()) {
        FakeTicks::now = ticks;
        (timer.Get()->*member)();
        LONG ms = 0;
        EXPECT_EQ(Hr(S_OK), Hr(timer->GetTickDifferenceMS(&ms)));
        return ms;
    };
    struct Row {
        DWORD first, last;
        LONG ms;
    } const rows[] = {
        {0x7FFFFFF0u, 0x80000010u, 32},  // from 2^31 - 1 to -2^31
        {0xFFFFFFF0u, 0x10u, 32},        // from 2^32 - 1 to 0
        {1500, 1000, -500},              // end before start
    };
    for (const Row& row : rows) {
        mark(row.first, &_nvkBenchMark::FirstMark);
        EXPECT_EQ(row.ms, mark(row.last, &_nvkBenchMark::LaskMark)) << row.first << " to " << row.last;
    }
    mark(5000, &_nvkBenchMark::FirstMark);
    EXPECT_EQ(700, mark(5700, &_nvkBenchMark::LaskMark));
    EXPECT_EQ(1000, mark(6000, &_nvkBenchMark::LaskMark)) << "a later end mark, the start mark kept";
    EXPECT_EQ(std::vector<UINT>(4, 0xFFFFFFFF), FakeTicks::beeps) << "one beep for each start mark";

    struct Text {
        LONG iterations;
        const wchar_t* text;
    } const texts[] = {{0, L"1 000 ms."}, {4, L"250 ms. / 4 (1 000 ms.)"}, {3, L"333.3333 ms. / 3 (1 000 ms.)"}};
    for (const Text& t : texts) {
        BSTR result = nullptr;
        EXPECT_EQ(Hr(S_OK), Hr(timer->toString(t.iterations, &result)));
        EXPECT_EQ(t.text, Take(result));
    }
    timer.Reset();
    kelmor::nvkBenchMark::ReplacePlatform(previous);
}

TEST_F(Objects, PerformanceCounterTimer) {
    ComPtr<_nvkBenchMarkHP> timer = Make<_nvkBenchMarkHP, kelmor::nvkBenchMarkHP>();
    double perSec = 0, perMs = 0, first = -1, later = -1, ms = -1, sec = -1;
    timer->GetTickFrequencyPerSec(&perSec);
    timer->GetTickFrequencyPerMS(&perMs);
    EXPECT_GT(perSec, 0);
    EXPECT_EQ(perSec / 1000, perMs);

    timer->FirstMark();
    timer->LaskMark();
    timer->GetTickDifference(&first);
    LARGE_INTEGER marked{}, now{};
    QueryPerformanceCounter(&marked);
    do QueryPerformanceCounter(&now);
    while (now.QuadPart == marked.QuadPart);
    timer->LaskMark();
    timer->GetTickDifference(&later);
    EXPECT_GT(later, first) << "the counter moved on before the later end mark";
    timer->GetTickDifferenceMS(&ms);
    timer->GetTickDifferenceSec(&sec);
    EXPECT_DOUBLE_EQ(later / perMs, ms);
    EXPECT_DOUBLE_EQ(later / perSec, sec);
    BSTR text = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(timer->toString(2, &text)));
    EXPECT_NE(std::wstring::npos, Take(text).find(L" ms. / 2 ("));
}

// ---------------------------------------------------------------- nvkAlone

constexpr wchar_t kProbeVariable[] = L"KELMOR_ALONE_PROBE";

std::wstring UniqueName(const wchar_t* stem) {
    GUID g{};
    CoCreateGuid(&g);
    return stem + kelmor::GuidText(g);
}

// IsAlone's answer; `error` receives the runtime error number (0 for none).
bool Alone(_nvkAlone* object, const std::wstring& name, LONG* error = nullptr) {
    const UniqueBstr text = NewBstr(name);
    VARIANT_BOOL alone = 7;
    const HRESULT hr = object->IsAlone(text.get(), &alone);
    if (error) *error = RuntimeErrorNumber(static_cast<std::uint32_t>(hr));
    else EXPECT_EQ(Hr(S_OK), Hr(hr));
    return alone == VARIANT_TRUE;
}

// Runs the probe in a second process, which passes when IsAlone answers `alone` there; returns
// once that process has ended.
void ExpectInAnotherProcess(const std::wstring& name, bool alone) {
    SetEnvironmentVariableW(kProbeVariable, ((alone ? L"1|" : L"0|") + name).c_str());
    std::wstring self(MAX_PATH * 4, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    EXPECT_EQ(0, RunAndWait(L"\"" + self + L"\" --gtest_filter=AloneProbe.*")) << "alone: " << alone;
    SetEnvironmentVariableW(kProbeVariable, nullptr);
}

TEST_F(Objects, IsAloneClaimsANameUntilTheObjectGoes) {
    const std::wstring name = UniqueName(L"KelmorAloneTest");
    ComPtr<_nvkAlone> first = Make<_nvkAlone, kelmor::nvkAlone>();
    EXPECT_TRUE(Alone(first.Get(), name));
    EXPECT_TRUE(Alone(first.Get(), name)) << "asked again: the object's own claim is not another's";
    ExpectInAnotherProcess(name, false);

    ComPtr<_nvkAlone> second = Make<_nvkAlone, kelmor::nvkAlone>();
    EXPECT_FALSE(Alone(second.Get(), name));
    std::wstring upper = name;
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    EXPECT_TRUE(Alone(second.Get(), upper)) << "letter case makes another name";
    first.Reset();
    ExpectInAnotherProcess(name, true);

    // A claim this caller may not open (a mutex whose empty access list admits nobody) is a claim.
    const std::wstring guarded = UniqueName(L"KelmorAloneGuarded");
    SECURITY_DESCRIPTOR sd{};
    ACL empty{};
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    InitializeAcl(&empty, sizeof empty, ACL_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, &empty, FALSE);
    SECURITY_ATTRIBUTES sa{sizeof sa, &sd, FALSE};
    const kelmor::UniqueHandle held(CreateMutexW(&sa, FALSE, guarded.c_str()));
    EXPECT_FALSE(Alone(second.Get(), guarded));

    // Names that cannot make a claim: error 5, not a True that holds nothing.
    for (const std::wstring& refused : {std::wstring(), L"日本" + name, std::wstring(L"a\0b", 3), L"NoSuch\\" + name}) {
        LONG error = 0;
        EXPECT_FALSE(Alone(second.Get(), refused, &error));
        EXPECT_EQ(5, error) << Utf8(refused);
    }
}

// The second process of the case above.
TEST(AloneProbe, AnswersAsTheParentExpects) {
    wchar_t probe[512] = {};
    const DWORD n = GetEnvironmentVariableW(kProbeVariable, probe, 512);
    if (n < 3 || n >= 512) GTEST_SKIP() << "only run by the parent case";
    ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
    {
        ComPtr<_nvkAlone> object = Make<_nvkAlone, kelmor::nvkAlone>();
        EXPECT_EQ(probe[0] == L'1', Alone(object.Get(), probe + 2));
    }
    CoUninitialize();
}

}  // namespace
