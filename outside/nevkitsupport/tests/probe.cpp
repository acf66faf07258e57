// Locale check of the support library, run once per locale: `nevkitsupport_probe 1252` under
// a Western locale, `nevkitsupport_probe 1251` under a Russian one. The program has no version
// resource on purpose (its title is then its file name).
//
// Checks, printing each result and exiting with 1 when one is wrong:
// - the process runs with the expected ANSI code page;
// - 8-bit text is read in that code page;
// - nkOemToAnsi refuses a text the code page cannot hold (never a best-fit look-alike) and
//   converts one it can;
// - the title falls back to the file name.
#include "NevkitSupport0100.h"

#include <cstdio>
#include <cwchar>
#include <string>

#include "Variants.h"

namespace {

int failures = 0;

using kelmor::test::Utf8;

// Compares one status and text with what is expected and prints both.
void Check(const char* what, LONG status, BSTR text, LONG expectedStatus, const std::wstring& expectedText) {
    const std::wstring actual = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    const bool emptyOnFailure = status == 0 || text == nullptr;
    const bool ok = status == expectedStatus && actual == expectedText && emptyOnFailure;
    if (!ok) ++failures;
    std::printf("%s %s: status 0x%08lX text \"%s\" (expected 0x%08lX \"%s\")\n", ok ? "ok  " : "FAIL", what,
                static_cast<unsigned long>(status), Utf8(actual).c_str(),
                static_cast<unsigned long>(expectedStatus), Utf8(expectedText).c_str());
    SysFreeString(text);
}

void CheckOemToAnsi(const char* what, const wchar_t* input, LONG expectedStatus,
                    const std::wstring& expected) {
    BSTR in = SysAllocString(input);
    BSTR out = nullptr;
    const LONG status = nkOemToAnsi(in, &out);
    SysFreeString(in);
    Check(what, status, out, expectedStatus, expected);
}

constexpr LONG kBad = static_cast<LONG>(0x800A0005u);
const wchar_t* const kPrivet = L"\u041F\u0440\u0438\u0432\u0435\u0442";  // "Привет"

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::printf("usage: nevkitsupport_probe 1251|1252\n");
        return 2;
    }
    const UINT expectedCodePage = static_cast<UINT>(std::wcstoul(argv[1], nullptr, 10));
    const bool russian = expectedCodePage == 1251;
    if (GetACP() != expectedCodePage) {
        std::printf("FAIL the process runs with ANSI code page %u, not %u (is LC_ALL set for Wine?)\n",
                    GetACP(), expectedCodePage);
        return 1;
    }
    std::printf("ok   ANSI code page %u, OEM code page %u\n", GetACP(), GetOEMCP());

    BSTR text = nullptr;
    LONG status = nkGetStringFromPointerA("\xCF\xF0\xE8\xE2\xE5\xF2", &text);
    Check("8-bit text in the ANSI code page", status, text, 0,
          russian ? kPrivet : L"\u00CF\u00F0\u00E8\u00E2\u00E5\u00F2");

    // "ЏаЁўҐв" is how 1251 reads the OEM (866) bytes of "Привет".
    const wchar_t* const oemAsAnsi = L"\u040F\u0430\u0401\u045E\u0490\u0432";
    CheckOemToAnsi("OEM text read as ANSI", oemAsAnsi, russian ? 0 : kBad, russian ? kPrivet : L"");
    // Taken as OEM bytes, the letters of "Привет" are box-drawing characters that 1251 has no
    // place for; 1252 cannot hold the letters themselves.
    CheckOemToAnsi("text whose OEM reading has no ANSI form", kPrivet, kBad, L"");

    status = nkGetThunderMainTitle(&text);
    Check("title without a version resource", status, text, 0, L"nevkitsupport_probe");

    std::printf("%s\n", failures == 0 ? "all checks passed" : "some checks failed");
    return failures == 0 ? 0 : 1;
}
