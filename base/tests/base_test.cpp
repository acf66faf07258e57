// The base's text conversion to ANSI code pages and its error information.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "AnsiText.h"
#include "ErrorInfo.h"
#include "LongPath.h"
#include "TestSupport.h"

namespace {

using kelmor::test::Hr;
using Microsoft::WRL::ComPtr;

constexpr DWORD kOk = ERROR_SUCCESS;
constexpr DWORD kNoTranslation = ERROR_NO_UNICODE_TRANSLATION;

DWORD Convert(const std::wstring& text, std::string& out, UINT codePage) {
    out = "stale";
    return kelmor::ToAnsi(text.data(), text.size(), out, codePage);
}

// The code page is passed in: a Wine process cannot be given UTF-8 (or any page other than
// its locale's) as its ANSI code page, so that is how pages other than the running one,
// UTF-8 above all, are reached. Wine also accepts the best-fit flag and a used-default
// argument with UTF-8, which Windows refuses, so under Wine these cases check the bytes only.
struct Exact {
    UINT codePage;
    std::wstring text;
    std::string bytes;
};

TEST(ToAnsi, ExactTextsBecomeThePagesBytes) {
    const std::vector<Exact> cases = {
        {1251, L"Привет, Ёж!", "\xCF\xF0\xE8\xE2\xE5\xF2, \xA8\xE6!"},
        {1251, L"№ 5 — «да»", "\xB9 5 \x97 \xAB\xE4\xE0\xBB"},
        {1252, L"café", "caf\xE9"},
        {1252, L"€ 5 ‰", "\x80 5 \x89"},
        // A real question mark is the text, not a default character standing in for another.
        {1252, L"why?", "why?"},
        {932, L"日本", "\x93\xFA\x96\x7B"},
        {932, L"アｱ", "\x83\x41\xB1"},
        {65001, L"é", "\xC3\xA9"},
        {65001, L"Ё日€", "\xD0\x81\xE6\x97\xA5\xE2\x82\xAC"},
        {65001, L"\xD83D\xDE00", "\xF0\x9F\x98\x80"},  // a surrogate pair: U+1F600
        {65001, L"Ā∞Ä", "\xC4\x80\xE2\x88\x9E\xC3\x84"},
        // A zero is a character like any other here; callers that cannot pass one refuse it.
        {1252, std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Exact& c : cases) {
        std::string out;
        EXPECT_EQ(kOk, Convert(c.text, out, c.codePage)) << c.codePage;
        EXPECT_EQ(c.bytes, out) << c.codePage;
    }
}

struct Refused {
    UINT codePage;
    std::wstring text;
};

TEST(ToAnsi, ACharacterWithoutExactBytesIsRefusedNeverReplaced) {
    const std::vector<Refused> cases = {
        {1252, L"Привет"},       {1252, L"Ā"},      // best fit: "A"
        {1252, L"x∞"},                              // best fit: "8"
        {1252, L"\xD83D\xDE00"}, {1251, L"Äpfel"},  // best fit: "A"
        {1251, L"café"},         {932, L"한국"},   {932, L"\xD83D\xDE00"},
    };
    for (const Refused& c : cases) {
        std::string out;
        EXPECT_EQ(kNoTranslation, Convert(c.text, out, c.codePage)) << c.codePage;
        EXPECT_EQ("", out) << c.codePage;
    }
}

TEST(ToAnsi, AnUnpairedSurrogateIsRefusedInEveryPage) {
    const std::vector<std::wstring> texts = {
        L"a\xD800"
        L"b",             // high half alone
        L"a\xDC00",       // low half alone
        L"ab\xD83D",      // high half at the end
        L"\xDE00\xD83D",  // both halves, wrong order
    };
    for (UINT codePage :
         {1251u, 1252u, 932u, 65001u, static_cast<UINT>(CP_UTF7), static_cast<UINT>(CP_ACP)}) {
        for (const std::wstring& text : texts) {
            std::string out;
            EXPECT_EQ(kNoTranslation, Convert(text, out, codePage)) << codePage;
            EXPECT_EQ("", out) << codePage;
        }
    }
}

TEST(ToAnsi, TheDefaultIsTheSystemsAnsiPage) {
    const UINT acp = GetACP();
    for (const std::wstring text : {L"Привет", L"café", L"日本", L"plain"}) {
        std::string system, named;
        const DWORD status = Convert(text, system, CP_ACP);
        EXPECT_EQ(status, Convert(text, named, acp));
        EXPECT_EQ(named, system);
    }
    std::string out = "stale";
    EXPECT_EQ(kOk, kelmor::ToAnsi(L"", 0, out));
    EXPECT_EQ("", out);
}

TEST(ToAnsi, AnUnknownCodePageIsRefused) {
    std::string out;
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), Convert(L"abc", out, 12345));
    EXPECT_EQ("", out);
}

// Pages that accept no best-fit flag: what they hold crosses, a look-alike never does. Wine
// knows only UTF-7 and the symbol page of these; the others run where the system has them.
TEST(ToAnsi, PagesWithoutTheBestFitFlagAreStillExact) {
    const std::vector<Exact> exact = {
        {54936, L"日本€", "\xC8\xD5\xB1\xBE\xA2\xE3"},
        {54936, L"\xD83D\xDE00", "\x95\x32\x82\x36"},
        {CP_UTF7, L"a+b", "a+-b"},
        {CP_UTF7, L"é", "+AOk-"},
        {CP_SYMBOL, L"\xF041\xF062", "Ab"},
    };
    for (const Exact& c : exact) {
        if (c.codePage != CP_SYMBOL && !IsValidCodePage(c.codePage)) continue;
        std::string out;
        EXPECT_EQ(kOk, Convert(c.text, out, c.codePage)) << c.codePage;
        EXPECT_EQ(c.bytes, out) << c.codePage;
    }
    std::string symbol;
    EXPECT_EQ(kNoTranslation, Convert(L"Ā", symbol, CP_SYMBOL));
    EXPECT_EQ("", symbol);
    for (UINT codePage : {50220u, 50221u, 50222u}) {
        if (!IsValidCodePage(codePage)) continue;
        std::string out;
        EXPECT_EQ(kOk, Convert(L"abc", out, codePage)) << codePage;
        EXPECT_EQ("abc", out) << codePage;
        EXPECT_EQ(kNoTranslation, Convert(L"Ā", out, codePage)) << codePage;
        EXPECT_EQ("", out) << codePage;
    }
}

TEST(NameToAnsi, AnEmbeddedZeroIsRefusedAndNullIsTheEmptyName) {
    std::string out = "stale";
    EXPECT_EQ(kOk, kelmor::NameToAnsi(nullptr, out));
    EXPECT_EQ("", out);
    BSTR cut = SysAllocStringLen(L"Run\0x", 5);
    out = "stale";
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), kelmor::NameToAnsi(cut, out));
    EXPECT_EQ("", out);
    SysFreeString(cut);
}

// The error information the thread holds: source and description, or "<none>".
struct Pending {
    std::wstring source;
    std::wstring description;
};
Pending TakeErrorInfo() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK || !info) return {L"<none>", L"<none>"};
    BSTR source = nullptr;
    BSTR description = nullptr;
    info->GetSource(&source);
    info->GetDescription(&description);
    Pending p{source ? source : L"", description ? description : L""};
    SysFreeString(source);
    SysFreeString(description);
    return p;
}

class SupportStatus : public ::testing::Test {
protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override {
        SetErrorInfo(0, nullptr);
        CoUninitialize();
    }
    // Leaves stale error information on the thread, as an earlier failed call would.
    static void RaiseOld() { kelmor::RaiseError(5, L"Old", L"Old failure"); }
};

TEST_F(SupportStatus, AFailureReportsItselfNeverTheStaleError) {
    for (HRESULT status : {E_ACCESSDENIED, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), E_OUTOFMEMORY}) {
        RaiseOld();
        EXPECT_EQ(Hr(status), Hr(kelmor::RaiseSupportStatus(status, L"New")));
        const Pending p = TakeErrorInfo();
        EXPECT_EQ(L"New", p.source) << Hr(status);
        EXPECT_EQ(kelmor::SystemMessageText(status), p.description) << Hr(status);
        EXPECT_NE(L"Old failure", p.description) << Hr(status);
        EXPECT_NE(L"", p.description) << Hr(status);
    }
}

TEST_F(SupportStatus, ARuntimeErrorStatusGetsItsStandardText) {
    RaiseOld();
    EXPECT_EQ(Hr(static_cast<HRESULT>(0x800A0005)),
              Hr(kelmor::RaiseSupportStatus(static_cast<LONG>(0x800A0005), L"New")));
    const Pending p = TakeErrorInfo();
    EXPECT_EQ(L"New", p.source);
    EXPECT_EQ(L"Invalid procedure call or argument", p.description);
}

TEST_F(SupportStatus, ASuccessRaisesNothing) {
    EXPECT_EQ(Hr(S_OK), Hr(kelmor::RaiseSupportStatus(0, L"New")));
    EXPECT_EQ(Hr(S_OK), Hr(kelmor::RaiseSupportStatus(1, L"New")));
}

// --- paths for the wide file functions ------------------------------------------------------

TEST(LongPath, FullPathsGetTheExtendedPrefixOthersStayAsTheyAre) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\x\\y", L"\\\\?\\C:\\x\\y"},
        {L"z:\\", L"\\\\?\\z:\\"},
        {L"\\\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\x"},
        {L"\\\\?\\C:\\x", L"\\\\?\\C:\\x"},
        {L"\\\\.\\pipe\\x", L"\\\\.\\pipe\\x"},
        {L"\\\\?\\UNC\\s\\h", L"\\\\?\\UNC\\s\\h"},
        {L"relative\\x", L"relative\\x"},
        {L"C:relative", L"C:relative"},
        {L"\\rooted", L"\\rooted"},
        {L"", L""},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(expected, kelmor::ExtendedLengthForm(path)) << std::string(path.begin(), path.end());
}

TEST(LongPath, OnlyLongPathsChangeAndTheyAreNormalisedFirst) {
    const std::wstring folder = L"C:\\" + std::wstring(250, L'a');
    // Short ones go as they are, whatever they hold.
    for (const std::wstring& path : {std::wstring(L"C:\\x\\..\\y"), std::wstring(L"rel/x"),
                                     std::wstring(kelmor::kLongPathFrom - 1, L'b')})
        EXPECT_EQ(path, kelmor::ForWideFileApi(path));
    EXPECT_EQ(L"\\\\?\\" + folder + L"\\f.txt", kelmor::ForWideFileApi(folder + L"\\f.txt"));
    // The prefix turns the system's normalising off, so it is done before.
    EXPECT_EQ(L"\\\\?\\" + folder + L"\\f.txt", kelmor::ForWideFileApi(folder + L"/sub/..\\.\\f.txt"));
    const std::wstring unc = L"\\\\server\\share\\" + std::wstring(250, L'c');
    EXPECT_EQ(L"\\\\?\\UNC\\server\\share\\" + std::wstring(250, L'c'), kelmor::ForWideFileApi(unc));
    const std::wstring prefixed = L"\\\\?\\" + folder + L"\\..\\kept";
    EXPECT_EQ(prefixed, kelmor::ForWideFileApi(prefixed)) << "already the system's own form";
    // Relative: made full against the current folder.
    wchar_t current[MAX_PATH];
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, current);
    ASSERT_GT(n, 0u);
    std::wstring base(current, n);
    if (base.back() != L'\\') base += L'\\';
    const std::wstring relative(260, L'r');
    EXPECT_EQ(kelmor::ExtendedLengthForm(base + relative), kelmor::ForWideFileApi(relative));
    // A NUL inside is left for the caller's own refusal.
    const std::wstring withNul = folder + std::wstring(L"\0x", 2);
    EXPECT_EQ(withNul, kelmor::ForWideFileApi(withNul));
}

}  // namespace
