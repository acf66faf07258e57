// The outside event logger Derodor.nvkEventLogger as its callers reach it: created by ProgID,
// called late-bound by name, one line per report at the end of its log file.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <functional>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "Variants.h"

namespace {

using kelmor::test::Hr;
using kelmor::test::LongValue;
using kelmor::test::TextValue;
using kelmor::test::Utf8;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

// The lines of a log file (without their CR LF).
std::vector<std::string> ReadLines(const std::wstring& path) {
    std::string all;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        char buffer[65536];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) all.append(buffer, read);
        CloseHandle(file);
    }
    std::vector<std::string> lines = Split(all, '\n');
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    for (std::string& line : lines) {
        EXPECT_FALSE(line.empty() || line.back() != '\r') << "line without CR LF: " << line;
        if (!line.empty() && line.back() == '\r') line.pop_back();
    }
    return lines;
}

// A late-bound call; `args` in parameter order (they are cleared).
struct Answer {
    HRESULT hr;
    VARIANT result;
    EXCEPINFO excep;
    UINT argErr;
};
Answer Call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args = {}) {
    Answer a{};
    VariantInit(&a.result);
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    a.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (SUCCEEDED(a.hr)) {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        if (flags & DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &put;
            params.cNamedArgs = 1;
        }
        a.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &a.result, &a.excep, &a.argErr);
    }
    for (VARIANT& v : args) VariantClear(&v);
    return a;
}

// A stand-in for a program's application object: the four properties the logger reads.
class FakeApp final : public IDispatch {
public:
    explicit FakeApp(bool withRevision) : withRevision_(withRevision) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) return E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        const wchar_t* known[] = {L"Title", L"Major", L"Minor", L"Revision"};
        for (int i = 0; i < (withRevision_ ? 4 : 3); ++i)
            if (_wcsicmp(names[0], known[i]) == 0) return *ids = i + 1, S_OK;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        if (id == 1) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(L"Тестовая программа");
        } else {
            V_VT(result) = VT_I2;  // the application object's numbers are 16-bit
            V_I2(result) = static_cast<SHORT>(id == 2 ? 3 : id == 3 ? 14 : 1592);
        }
        return S_OK;
    }
    ULONG refs_ = 1;

private:
    bool withRevision_;
};

class Derodor : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"derodor_test_" + std::to_wstring(GetCurrentProcessId()) + L"\\nested\\log";
        SetEnvironmentVariableW(L"DERODOR_LOG_DIR", folder_.c_str());
        CLSID clsid{};
        ASSERT_EQ(Hr(S_OK), Hr(CLSIDFromProgID(L"Derodor.nvkEventLogger", &clsid))) << "Derodor.dll is not registered";
        ASSERT_EQ(Hr(S_OK), Hr(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                                reinterpret_cast<void**>(&logger_))));
    }
    void TearDown() override {
        if (logger_) logger_->Release();
        SetEnvironmentVariableW(L"DERODOR_LOG_DIR", nullptr);
        const std::wstring root = folder_.substr(0, folder_.find(L"\\nested"));
        DeleteFileW((folder_ + L"\\Derodor.log").c_str());
        RemoveDirectoryW(folder_.c_str());
        RemoveDirectoryW((root + L"\\nested").c_str());
        RemoveDirectoryW(root.c_str());
        CoUninitialize();
    }
    std::wstring LogPath() const { return folder_ + L"\\Derodor.log"; }
    void Init2(const wchar_t* source) {
        Answer a = Call(logger_, L"InitEventLogger2", DISPATCH_METHOD,
                        {TextValue(L"WS-01"), TextValue(L"olga"), TextValue(source), LongValue(2), LongValue(5), LongValue(120), LongValue(4242),
                         LongValue(77), TextValue(L"C:\\Program Files\\Tessel\\Tessel.exe")});
        ASSERT_EQ(Hr(S_OK), Hr(a.hr));
    }
    Answer Report(const wchar_t* message, LONG type, const wchar_t* category, LONG id) {
        return Call(logger_, L"ReportEvent", DISPATCH_METHOD, {TextValue(message), LongValue(type), TextValue(category), LongValue(id)});
    }

    std::wstring folder_;
    IDispatch* logger_ = nullptr;
};

TEST_F(Derodor, ReportsBecomeLinesInTheLogFolderWhichIsMadeWhenMissing) {
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(folder_.c_str()));
    Init2(L"Tessel");
    ASSERT_EQ(Hr(S_OK), Hr(Report(L"Error number: 9\r\nDescription:  a\tb\\c", 2, L"Runtime Error", 9).hr));
    const std::vector<std::string> lines = ReadLines(LogPath());
    ASSERT_EQ(1u, lines.size());
    const std::vector<std::string> fields = Split(lines[0], '\t');
    ASSERT_EQ(11u, fields.size()) << lines[0];
    EXPECT_EQ(24u, fields[0].size()) << "time " << fields[0];
    EXPECT_EQ('Z', fields[0].back());
    EXPECT_EQ("2", fields[1]);
    EXPECT_EQ("Runtime Error", fields[2]);
    EXPECT_EQ("9", fields[3]);
    EXPECT_EQ("Tessel", fields[4]);
    EXPECT_EQ("2.5.120", fields[5]);
    EXPECT_EQ("olga", fields[6]);
    EXPECT_EQ("WS-01", fields[7]);
    EXPECT_EQ("4242", fields[8]);
    EXPECT_EQ("77", fields[9]);
    EXPECT_EQ("Error number: 9\\r\\nDescription:  a\\tb\\\\c", fields[10]);
}

TEST_F(Derodor, LaterReportsNeverLoseEarlierLines) {
    Init2(L"Tessel");
    ASSERT_EQ(Hr(S_OK), Hr(Report(L"first", 2, L"Runtime Error", 1).hr));
    // Another logger object, as a second program would have, appends to the same file.
    IDispatch* second = nullptr;
    CLSID clsid{};
    CLSIDFromProgID(L"Derodor.nvkEventLogger", &clsid);
    ASSERT_EQ(Hr(S_OK), Hr(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                            reinterpret_cast<void**>(&second))));
    ASSERT_EQ(Hr(S_OK), Hr(Call(second, L"ReportEvent", DISPATCH_METHOD,
                                {TextValue(L"second"), LongValue(4), TextValue(L"Win32 API Error"), LongValue(5)}).hr));
    second->Release();
    ASSERT_EQ(Hr(S_OK), Hr(Report(L"third", 2, L"WinMM.DLL Error", 3).hr));
    const std::vector<std::string> lines = ReadLines(LogPath());
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("first", Split(lines[0], '\t')[10]);
    EXPECT_EQ("second", Split(lines[1], '\t')[10]);
    EXPECT_EQ("third", Split(lines[2], '\t')[10]);
    // Before any initialisation a report still names this process.
    EXPECT_EQ("", Split(lines[1], '\t')[4]);
    EXPECT_EQ(std::to_string(GetCurrentProcessId()), Split(lines[1], '\t')[8]);
}

TEST_F(Derodor, ConcurrentReportsStayWholeLines) {
    constexpr int kPerThread = 150;
    std::wstring failures[2];
    auto writer = [](const wchar_t* tag, std::wstring& failed) {
        CoInitialize(nullptr);
        CLSID clsid{};
        CLSIDFromProgID(L"Derodor.nvkEventLogger", &clsid);
        IDispatch* own = nullptr;
        if (SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                       reinterpret_cast<void**>(&own)))) {
            for (int i = 0; i < kPerThread; ++i) {
                Answer a = Call(own, L"ReportEvent", DISPATCH_METHOD,
                                {TextValue(tag), LongValue(i), TextValue(L"Runtime Error"), LongValue(i)});
                if (FAILED(a.hr) && failed.empty())
                    failed = a.excep.bstrDescription ? a.excep.bstrDescription : L"failed";
                SysFreeString(a.excep.bstrSource);
                SysFreeString(a.excep.bstrDescription);
            }
            own->Release();
        }
        CoUninitialize();
    };
    // Neither writer finds the folder: both make it at once.
    std::thread a(writer, L"thread-a", std::ref(failures[0])), b(writer, L"thread-b", std::ref(failures[1]));
    a.join();
    b.join();
    EXPECT_EQ(L"", failures[0] + failures[1]);
    const std::vector<std::string> lines = ReadLines(LogPath());
    ASSERT_EQ(2u * kPerThread, lines.size());
    int fromA = 0;
    for (const std::string& line : lines) {
        const std::vector<std::string> fields = Split(line, '\t');
        ASSERT_EQ(11u, fields.size()) << line;
        fromA += fields[10] == "thread-a";
    }
    EXPECT_EQ(kPerThread, fromA);
}

TEST_F(Derodor, TextsAreWrittenAsUtf8) {
    Init2(L"Тессель");
    ASSERT_EQ(Hr(S_OK), Hr(Report(L"Поток не найден", 2, L"Runtime Error", 53).hr));
    const std::vector<std::string> fields = Split(ReadLines(LogPath()).at(0), '\t');
    EXPECT_EQ(Utf8(L"Тессель"), fields[4]);
    EXPECT_EQ(Utf8(L"Поток не найден"), fields[10]);
}

TEST_F(Derodor, FirstVersionReadsTheApplicationObject) {
    FakeApp app(true);
    VARIANT object;
    V_VT(&object) = VT_DISPATCH;
    V_DISPATCH(&object) = &app;
    app.AddRef();
    Answer a = Call(logger_, L"InitEventLogger", DISPATCH_METHOD,
                    {TextValue(L"WS-02"), TextValue(L"ivan"), object, LongValue(10), LongValue(20), TextValue(L"C:\\x.exe")});
    ASSERT_EQ(Hr(S_OK), Hr(a.hr));
    EXPECT_EQ(1u, app.refs_) << "the logger keeps no reference to the application object";
    ASSERT_EQ(Hr(S_OK), Hr(Report(L"m", 2, L"c", 1).hr));
    const std::vector<std::string> fields = Split(ReadLines(LogPath()).at(0), '\t');
    EXPECT_EQ(Utf8(L"Тестовая программа"), fields[4]);
    EXPECT_EQ("3.14.1592", fields[5]);
    EXPECT_EQ("ivan", fields[6]);
    EXPECT_EQ("WS-02", fields[7]);

    // An object without one of the four properties is refused with a reason.
    FakeApp partial(false);
    V_VT(&object) = VT_DISPATCH;
    V_DISPATCH(&object) = &partial;
    partial.AddRef();
    a = Call(logger_, L"InitEventLogger", DISPATCH_METHOD,
             {TextValue(L"WS-02"), TextValue(L"ivan"), object, LongValue(10), LongValue(20), TextValue(L"C:\\x.exe")});
    ASSERT_EQ(Hr(DISP_E_EXCEPTION), Hr(a.hr));
    EXPECT_TRUE(FAILED(a.excep.scode));
    EXPECT_NE(nullptr, wcsstr(a.excep.bstrDescription, L"Revision")) << Utf8(a.excep.bstrDescription);
    EXPECT_STREQ(L"Derodor.nvkEventLogger", a.excep.bstrSource);
    SysFreeString(a.excep.bstrSource);
    SysFreeString(a.excep.bstrDescription);
}

TEST_F(Derodor, LogModeAndUserName) {
    Answer a = Call(logger_, L"logmode", DISPATCH_PROPERTYGET);  // names are found in any case
    ASSERT_EQ(Hr(S_OK), Hr(a.hr));
    EXPECT_EQ(VT_I4, V_VT(&a.result));
    EXPECT_EQ(2, V_I4(&a.result)) << "the folder named by DERODOR_LOG_DIR";
    SetEnvironmentVariableW(L"DERODOR_LOG_DIR", nullptr);
    a = Call(logger_, L"LogMode", DISPATCH_PROPERTYGET);
    EXPECT_EQ(1, V_I4(&a.result)) << "the user's own folder";
    SetEnvironmentVariableW(L"DERODOR_LOG_DIR", folder_.c_str());

    Init2(L"Tessel");
    ASSERT_EQ(Hr(S_OK), Hr(Call(logger_, L"UserName", DISPATCH_PROPERTYPUT, {TextValue(L"petr")}).hr));
    a = Call(logger_, L"UserName", DISPATCH_PROPERTYGET);
    ASSERT_EQ(VT_BSTR, V_VT(&a.result));
    EXPECT_STREQ(L"petr", V_BSTR(&a.result));
    VariantClear(&a.result);
    ASSERT_EQ(Hr(S_OK), Hr(Report(L"m", 2, L"c", 1).hr));
    EXPECT_EQ("petr", Split(ReadLines(LogPath()).at(0), '\t')[6]);
}

TEST_F(Derodor, ArgumentsByReferenceAndWrongCalls) {
    // Arguments by reference, as a program passes its variables.
    BSTR message = SysAllocString(L"by reference");
    LONG type = 4;
    VARIANT byRefText, byRefLong;
    V_VT(&byRefText) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&byRefText) = &message;
    V_VT(&byRefLong) = VT_I4 | VT_BYREF;
    V_I4REF(&byRefLong) = &type;
    Answer a = Call(logger_, L"ReportEvent", DISPATCH_METHOD, {byRefText, byRefLong, TextValue(L"c"), TextValue(L"17")});
    ASSERT_EQ(Hr(S_OK), Hr(a.hr));
    SysFreeString(message);
    const std::vector<std::string> fields = Split(ReadLines(LogPath()).at(0), '\t');
    EXPECT_EQ("by reference", fields[10]);
    EXPECT_EQ("4", fields[1]);
    EXPECT_EQ("17", fields[3]) << "numbers given as text are converted";

    EXPECT_EQ(Hr(DISP_E_BADPARAMCOUNT), Hr(Call(logger_, L"ReportEvent", DISPATCH_METHOD, {TextValue(L"m")}).hr));
    a = Call(logger_, L"ReportEvent", DISPATCH_METHOD, {TextValue(L"m"), TextValue(L"two"), TextValue(L"c"), LongValue(1)});
    EXPECT_EQ(Hr(DISP_E_TYPEMISMATCH), Hr(a.hr));
    EXPECT_EQ(2u, a.argErr) << "the second argument, counted from the last";
    EXPECT_EQ(Hr(DISP_E_UNKNOWNNAME), Hr(Call(logger_, L"NoSuchMember", DISPATCH_METHOD).hr));
    EXPECT_EQ(Hr(DISP_E_MEMBERNOTFOUND), Hr(Call(logger_, L"LogMode", DISPATCH_PROPERTYPUT, {LongValue(1)}).hr));
    EXPECT_EQ(1u, ReadLines(LogPath()).size()) << "refused calls write nothing";
}

TEST_F(Derodor, AFolderThatCannotBeMadeIsReported) {
    // A file stands where the folder should be.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring blocker = std::wstring(temp) + L"derodor_blocker_" + std::to_wstring(GetCurrentProcessId());
    HANDLE file = CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    SetEnvironmentVariableW(L"DERODOR_LOG_DIR", (blocker + L"\\log").c_str());
    Answer a = Report(L"m", 2, L"c", 1);
    EXPECT_EQ(Hr(DISP_E_EXCEPTION), Hr(a.hr));
    EXPECT_TRUE(FAILED(a.excep.scode)) << Hr(a.excep.scode);
    EXPECT_NE(nullptr, wcsstr(a.excep.bstrDescription, L"event log")) << Utf8(a.excep.bstrDescription);
    SysFreeString(a.excep.bstrSource);
    SysFreeString(a.excep.bstrDescription);
    DeleteFileW(blocker.c_str());
}

TEST(DerodorServer, RegistrationAndUnloading) {
    HMODULE dll = LoadLibraryW(kelmor::test::BesideExe(L"Derodor.dll").c_str());
    ASSERT_NE(nullptr, dll);
    using Entry = HRESULT(STDAPICALLTYPE*)();
    using GetClass = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto canUnload = kelmor::test::Export<Entry>(dll, "DllCanUnloadNow");
    auto getClass = kelmor::test::Export<GetClass>(dll, "DllGetClassObject");
    ASSERT_TRUE(canUnload && getClass);
    CLSID clsid{};
    ASSERT_EQ(Hr(S_OK), Hr(CLSIDFromProgID(L"Derodor.nvkEventLogger", &clsid)));
    EXPECT_EQ(L"Apartment", kelmor::test::KeyText(L"CLSID\\{49618C97-6497-4F6D-8BAC-764AE15F4BED}\\InprocServer32",
                                                  L"ThreadingModel"));

    EXPECT_EQ(Hr(S_OK), Hr(canUnload()));
    IClassFactory* factory = nullptr;
    EXPECT_EQ(Hr(CLASS_E_CLASSNOTAVAILABLE), Hr(getClass(IID_IUnknown, IID_IClassFactory, reinterpret_cast<void**>(&factory))));
    ASSERT_EQ(Hr(S_OK), Hr(getClass(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))));
    IDispatch* logger = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&logger))));
    EXPECT_EQ(Hr(S_FALSE), Hr(canUnload()));
    factory->Release();
    EXPECT_EQ(Hr(S_FALSE), Hr(canUnload())) << "the logger is alive";
    logger->Release();
    EXPECT_EQ(Hr(S_OK), Hr(canUnload()));
    FreeLibrary(dll);
}

}  // namespace
