// The error display of nvkMain (ErrorDisplay, ErrorDisplayAPI, ErrorDisplayWinMM): the report to
// the thread's event logger (a scripted one, and the outside logger's file), the message box as
// a user sees it (found, read and answered by a second thread), the style and title the box
// gets, and the failures that are raised instead of shown.
#include <windows.h>
#include <mmsystem.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppServicesTestSupport.h"
#include "CEventLoggerStub.h"
#include "ErrObject.h"
#include "Global.h"
#include "MessageBoxDriver.h"
#include "NevkitSupport0100.h"
#include "Owners.h"
#include "modErrorDisplay.h"
#include "nvkMain.h"

namespace {

using Microsoft::WRL::ComPtr;
using namespace kelmor::test;
using kelmor::ErrObject;
using kelmor::Globals;
using kelmor::nvkMain;
using kelmor::UniqueVariant;
namespace display = kelmor::modErrorDisplay;

constexpr LONG kHelpButton = 0x4000;

ComPtr<_nvkMain> NewMain() {
    ComPtr<_nvkMain> m;
    EXPECT_EQ(Hr(S_OK), Hr(nvkMain::CreateInstance(IID_PPV_ARGS(&m))));
    return m;
}

ComPtr<_ErrObject> NewError(LONG number, const wchar_t* description, const wchar_t* source,
                            const wchar_t* helpFile = L"", LONG helpContext = 0) {
    ComPtr<_ErrObject> e;
    kelmor::Adopt(e, static_cast<_ErrObject*>(ErrObject::New()));
    e->put_Number(number);
    BSTR text = SysAllocString(description);
    e->put_Description(text);
    SysFreeString(text);
    text = SysAllocString(source);
    e->put_Source(text);
    SysFreeString(text);
    text = SysAllocString(helpFile);
    e->put_HelpFile(text);
    SysFreeString(text);
    e->put_HelpContext(helpContext);
    return e;
}

// The system's message for a Win32 code without its closing line break; empty when none.
std::wstring SystemText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring out = n ? std::wstring(text, n) : L"";
    if (text) LocalFree(text);
    while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r')) out.pop_back();
    return out;
}

// The multimedia library's text for a wave error code; empty when it has none.
std::wstring WaveText(UINT code) {
    wchar_t text[MAXERRORLENGTH] = {};
    return waveOutGetErrorTextW(code, text, MAXERRORLENGTH) == MMSYSERR_NOERROR ? std::wstring(text) : L"";
}

// The running program's file name without folder and extension: its title when it has no
// version resource, as this test program has none.
std::wstring ProgramName() {
    wchar_t full[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, full, MAX_PATH);
    std::wstring name = full;
    name = name.substr(name.find_last_of(L'\\') + 1);
    return name.substr(0, name.find_last_of(L'.'));
}

// A report line as the outside logger writes it: control characters and backslashes escaped.
std::string Escaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\\')
            out += L"\\\\";
        else if (c == L'\r')
            out += L"\\r";
        else if (c == L'\n')
            out += L"\\n";
        else if (c == L'\t')
            out += L"\\t";
        else
            out += c;
    }
    return Utf8(out);
}

// Owns the BSTR and truth arguments of one call.
struct Args {
    explicit Args(const wchar_t* callerText = nullptr, bool silent = true, const wchar_t* title = L"")
        : title(SysAllocString(title)),
          text(callerText ? SysAllocString(callerText) : nullptr),
          silent(silent ? VARIANT_TRUE : VARIANT_FALSE) {}
    ~Args() {
        SysFreeString(title);
        SysFreeString(text);
    }
    Args(const Args&) = delete;
    Args& operator=(const Args&) = delete;
    BSTR title;
    BSTR text;
    VARIANT_BOOL silent;
};

// A scripted outside logger attached to the thread's stub for the life of the test.
class Attached {
public:
    explicit Attached(FakeLogger& logger) { Globals().logger->SetInnerLogger(&logger); }
    ~Attached() { Globals().logger->SetInnerLogger(nullptr); }
    Attached(const Attached&) = delete;
    Attached& operator=(const Attached&) = delete;
};

// The last call the scripted logger saw.
std::wstring LastCall(const FakeLogger& logger) {
    return logger.calls.empty() ? L"<none>" : logger.calls.back();
}

class ErrorDisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        main = NewMain();
        ASSERT_TRUE(main);
    }
    void TearDown() override {
        main.Reset();
        CoUninitialize();
    }
    ComPtr<_nvkMain> main;
};

// ---------------------------------------------------------------- silent calls

TEST_F(ErrorDisplayTest, SilentCallsReportToTheLoggerAndReturnOK) {
    FakeLogger logger;
    Attached attached(logger);
    VbMsgBoxResult result = vbNo;

    // An error object with a description of two lines, the caller's text in front.
    ComPtr<_ErrObject> e = NewError(53, L"File not found\r\nin the folder", L"Kelmor0200.nvkFileStreams");
    {
        Args a(L"Could not read the streams");
        ASSERT_EQ(Hr(S_OK),
                  Hr(main->ErrorDisplay(e.GetAddressOf(), vbCritical, a.title, &a.text, &a.silent, &result)));
        EXPECT_EQ(vbOK, result);
        EXPECT_EQ(
            L"ReportEvent(Could not read the streams\r\n\r\nError number: 53 (0x00000035)\r\n"
            L"Description:  File not found in the folder\r\n\r\nSource:       Kelmor0200.nvkFileStreams,"
            L"2,Runtime Error,53)",
            LastCall(logger));
        // The logger is asked for afresh: it is told the current user first.
        ASSERT_GE(logger.calls.size(), 2u);
        EXPECT_EQ(0u, logger.calls[logger.calls.size() - 2].find(L"UserName=("));
        // The caller's text is read, not written back.
        EXPECT_EQ(L"Could not read the streams", FromBstr(a.text));
    }
    // Nothing known and no caller's text; the optional pointers left out (null).
    {
        ComPtr<_ErrObject> empty = NewError(0, L"", L"");
        VARIANT_BOOL silent = VARIANT_TRUE;
        ASSERT_EQ(Hr(S_OK), Hr(main->ErrorDisplay(empty.GetAddressOf(), vbCritical, nullptr, nullptr, &silent,
                                                  &result)));
        EXPECT_EQ(vbOK, result);
        EXPECT_EQ(L"ReportEvent(Unknown run-time error.,2,Runtime Error,0)", LastCall(logger));
    }
    // A Win32 code: the system's text keeps its own line breaks.
    {
        Args a;
        ASSERT_EQ(Hr(S_OK), Hr(main->ErrorDisplayAPI(5, vbCritical, a.title, &a.text, &a.silent, &result)));
        EXPECT_EQ(vbOK, result);
        EXPECT_EQ(L"ReportEvent(Win32 API error: 5 (0x00000005)\r\nDescription: " + SystemText(5) +
                      L",2,Win32 API Error,5)",
                  LastCall(logger));
    }
    // A multimedia code.
    {
        Args a(L"Sound");
        ASSERT_FALSE(WaveText(MMSYSERR_BADDEVICEID).empty());
        ASSERT_EQ(Hr(S_OK), Hr(main->ErrorDisplayWinMM(MMSYSERR_BADDEVICEID, vbCritical, a.title, &a.text,
                                                       &a.silent, &result)));
        EXPECT_EQ(vbOK, result);
        EXPECT_EQ(L"ReportEvent(Sound\r\n\r\nWinMM.DLL error: 2 (0x00000002)\r\nDescription: " +
                      WaveText(MMSYSERR_BADDEVICEID) + L",2,WinMM.DLL Error,2)",
                  LastCall(logger));
    }
}

TEST_F(ErrorDisplayTest, CodesWithoutSystemTextShowOnlyLabelAndNumber) {
    FakeLogger logger;
    Attached attached(logger);
    VbMsgBoxResult result = vbNo;
    constexpr LONG kNoText = 0x0DEADBEE;
    ASSERT_EQ(L"", SystemText(kNoText)) << "the system has a text for the code";
    ASSERT_EQ(L"", WaveText(12345)) << "the multimedia library has a text for the code";
    Args a;
    ASSERT_EQ(Hr(S_OK), Hr(main->ErrorDisplayAPI(kNoText, vbCritical, a.title, &a.text, &a.silent, &result)));
    EXPECT_EQ(L"ReportEvent(Win32 API error: 233495534 (0x0DEADBEE),2,Win32 API Error,233495534)",
              LastCall(logger));
    Args b(L"Caller");
    ASSERT_EQ(Hr(S_OK), Hr(main->ErrorDisplayWinMM(12345, vbCritical, b.title, &b.text, &b.silent, &result)));
    EXPECT_EQ(L"ReportEvent(Caller\r\n\r\nWinMM.DLL error: 12345 (0x00003039),2,WinMM.DLL Error,12345)",
              LastCall(logger));
    EXPECT_EQ(vbOK, result);
}

TEST_F(ErrorDisplayTest, ReportsReachTheOutsideLoggersFile) {
    NvkApiBool attached = VARIANT_FALSE;
    BSTR app = SysAllocString(L"Показ ошибок");
    ASSERT_EQ(Hr(S_OK), Hr(main->InitEventLoggerNonVB(app, 2, 0, 7, &attached)));
    SysFreeString(app);
    ASSERT_EQ(VARIANT_TRUE, attached);

    struct Case {
        const char* what;
        std::wstring category;
        LONG id;
        std::wstring details;  // the message after the caller's text
    };
    const Case cases[] = {
        {"ErrorDisplayAPI", L"Win32 API Error", 2,
         L"Win32 API error: 2 (0x00000002)\r\nDescription: " + SystemText(2)},
        {"ErrorDisplayWinMM", L"WinMM.DLL Error", 2,
         L"WinMM.DLL error: 2 (0x00000002)\r\nDescription: " + WaveText(MMSYSERR_BADDEVICEID)},
        {"ErrorDisplay", L"Runtime Error", 9,
         L"Error number: 9 (0x00000009)\r\nDescription:  Subscript out of range\r\n\r\nSource:       Test"},
    };
    for (const Case& c : cases) {
        const std::string token = UniqueToken(c.what);
        const std::wstring callerText(token.begin(), token.end());
        Args a(callerText.c_str());
        VbMsgBoxResult result = vbNo;
        HRESULT hr = E_FAIL;
        if (c.category == L"Win32 API Error") {
            hr = main->ErrorDisplayAPI(2, vbCritical, a.title, &a.text, &a.silent, &result);
        } else if (c.category == L"WinMM.DLL Error") {
            hr = main->ErrorDisplayWinMM(2, vbCritical, a.title, &a.text, &a.silent, &result);
        } else {
            ComPtr<_ErrObject> e = NewError(9, L"Subscript out of range", L"Test");
            hr = main->ErrorDisplay(e.GetAddressOf(), vbCritical, a.title, &a.text, &a.silent, &result);
        }
        ASSERT_EQ(Hr(S_OK), Hr(hr)) << c.what;
        EXPECT_EQ(vbOK, result) << c.what;
        const std::vector<std::string> lines = LogLinesWith(UserLogPath(), token);
        ASSERT_EQ(1u, lines.size()) << c.what << " in " << Utf8(UserLogPath());
        const std::vector<std::string> f = Fields(lines[0]);
        ASSERT_EQ(11u, f.size()) << c.what;
        EXPECT_EQ("2", f[1]) << c.what << ": event type";
        EXPECT_EQ(Utf8(c.category), f[2]) << c.what << ": category";
        EXPECT_EQ(std::to_string(c.id), f[3]) << c.what << ": event id";
        EXPECT_EQ(Utf8(L"Показ ошибок"), f[4]) << c.what << ": source";
        EXPECT_EQ(Escaped(callerText + L"\r\n\r\n" + c.details), f[10]) << c.what << ": message";
    }
    VARIANT ignored;
    main->DisposeEventLogger(&ignored);
}

TEST_F(ErrorDisplayTest, WithoutAnOutsideLoggerTheReportIsDropped) {
    Args a(L"nobody listens");
    VbMsgBoxResult result = vbNo;
    EXPECT_EQ(Hr(S_OK), Hr(main->ErrorDisplayAPI(2, vbCritical, a.title, &a.text, &a.silent, &result)));
    EXPECT_EQ(vbOK, result);
}

// ---------------------------------------------------------------- style

TEST_F(ErrorDisplayTest, HelpFileSetsTheHelpButtonOnTheStylePassed) {
    BSTR title = SysAllocString(L"Title");
    struct Case {
        LONG style;
        const wchar_t* helpFile;
        LONG expected;
    };
    const Case cases[] = {
        {vbCritical, L"C:\\Help\\Tessel.hlp", vbCritical + kHelpButton},
        {vbYesNo | vbQuestion | vbDefaultButton2 | vbSystemModal, L"Tessel.chm",
         (vbYesNo | vbQuestion | vbDefaultButton2 | vbSystemModal) + kHelpButton},
        {vbCritical, L"", vbCritical},
        {vbOKOnly, L"", vbOKOnly},
        // A Help button asked for already stays one flag.
        {vbCritical | kHelpButton, L"x.hlp", vbCritical | kHelpButton},
    };
    for (const Case& c : cases) {
        ComPtr<_ErrObject> e = NewError(5, L"d", L"s", c.helpFile, 77);
        display::Display d;
        ASSERT_EQ(Hr(S_OK), Hr(display::PrepareErrorObject(e.Get(), c.style, title, nullptr, d)));
        EXPECT_EQ(c.expected, d.style)
            << "style " << c.style << " with help file '" << Utf8(c.helpFile) << "'";
        EXPECT_EQ(std::wstring(c.helpFile), d.helpFile);
        EXPECT_EQ(*c.helpFile ? 77 : 0, d.helpContext) << "the context goes to the box only with a help file";
    }
    // The code variants show no help.
    display::Display d;
    ASSERT_EQ(Hr(S_OK), Hr(display::PrepareErrorCode(kelmor::core::kWin32ApiError, nkGetAPIErrorDescription,
                                                     5, vbYesNo, title, nullptr, d)));
    EXPECT_EQ(vbYesNo, d.style);
    EXPECT_EQ(L"", d.helpFile);
    SysFreeString(title);
}

// ---------------------------------------------------------------- the box shown

TEST_F(ErrorDisplayTest, ShownBoxCarriesMessageAndTitleAndReturnsThePressedButton) {
    FakeLogger logger;
    Attached attached(logger);

    // Through IDispatch with every optional argument left out: style 16, the program's title,
    // not silent.
    {
        MessageBoxDriver driver(IDOK);
        Invoked call;
        CallByName(main.Get(), L"ErrorDisplayAPI", DISPATCH_METHOD, {LongValue(5)}, call);
        const SeenBox& seen = driver.Finish();
        ASSERT_EQ(Hr(S_OK), Hr(call.hr));
        ASSERT_TRUE(seen.found) << "no message box";
        EXPECT_EQ(ProgramName(), seen.caption);
        const std::wstring message = L"Win32 API error: 5 (0x00000005)\r\nDescription: " + SystemText(5);
        EXPECT_EQ(message, seen.text);
        EXPECT_EQ(std::vector<int>{IDOK}, seen.buttons) << "style 16: OK only, no Help button";
        EXPECT_TRUE(seen.closed);
        EXPECT_EQ(VT_I4, V_VT(&call.result));
        EXPECT_EQ(vbOK, V_I4(&call.result));
        // The report is made also when the box is shown.
        EXPECT_EQ(L"ReportEvent(" + message + L",2,Win32 API Error,5)", LastCall(logger));
    }
    // The caller's style and title; an error object naming a help file gets the Help button.
    {
        MessageBoxDriver driver(IDNO);
        ComPtr<_ErrObject> e =
            NewError(75, L"Path/File access error", L"Kelmor0200.nvkRegistry", L"C:\\Help\\Tessel.hlp", 1200);
        Args a(L"Удалить поток не удалось.", false, L"Удаление");
        VbMsgBoxResult result = vbOK;
        const HRESULT hr =
            main->ErrorDisplay(e.GetAddressOf(), static_cast<VbMsgBoxStyle>(vbYesNo | vbExclamation), a.title,
                               &a.text, &a.silent, &result);
        const SeenBox& seen = driver.Finish();
        ASSERT_EQ(Hr(S_OK), Hr(hr));
        ASSERT_TRUE(seen.found) << "no message box";
        EXPECT_EQ(L"Удаление", seen.caption);
        EXPECT_EQ(
            L"Удалить поток не удалось.\r\n\r\nError number: 75 (0x0000004B)\r\n"
            L"Description:  Path/File access error\r\n\r\nSource:       Kelmor0200.nvkRegistry\r\n"
            L"Help file:    C:\\Help\\Tessel.hlp\r\nHelp context: 1200 (0x000004B0)",
            seen.text);
        EXPECT_EQ((std::vector<int>{IDYES, IDNO, IDHELP}), seen.buttons);
        EXPECT_EQ(vbNo, result);
    }
    // A multimedia error shown: Retry / Cancel, Retry pressed.
    {
        MessageBoxDriver driver(IDRETRY);
        Args a(nullptr, false, L"Звук");
        VbMsgBoxResult result = vbOK;
        const HRESULT hr = main->ErrorDisplayWinMM(MMSYSERR_BADDEVICEID, vbRetryCancel, a.title, &a.text,
                                                   &a.silent, &result);
        const SeenBox& seen = driver.Finish();
        ASSERT_EQ(Hr(S_OK), Hr(hr));
        ASSERT_TRUE(seen.found) << "no message box";
        EXPECT_EQ(L"WinMM.DLL error: 2 (0x00000002)\r\nDescription: " + WaveText(MMSYSERR_BADDEVICEID),
                  seen.text);
        EXPECT_EQ((std::vector<int>{IDCANCEL, IDRETRY}), seen.buttons);
        EXPECT_EQ(vbRetry, result);
    }
}

TEST_F(ErrorDisplayTest, ShowsTheErrorOfAFailedLibraryCall) {
    // The error object of the failed call, built as the project builds one from a failed HRESULT
    // and the error information the callee left.
    ComPtr<_CommandLineParser> parser;
    ASSERT_EQ(Hr(S_OK), Hr(main->CommandLine(&parser)));
    BSTR item = nullptr;
    const HRESULT failed = parser->get_Item(-2, &item);
    ASSERT_EQ(Hr(static_cast<HRESULT>(0x800A0009)), Hr(failed));
    ComPtr<_ErrObject> e;
    kelmor::Adopt(e, static_cast<_ErrObject*>(ErrObject::FromFailure(failed)));
    ASSERT_TRUE(e);

    MessageBoxDriver driver(IDOK);
    Args a(L"Bad argument", false, L"Nevkit - Tessel");
    VbMsgBoxResult result = vbNo;
    const HRESULT hr = main->ErrorDisplay(e.GetAddressOf(), vbCritical, a.title, &a.text, &a.silent, &result);
    const SeenBox& seen = driver.Finish();
    ASSERT_EQ(Hr(S_OK), Hr(hr));
    ASSERT_TRUE(seen.found) << "no message box";
    EXPECT_EQ(L"Nevkit - Tessel", seen.caption);
    EXPECT_EQ(
        L"Bad argument\r\n\r\nError number: 9 (0x00000009)\r\nDescription:  Subscript out of range\r\n\r\n"
        L"Source:       Kelmor0200.CommandLineParser",
        seen.text);
    EXPECT_EQ(vbOK, result);
}

// ---------------------------------------------------------------- failures

TEST_F(ErrorDisplayTest, FailuresAreRaisedAndNothingIsShown) {
    FakeLogger logger;
    Attached attached(logger);
    VbMsgBoxResult result = vbNo;

    // No error object.
    {
        MessageBoxDriver driver(IDOK);
        Args a(L"x", false);
        _ErrObject* nothing = nullptr;
        EXPECT_EQ(Hr(static_cast<HRESULT>(0x800A005B)),
                  Hr(main->ErrorDisplay(&nothing, vbCritical, a.title, &a.text, &a.silent, &result)));
        EXPECT_EQ(L"Kelmor0200.nvkMain|Object variable or With block variable not set", ErrorInfoText());
        EXPECT_FALSE(driver.Finish().found);
    }
    // The logger refuses the report: its error reaches the caller, the box stays away.
    logger.failReport = true;
    for (int member = 0; member < 3; ++member) {
        MessageBoxDriver driver(IDOK);
        Args a(L"x", false);
        ComPtr<_ErrObject> e = NewError(5, L"d", L"s");
        const HRESULT hr =
            member == 0
                ? main->ErrorDisplay(e.GetAddressOf(), vbCritical, a.title, &a.text, &a.silent, &result)
            : member == 1 ? main->ErrorDisplayAPI(5, vbCritical, a.title, &a.text, &a.silent, &result)
                          : main->ErrorDisplayWinMM(5, vbCritical, a.title, &a.text, &a.silent, &result);
        EXPECT_EQ(Hr(static_cast<HRESULT>(0x800A0035)), Hr(hr)) << "member " << member;
        EXPECT_EQ(L"FakeLogger|The log is full", ErrorInfoText()) << "member " << member;
        EXPECT_FALSE(driver.Finish().found) << "member " << member;
    }
    // No result pointer.
    Args a;
    EXPECT_EQ(Hr(E_POINTER), Hr(main->ErrorDisplayAPI(5, vbCritical, a.title, &a.text, &a.silent, nullptr)));
}

// Calls that leave DescriptionText out, with the arguments they give by name.
HRESULT InvokeNamed(IDispatch* object, const wchar_t* name, std::vector<VARIANT> positional,
                    std::vector<std::pair<DISPID, VARIANT>> named, VARIANT* result) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> args;
    std::vector<DISPID> ids;
    for (auto& [param, value] : named) {
        args.push_back(value);
        ids.push_back(param);
    }
    args.insert(args.end(), positional.rbegin(), positional.rend());
    DISPPARAMS params{args.data(), ids.data(), static_cast<UINT>(args.size()), static_cast<UINT>(ids.size())};
    EXCEPINFO excep{};
    UINT argErr = 0;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result, &excep, &argErr);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    for (VARIANT& v : args) VariantClear(&v);
    return hr;
}

TEST_F(ErrorDisplayTest, LateBoundCallsWithoutTheCallersText) {
    FakeLogger logger;
    Attached attached(logger);
    VARIANT silent;
    V_VT(&silent) = VT_BOOL;
    V_BOOL(&silent) = VARIANT_TRUE;
    constexpr DISPID kStyle = 1, kSilent = 4;

    UniqueVariant result;
    ASSERT_EQ(Hr(S_OK),
              Hr(InvokeNamed(main.Get(), L"ErrorDisplayAPI", {LongValue(5)}, {{kSilent, silent}}, result.get())));
    EXPECT_EQ(1, V_I4(result.get()));
    EXPECT_EQ(L"ReportEvent(Win32 API error: 5 (0x00000005)\r\nDescription: " + SystemText(5) +
                  L",2,Win32 API Error,5)",
              LastCall(logger));

    ASSERT_EQ(Hr(S_OK), Hr(InvokeNamed(main.Get(), L"ErrorDisplayWinMM", {LongValue(12345)},
                                       {{kSilent, silent}, {kStyle, LongValue(vbYesNo)}}, result.put())));
    EXPECT_EQ(1, V_I4(result.get()));
    EXPECT_EQ(L"ReportEvent(WinMM.DLL error: 12345 (0x00003039),2,WinMM.DLL Error,12345)", LastCall(logger));

    // The error object itself, as a client holding it as an object passes it.
    ComPtr<_ErrObject> e = NewError(13, L"Type mismatch", L"Client");
    VARIANT object;
    V_VT(&object) = VT_DISPATCH;
    V_DISPATCH(&object) = e.Get();
    e->AddRef();
    ASSERT_EQ(Hr(S_OK), Hr(InvokeNamed(main.Get(), L"ErrorDisplay", {object, LongValue(vbCritical), TextValue(L"T")},
                                       {{kSilent, silent}}, result.put())));
    EXPECT_EQ(1, V_I4(result.get()));
    EXPECT_EQ(
        L"ReportEvent(Error number: 13 (0x0000000D)\r\nDescription:  Type mismatch\r\n\r\n"
        L"Source:       Client,2,Runtime Error,13)",
        LastCall(logger));
}

}  // namespace
