// The application services object nvkMain: its command line parser, the argument arrays, and
// the thread's event logger (stub, outside logger, errors kept for LastEventLoggerError), with
// the substitute application object and the stub as the library makes them.
#include <windows.h>
#include <oleauto.h>
#include <shellapi.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "AppServicesTestSupport.h"
#include "CAppStub.h"
#include "CEventLoggerStub.h"
#include "ErrObject.h"
#include "Global.h"
#include "NevkitSupport0100.h"
#include "modEventLoggerSupport.h"
#include "nvkMain.h"

namespace {

using Microsoft::WRL::ComPtr;
using namespace kelmor::test;
using kelmor::CAppStub;
using kelmor::CEventLoggerStub;
using kelmor::ErrObject;
using kelmor::Globals;
using kelmor::nvkMain;

constexpr HRESULT kError6 = static_cast<HRESULT>(0x800A0006);
constexpr HRESULT kError9 = static_cast<HRESULT>(0x800A0009);

ComPtr<_nvkMain> NewMain() {
    ComPtr<_nvkMain> m;
    EXPECT_EQ(Hr(S_OK), Hr(nvkMain::CreateInstance(IID_PPV_ARGS(&m))));
    return m;
}

std::wstring ExeName() {
    BSTR name = nullptr;
    nkGetEXEModulePrettyFileName(&name);
    return Take(name);
}
std::wstring UserName() {
    BSTR name = nullptr;
    nkGetUserName(&name);
    return Take(name);
}

class AppServices : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

// ---------------------------------------------------------------- command line

std::wstring Item(_CommandLineParser* p, LONG index) {
    BSTR text = nullptr;
    EXPECT_EQ(Hr(S_OK), Hr(p->get_Item(index, &text))) << "Item(" << index << ")";
    return Take(text);
}
LONG Count(_CommandLineParser* p) {
    LONG n = -1;
    EXPECT_EQ(Hr(S_OK), Hr(p->get_Count(&n)));
    return n;
}
void Set(_CommandLineParser* p, const wchar_t* text, VARIANT_BOOL dummy) {
    BSTR line = SysAllocString(text);
    EXPECT_EQ(Hr(S_OK), Hr(p->SetNewCommandLine(line, dummy)));
    SysFreeString(line);
}

TEST_F(AppServices, CommandLineIsOneParserPerObjectReadFromTheProcess) {
    ComPtr<_nvkMain> m = NewMain(), other = NewMain();
    ComPtr<_CommandLineParser> first, again, others;
    ASSERT_EQ(Hr(S_OK), Hr(m->CommandLine(&first)));
    ASSERT_EQ(Hr(S_OK), Hr(m->CommandLine(&again)));
    ASSERT_EQ(Hr(S_OK), Hr(other->CommandLine(&others)));
    EXPECT_EQ(first.Get(), again.Get()) << "every call returns the same parser";
    EXPECT_NE(first.Get(), others.Get()) << "each object has its own";

    // A new parser splits this process's command line, program name first.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    ASSERT_NE(nullptr, argv);
    EXPECT_EQ(argc - 1, Count(first.Get())) << Utf8(GetCommandLineW());
    EXPECT_EQ(std::wstring(argv[0]), Item(first.Get(), -1));
    LocalFree(argv);

    // A new text seen through one reference is seen by every later caller of that object.
    Set(first.Get(), L"prog x", VARIANT_FALSE);
    ComPtr<_CommandLineParser> later;
    ASSERT_EQ(Hr(S_OK), Hr(m->CommandLine(&later)));
    EXPECT_EQ(L"x", Item(later.Get(), 0));
}

TEST_F(AppServices, SetNewCommandLineWithAndWithoutTheProgramName) {
    ComPtr<_CommandLineParser> p;
    ASSERT_EQ(Hr(S_OK), Hr(NewMain()->CommandLine(&p)));

    Set(p.Get(), L"  \"C:\\dir with blanks\\prog.exe\"   a  \"b c\"\"\" d\"e ", VARIANT_FALSE);
    EXPECT_EQ(4, Count(p.Get()));
    EXPECT_EQ(L"C:\\dir with blanks\\prog.exe", Item(p.Get(), -1));
    EXPECT_EQ(L"a", Item(p.Get(), 0));
    EXPECT_EQ(L"b c", Item(p.Get(), 1));
    EXPECT_EQ(L"", Item(p.Get(), 2));
    EXPECT_EQ(L"d\"e", Item(p.Get(), 3));

    // Arguments only: the running program's name stands in front.
    Set(p.Get(), L"a b", VARIANT_TRUE);
    EXPECT_EQ(2, Count(p.Get()));
    EXPECT_EQ(ExeName(), Item(p.Get(), -1));
    EXPECT_EQ(L"a", Item(p.Get(), 0));
    EXPECT_EQ(L"b", Item(p.Get(), 1));

    // Without any item the program name still answers.
    Set(p.Get(), L"   ", VARIANT_FALSE);
    EXPECT_EQ(0, Count(p.Get()));
    EXPECT_EQ(ExeName(), Item(p.Get(), -1));
    BSTR none = nullptr;
    EXPECT_EQ(Hr(kError9), Hr(p->get_Item(0, &none)));
    EXPECT_EQ(nullptr, none);
}

TEST_F(AppServices, ItemOutsideTheListIsError9) {
    ComPtr<_CommandLineParser> p;
    ASSERT_EQ(Hr(S_OK), Hr(NewMain()->CommandLine(&p)));
    Set(p.Get(), L"prog a b", VARIANT_FALSE);
    BSTR text = nullptr;
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(Hr(kError9), Hr(p->get_Item(-2, &text)));
    EXPECT_EQ(L"Kelmor0200.CommandLineParser|Subscript out of range", ErrorInfoText());
    EXPECT_EQ(Hr(kError9), Hr(p->get_Item(2, &text)));
    EXPECT_EQ(Hr(kError9), Hr(p->get_Item(LONG_MIN, &text)));
    EXPECT_EQ(Hr(kError9), Hr(p->get_Item(LONG_MAX, &text)));
    EXPECT_EQ(nullptr, text);
}

TEST_F(AppServices, ParserThroughIDispatch) {
    ComPtr<_CommandLineParser> p;
    ASSERT_EQ(Hr(S_OK), Hr(NewMain()->CommandLine(&p)));
    // The optional AddDummyEXEModuleName defaults to true.
    Invoked set;
    CallByName(p.Get(), L"SetNewCommandLine", DISPATCH_METHOD, {TextValue(L"only args")}, set);
    ASSERT_EQ(Hr(S_OK), Hr(set.hr));
    Invoked item;
    CallByName(p.Get(), L"Item", DISPATCH_PROPERTYGET, {LongValue(-1)}, item);
    ASSERT_EQ(Hr(S_OK), Hr(item.hr));
    EXPECT_EQ(ExeName(), FromBstr(V_BSTR(&item.result)));
    Invoked bad;
    CallByName(p.Get(), L"Item", DISPATCH_PROPERTYGET, {LongValue(-2)}, bad);
    EXPECT_EQ(Hr(DISP_E_EXCEPTION), Hr(bad.hr));
    EXPECT_EQ(Hr(kError9), Hr(bad.excep.scode ? bad.excep.scode : 0x800A0000 + bad.excep.wCode));
}

// ------------------------------------------------------------ argument arrays

// Calls ArrayBSTR / ArrayLong through IDispatch with the given arguments.
void CallArray(_nvkMain* m, const wchar_t* name, std::vector<VARIANT> args, Invoked& out) {
    CallByName(m, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args), out);
}

template <class T>
std::vector<T> Elements(SAFEARRAY* array, LONG* lower = nullptr, LONG* upper = nullptr) {
    std::vector<T> out;
    LONG lb = 0, ub = -1;
    SafeArrayGetLBound(array, 1, &lb);
    SafeArrayGetUBound(array, 1, &ub);
    if (lower) *lower = lb;
    if (upper) *upper = ub;
    for (LONG i = lb; i <= ub; ++i) {
        T value{};
        SafeArrayGetElement(array, &i, &value);
        out.push_back(value);
    }
    return out;
}

TEST_F(AppServices, ArrayLongConvertsLikeTheAutomationRuntime) {
    ComPtr<_nvkMain> m = NewMain();
    Invoked r;
    CallArray(m.Get(), L"ArrayLong", {LongValue(1), TextValue(L"2"), DoubleValue(2.5)}, r);
    ASSERT_EQ(Hr(S_OK), Hr(r.hr));
    ASSERT_EQ(VT_ARRAY | VT_I4, V_VT(&r.result));
    LONG lower = -1, upper = -1;
    EXPECT_EQ((std::vector<LONG>{1, 2, 2}), Elements<LONG>(V_ARRAY(&r.result), &lower, &upper));
    EXPECT_EQ(0, lower);
    EXPECT_EQ(2, upper);

    // Values that cannot be converted leave 0 and the rest goes on.
    VARIANT null;
    V_VT(&null) = VT_NULL;
    LONG seven = 7;
    VARIANT byRef;
    V_VT(&byRef) = VT_I4 | VT_BYREF;
    V_I4REF(&byRef) = &seven;
    Invoked mixed;
    CallArray(m.Get(), L"ArrayLong", {TextValue(L"abc"), DoubleValue(3e10), null, byRef, DoubleValue(3.5), DoubleValue(-0.5)}, mixed);
    ASSERT_EQ(Hr(S_OK), Hr(mixed.hr));
    EXPECT_EQ((std::vector<LONG>{0, 0, 0, 7, 4, 0}), Elements<LONG>(V_ARRAY(&mixed.result)));
}

TEST_F(AppServices, ArrayBStrConvertsAndLeavesFailuresEmpty) {
    ComPtr<_nvkMain> m = NewMain();
    VARIANT null, object, withValue;
    V_VT(&null) = VT_NULL;
    V_VT(&object) = VT_DISPATCH;
    V_DISPATCH(&object) = CAppStub::New();  // an object without a default value
    V_VT(&withValue) = VT_DISPATCH;
    V_DISPATCH(&withValue) = ErrObject::FromFailure(static_cast<HRESULT>(0x800A01B6));  // its default: Number
    Invoked r;
    CallArray(m.Get(), L"ArrayBSTR", {LongValue(42), TextValue(L"x"), null, object, TextValue(L""), withValue}, r);
    ASSERT_EQ(Hr(S_OK), Hr(r.hr));
    ASSERT_EQ(VT_ARRAY | VT_BSTR, V_VT(&r.result));
    std::vector<BSTR> texts = Elements<BSTR>(V_ARRAY(&r.result));
    ASSERT_EQ(6u, texts.size());
    std::vector<std::wstring> values;
    for (BSTR t : texts) values.push_back(Take(t));
    EXPECT_EQ((std::vector<std::wstring>{L"42", L"x", L"", L"", L"", L"438"}), values);
}

TEST_F(AppServices, ArraysWithoutArgumentsGiveNoArrayAndNoError) {
    ComPtr<_nvkMain> m = NewMain();
    for (const wchar_t* name : {L"ArrayBSTR", L"ArrayLong"}) {
        Invoked r;
        CallArray(m.Get(), name, {}, r);
        EXPECT_EQ(Hr(S_OK), Hr(r.hr)) << Utf8(name);
        EXPECT_EQ(nullptr, V_ARRAY(&r.result)) << Utf8(name);
    }
    // Through the table: an empty list, a missing list.
    SAFEARRAY* empty = SafeArrayCreateVector(VT_VARIANT, 0, 0);
    SAFEARRAY* result = reinterpret_cast<SAFEARRAY*>(1);
    EXPECT_EQ(Hr(S_OK), Hr(m->ArrayBSTR(&empty, &result)));
    EXPECT_EQ(nullptr, result);
    SafeArrayDestroy(empty);
    EXPECT_EQ(Hr(S_OK), Hr(m->ArrayLong(nullptr, &result)));
    EXPECT_EQ(nullptr, result);
}

TEST_F(AppServices, ArraysKeepTheBoundsOfTheListGivenThroughTheTable) {
    ComPtr<_nvkMain> m = NewMain();
    SAFEARRAYBOUND bound{2, 3};
    SAFEARRAY* args = SafeArrayCreate(VT_VARIANT, 1, &bound);
    VARIANT a = TextValue(L"10"), b = LongValue(-5);
    LONG i = 3;
    SafeArrayPutElement(args, &i, &a);
    i = 4;
    SafeArrayPutElement(args, &i, &b);
    VariantClear(&a);
    SAFEARRAY* result = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(m->ArrayLong(&args, &result)));
    LONG lower = 0, upper = 0;
    EXPECT_EQ((std::vector<LONG>{10, -5}), Elements<LONG>(result, &lower, &upper));
    EXPECT_EQ(3, lower);
    EXPECT_EQ(4, upper);
    SafeArrayDestroy(result);
    SafeArrayDestroy(args);
}

// ------------------------------------------------------------------ event logger

ComPtr<IEventLogger2> LoggerOf(_nvkMain* m) {
    ComPtr<IEventLogger2> logger;
    EXPECT_EQ(Hr(S_OK), Hr(m->Logger(&logger)));
    return logger;
}
LONG LogMode(IEventLogger2* logger) {
    LONG mode = -1;
    EXPECT_EQ(Hr(S_OK), Hr(logger->get_LogMode(&mode)));
    return mode;
}
std::wstring LastError(_nvkMain* m) {
    BSTR text = nullptr;
    EXPECT_EQ(Hr(S_OK), Hr(m->get_LastEventLoggerError(&text)));
    return Take(text);
}
VARIANT_BOOL InitNonVB(_nvkMain* m, const wchar_t* title, LONG major, LONG minor, LONG revision, HRESULT expected = S_OK) {
    BSTR t = SysAllocString(title);
    VARIANT_BOOL ok = 1;
    EXPECT_EQ(Hr(expected), Hr(m->InitEventLoggerNonVB(t, major, minor, revision, &ok)));
    SysFreeString(t);
    return ok;
}
HRESULT Report(IEventLogger2* logger, const std::string& message, LONG type, const wchar_t* category, LONG id) {
    std::wstring wide(message.begin(), message.end());
    BSTR m = SysAllocString(wide.c_str()), c = SysAllocString(category);
    const HRESULT hr = logger->ReportEvent(m, type, c, id);
    SysFreeString(m);
    SysFreeString(c);
    return hr;
}
void Dispose(_nvkMain* m) {
    VARIANT result;
    V_VT(&result) = VT_I4;
    EXPECT_EQ(Hr(S_OK), Hr(m->DisposeEventLogger(&result)));
    EXPECT_EQ(VT_EMPTY, V_VT(&result));
}

TEST_F(AppServices, InitEventLoggerNonVBAttachesTheOutsideLoggerAndReportsLandInItsFile) {
    ComPtr<_nvkMain> m = NewMain();
    ASSERT_EQ(VARIANT_TRUE, InitNonVB(m.Get(), L"Проверка логгера", 2, 0, 120));
    EXPECT_EQ(L"", LastError(m.Get()));
    ComPtr<IEventLogger2> logger = LoggerOf(m.Get());
    ASSERT_TRUE(logger);
    EXPECT_EQ(1, LogMode(logger.Get())) << "the user's own folder";

    const std::string token = UniqueToken("report");
    ASSERT_EQ(Hr(S_OK), Hr(Report(logger.Get(), token + "\r\nsecond line", 2, L"Runtime Error", 53)));
    const std::vector<std::string> lines = LogLinesWith(UserLogPath(), token);
    ASSERT_EQ(1u, lines.size()) << "in " << Utf8(UserLogPath());
    const std::vector<std::string> f = Fields(lines[0]);
    ASSERT_EQ(11u, f.size());
    EXPECT_EQ("2", f[1]);
    EXPECT_EQ("Runtime Error", f[2]);
    EXPECT_EQ("53", f[3]);
    EXPECT_EQ(Utf8(L"Проверка логгера"), f[4]);
    EXPECT_EQ("2.0.120", f[5]);
    EXPECT_EQ(Utf8(UserName()), f[6]);
    EXPECT_EQ(std::to_string(GetCurrentProcessId()), f[8]);
    EXPECT_EQ(std::to_string(GetCurrentThreadId()), f[9]);
    EXPECT_EQ(token + "\\r\\nsecond line", f[10]);

    // Detached, the stub stays and drops reports.
    Dispose(m.Get());
    ComPtr<IEventLogger2> detached = LoggerOf(m.Get());
    EXPECT_EQ(logger.Get(), detached.Get());
    EXPECT_EQ(0, LogMode(detached.Get()));
    const std::string dropped = UniqueToken("dropped");
    EXPECT_EQ(Hr(S_OK), Hr(Report(detached.Get(), dropped, 2, L"Runtime Error", 1)));
    EXPECT_TRUE(LogLinesWith(UserLogPath(), dropped).empty());
    ComPtr<IEventLogger3> v3;
    ASSERT_EQ(Hr(S_OK), Hr(detached.As(&v3)));
    BSTR user = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(v3->get_UserName(&user)));
    EXPECT_EQ(UserName(), Take(user));
}

TEST_F(AppServices, VersionNumbersOutsideSixteenBitsAreAnOverflow) {
    ComPtr<_nvkMain> m = NewMain();
    CEventLoggerStub* stub = Globals().logger;
    FakeLogger fake;
    stub->SetInnerLogger(&fake);
    SetErrorInfo(0, nullptr);
    InitNonVB(m.Get(), L"t", 40000, 0, 0, kError6);
    EXPECT_EQ(L"Kelmor0200.nvkMain|Overflow", ErrorInfoText());
    InitNonVB(m.Get(), L"t", 1, -32769, 0, kError6);
    InitNonVB(m.Get(), L"t", 1, 0, 32768, kError6);
    EXPECT_EQ(&fake, stub->InnerLogger()) << "a refused call changes nothing";
    // The ends of the range are fine.
    EXPECT_EQ(VARIANT_TRUE, InitNonVB(m.Get(), L"t", 32767, -32768, 0));
    Dispose(m.Get());
    EXPECT_EQ(1u, fake.refs);
}

TEST_F(AppServices, ObjectsOfOneThreadShareTheStubAndItsLogger) {
    EXPECT_EQ(0, Globals().mainCount);
    EXPECT_EQ(nullptr, Globals().logger);
    FakeLogger fake;
    {
        ComPtr<_nvkMain> second = NewMain();
        {
            ComPtr<_nvkMain> first = NewMain();
            EXPECT_EQ(2, Globals().mainCount);
            Globals().logger->SetInnerLogger(&fake);  // attached through the first object's thread
            ComPtr<IUnknown> a, b;
            LoggerOf(first.Get()).As(&a);
            LoggerOf(second.Get()).As(&b);
            EXPECT_EQ(a.Get(), b.Get()) << "one stub per thread";
            EXPECT_EQ(7, LogMode(LoggerOf(second.Get()).Get())) << "the logger attached through the first";
        }
        EXPECT_EQ(1, Globals().mainCount);
        EXPECT_EQ(2u, fake.refs) << "the logger survives the first object";
        EXPECT_EQ(7, LogMode(LoggerOf(second.Get()).Get()));
    }
    EXPECT_EQ(0, Globals().mainCount);
    EXPECT_EQ(nullptr, Globals().logger);
    EXPECT_EQ(1u, fake.refs) << "the logger ends with the last object";

    // With the real outside logger: attached through one object, used through another.
    ComPtr<_nvkMain> one = NewMain(), two = NewMain();
    ASSERT_EQ(VARIANT_TRUE, InitNonVB(one.Get(), L"shared", 1, 2, 3));
    one.Reset();
    EXPECT_EQ(1, LogMode(LoggerOf(two.Get()).Get()));
}

TEST_F(AppServices, ASecondThreadHasItsOwnStubAndCount) {
    ComPtr<_nvkMain> m = NewMain();
    FakeLogger fake;
    Globals().logger->SetInnerLogger(&fake);
    CEventLoggerStub* mine = Globals().logger;
    CEventLoggerStub* theirs = nullptr;
    LONG theirCount = -1, theirMode = -1, theirCountAfter = -1;
    CEventLoggerStub* theirsAfter = reinterpret_cast<CEventLoggerStub*>(1);
    std::thread other([&] {
        CoInitialize(nullptr);
        {
            ComPtr<_nvkMain> own = NewMain();
            theirs = Globals().logger;
            theirCount = Globals().mainCount;
            theirMode = LogMode(LoggerOf(own.Get()).Get());
        }
        theirCountAfter = Globals().mainCount;
        theirsAfter = Globals().logger;
        CoUninitialize();
    });
    other.join();
    EXPECT_NE(nullptr, theirs);
    EXPECT_NE(mine, theirs);
    EXPECT_EQ(1, theirCount);
    EXPECT_EQ(0, theirMode) << "nothing attached on the other thread";
    EXPECT_EQ(0, theirCountAfter);
    EXPECT_EQ(nullptr, theirsAfter);
    EXPECT_EQ(1, Globals().mainCount);
    EXPECT_EQ(7, LogMode(LoggerOf(m.Get()).Get())) << "this thread keeps its logger";
    Dispose(m.Get());
}

TEST_F(AppServices, InitEventLoggerWantsAnApplicationObject) {
    ComPtr<_nvkMain> m = NewMain();
    FakeLogger fake;
    Globals().logger->SetInnerLogger(&fake);
    ErrObject* notAnApp = ErrObject::New();
    VARIANT_BOOL ok = 1;
    ASSERT_EQ(Hr(S_OK), Hr(m->InitEventLogger(notAnApp, &ok)));
    notAnApp->Release();
    EXPECT_EQ(VARIANT_FALSE, ok);
    EXPECT_EQ(L"Error number: 13 (0x0000000D)\r\nDescription:  Type mismatch\r\n\r\nSource:       Kelmor0200.nvkMain",
              LastError(m.Get()));
    EXPECT_EQ(&fake, Globals().logger->InnerLogger()) << "the stub is left as it was";

    ok = 1;
    ASSERT_EQ(Hr(S_OK), Hr(m->InitEventLogger(nullptr, &ok)));
    EXPECT_EQ(VARIANT_FALSE, ok);
    EXPECT_EQ(0u, LastError(m.Get()).find(L"Error number: 91 (0x0000005B)\r\n")) << Utf8(LastError(m.Get()));
    // The error belongs to the object that met it.
    EXPECT_EQ(L"", LastError(NewMain().Get()));

    // A substitute application object is one; the logger then reads its title and version.
    CAppStub* app = CAppStub::New();
    app->Init(L"", 4, 5, 6);
    ASSERT_EQ(Hr(S_OK), Hr(m->InitEventLogger(static_cast<_App*>(app), &ok)));
    app->Release();
    EXPECT_EQ(VARIANT_TRUE, ok);
    EXPECT_EQ(L"", LastError(m.Get()));
    EXPECT_EQ(1u, fake.refs) << "the earlier logger was released";
    const std::string token = UniqueToken("empty-title");
    ASSERT_EQ(Hr(S_OK), Hr(Report(LoggerOf(m.Get()).Get(), token, 2, L"c", 1)));
    const std::vector<std::string> lines = LogLinesWith(UserLogPath(), token);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("", Fields(lines[0])[4]) << "an empty title is an empty source";
    EXPECT_EQ("4.5.6", Fields(lines[0])[5]);
    Dispose(m.Get());
}

TEST_F(AppServices, ALoggerThatRefusesTheUserNameIsDetachedByLogger) {
    ComPtr<_nvkMain> m = NewMain();
    FakeLogger old(false);  // an older logger: no UserName
    Globals().logger->SetInnerLogger(&old);
    ComPtr<IEventLogger2> logger;
    ASSERT_EQ(Hr(S_OK), Hr(m->Logger(&logger)));
    EXPECT_TRUE(logger) << "the stub is still handed out";
    EXPECT_EQ(nullptr, Globals().logger->InnerLogger());
    EXPECT_EQ(1u, old.refs);
    EXPECT_EQ(0u, LastError(m.Get()).find(L"Error number: 438 (0x000001B6)\r\nDescription:  Object doesn't support "
                                           L"this property or method"))
        << Utf8(LastError(m.Get()));
    IErrorInfo* left = nullptr;
    EXPECT_EQ(Hr(S_FALSE), Hr(GetErrorInfo(0, &left))) << "a trapped error leaves nothing behind";

    // A logger that knows the name is told the current user on every Logger call.
    FakeLogger current;
    Globals().logger->SetInnerLogger(&current);
    LoggerOf(m.Get());
    ASSERT_EQ(1u, current.calls.size());
    EXPECT_EQ(L"UserName=(" + UserName() + L")", current.calls[0]);
    Dispose(m.Get());
}

TEST_F(AppServices, TheStubForwardsByNameInTheCallersOrder) {
    CEventLoggerStub* stub = CEventLoggerStub::New();
    FakeLogger fake;
    stub->SetInnerLogger(&fake);
    ComPtr<IEventLogger> v1;
    ComPtr<IEventLogger2> v2;
    ComPtr<IEventLogger3> v3;
    ASSERT_EQ(Hr(S_OK), Hr(stub->QueryInterface(IID_PPV_ARGS(&v1))));
    ASSERT_EQ(Hr(S_OK), Hr(stub->QueryInterface(IID_PPV_ARGS(&v2))));
    ASSERT_EQ(Hr(S_OK), Hr(stub->QueryInterface(IID_PPV_ARGS(&v3))));
    ComPtr<IUnknown> u1, u2, u3;
    v1.As(&u1);
    v2.As(&u2);
    v3.As(&u3);
    EXPECT_TRUE(u1.Get() == u2.Get() && u2.Get() == u3.Get()) << "one object";

    BSTR a = SysAllocString(L"WS"), b = SysAllocString(L"olga"), c = SysAllocString(L"C:\\p.exe");
    EXPECT_EQ(Hr(S_OK), Hr(v1->InitEventLogger(a, b, stub, 10, 20, c)));
    EXPECT_EQ(Hr(S_OK), Hr(v2->InitEventLogger2(a, b, c, 1, 2, 3, 10, 20, c)));
    EXPECT_EQ(Hr(S_OK), Hr(v1->ReportEvent(a, 2, b, 99)));
    EXPECT_EQ(Hr(S_OK), Hr(v3->put_UserName(b)));
    LONG mode = 0;
    EXPECT_EQ(Hr(S_OK), Hr(v1->get_LogMode(&mode)));
    EXPECT_EQ(7, mode) << "converted to 32 bits";
    BSTR user = nullptr;
    EXPECT_EQ(Hr(S_OK), Hr(v3->get_UserName(&user)));
    EXPECT_EQ(L"fake user", Take(user));
    const std::vector<std::wstring> expected = {
        L"InitEventLogger(WS,olga,<object>,10,20,C:\\p.exe)",
        L"InitEventLogger2(WS,olga,C:\\p.exe,1,2,3,10,20,C:\\p.exe)",
        L"ReportEvent(WS,2,olga,99)",
        L"UserName=(olga)",
        L"LogMode",
        L"UserName",
    };
    EXPECT_EQ(expected, fake.calls);
    EXPECT_EQ(static_cast<IDispatch*>(static_cast<IEventLogger3*>(stub)), fake.lastObject);

    // An error of the outside logger reaches the caller unchanged.
    fake.failReport = true;
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(Hr(0x800A0035), Hr(v2->ReportEvent(a, 2, b, 1)));
    EXPECT_EQ(L"FakeLogger|The log is full", ErrorInfoText());
    SysFreeString(a);
    SysFreeString(b);
    SysFreeString(c);

    // Each version answers IDispatch callers with its own member ids.
    for (auto [dispatch, id] : {std::pair<IDispatch*, DISPID>{v1.Get(), 0x60030002},
                                {v2.Get(), 0x60030003}, {v3.Get(), 0x60030003}}) {
        LPOLESTR name[] = {const_cast<LPOLESTR>(L"ReportEvent")};
        DISPID found = 0;
        EXPECT_EQ(Hr(S_OK), Hr(dispatch->GetIDsOfNames(IID_NULL, name, 1, 0, &found)));
        EXPECT_EQ(id, found);
    }
    fake.failReport = false;
    Invoked through1;
    CallByName(v1.Get(), L"ReportEvent", DISPATCH_METHOD, {TextValue(L"m"), LongValue(2), TextValue(L"c"), LongValue(5)}, through1);
    EXPECT_EQ(Hr(S_OK), Hr(through1.hr));
    EXPECT_EQ(L"ReportEvent(m,2,c,5)", fake.calls.back());

    v1.Reset();
    v2.Reset();
    v3.Reset();
    u1.Reset();
    u2.Reset();
    u3.Reset();
    stub->Release();
    EXPECT_EQ(1u, fake.refs) << "the stub releases its logger when it ends";
}

TEST_F(AppServices, FormatErrorTextReadsAnyErrorObjectByName) {
    ErrObject* e = ErrObject::New();
    e->put_Number(53);
    BSTR text = SysAllocString(L"File not found:\r\nC:\\x");
    e->put_Description(text);
    SysFreeString(text);
    text = SysAllocString(L"Tessel");
    e->put_Source(text);
    SysFreeString(text);
    e->put_HelpContext(-1);
    std::wstring formatted;
    ASSERT_EQ(Hr(S_OK), Hr(kelmor::modEventLoggerSupport::FormatErrorText(e, formatted)));
    EXPECT_EQ(L"Error number: 53 (0x00000035)\r\nDescription:  File not found: C:\\x\r\n\r\n"
              L"Source:       Tessel\r\nHelp context: -1 (0xFFFFFFFF)",
              formatted);
    e->Clear();
    ASSERT_EQ(Hr(S_OK), Hr(kelmor::modEventLoggerSupport::FormatErrorText(e, formatted)));
    EXPECT_EQ(L"Unknown run-time error.", formatted);
    e->Release();

    // An object without the error properties cannot be formatted.
    FakeLogger notAnError;
    EXPECT_EQ(Hr(0x800A01B6), Hr(kelmor::modEventLoggerSupport::FormatErrorText(&notAnError, formatted)));
    SetErrorInfo(0, nullptr);
}

TEST_F(AppServices, ALoggerWhoseInitialisationFailsIsStillReturned) {
    std::wstring errorText = L"stale";
    ComPtr<IDispatch> logger = kelmor::modEventLoggerSupport::CreateEventLoggerObject(nullptr, errorText);
    EXPECT_TRUE(logger) << "created, though not initialised";
    EXPECT_EQ(0u, errorText.find(L"Error number: 91 (0x0000005B)\r\nDescription:  Object variable or With block "
                                 L"variable not set"))
        << Utf8(errorText);
}

// ------------------------------------------------------------ substitute App

TEST_F(AppServices, SubstituteApplicationObjectAnswersThroughItsTable) {
    CAppStub* app = CAppStub::New();
    app->Init(L"Заголовок", 2, -3, 32767);
    _App* table = app;
    // The event logger reads these four slots (counting QueryInterface as 0).
    void** vtable = *reinterpret_cast<void***>(table);
    using GetText = HRESULT(STDMETHODCALLTYPE*)(_App*, BSTR*);
    using GetShort = HRESULT(STDMETHODCALLTYPE*)(_App*, short*);
    BSTR title = nullptr;
    short major = 0, minor = 0, revision = 0;
    ASSERT_EQ(Hr(S_OK), Hr(reinterpret_cast<GetText>(vtable[24])(table, &title)));
    ASSERT_EQ(Hr(S_OK), Hr(reinterpret_cast<GetShort>(vtable[46])(table, &major)));
    ASSERT_EQ(Hr(S_OK), Hr(reinterpret_cast<GetShort>(vtable[48])(table, &minor)));
    ASSERT_EQ(Hr(S_OK), Hr(reinterpret_cast<GetShort>(vtable[50])(table, &revision)));
    EXPECT_EQ(L"Заголовок", Take(title));
    EXPECT_EQ(2, major);
    EXPECT_EQ(-3, minor);
    EXPECT_EQ(32767, revision);

    // By name, as a script sees it; Title can be replaced, the settings are inert.
    Invoked put, get, exeName, timeout, logEvent, visible;
    CallByName(app, L"Title", DISPATCH_PROPERTYPUT, {TextValue(L"new")}, put);
    CallByName(app, L"Title", DISPATCH_PROPERTYGET, {}, get);
    CallByName(app, L"EXEName", DISPATCH_PROPERTYGET, {}, exeName);
    CallByName(app, L"OleServerBusyTimeout", DISPATCH_PROPERTYPUT, {LongValue(5000)}, timeout);
    CallByName(app, L"LogEvent", DISPATCH_METHOD, {TextValue(L"ignored")}, logEvent);
    CallByName(app, L"TaskVisible", DISPATCH_PROPERTYGET, {}, visible);
    EXPECT_EQ(Hr(S_OK), Hr(put.hr));
    EXPECT_EQ(L"new", FromBstr(V_BSTR(&get.result)));
    EXPECT_EQ(VT_BSTR, V_VT(&exeName.result));
    EXPECT_EQ(L"", FromBstr(V_BSTR(&exeName.result)));
    EXPECT_EQ(Hr(S_OK), Hr(timeout.hr));
    EXPECT_EQ(Hr(S_OK), Hr(logEvent.hr)) << "the optional event type may be left out";
    EXPECT_EQ(VT_BOOL, V_VT(&visible.result));
    EXPECT_EQ(VARIANT_FALSE, V_BOOL(&visible.result));
    Invoked readOnly;
    CallByName(app, L"Major", DISPATCH_PROPERTYPUT, {LongValue(9)}, readOnly);
    EXPECT_TRUE(FAILED(readOnly.hr)) << "the version numbers are read-only";
    LONG timeoutValue = -1;
    app->get_OleServerBusyTimeout(&timeoutValue);
    EXPECT_EQ(0, timeoutValue);
    app->Release();
}

}  // namespace
