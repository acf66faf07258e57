// Helpers of the application services tests: texts, late-bound calls, error information, the
// event log file, and a scripted outside logger.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "Variants.h"
#include "Text.h"

namespace kelmor::test {

// The thread's error information as "source|description" (taken).
inline std::wstring ErrorInfoText() {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return L"<none>";
    BSTR source = nullptr, description = nullptr;
    info->GetSource(&source);
    info->GetDescription(&description);
    info->Release();
    return Take(source) + L"|" + Take(description);
}

struct Invoked {
    HRESULT hr = E_FAIL;
    VARIANT result{};
    EXCEPINFO excep{};
    ~Invoked() {
        VariantClear(&result);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
    }
};

// A late-bound call by name, arguments in parameter order (they are cleared afterwards).
inline void CallByName(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args, Invoked& out) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    out.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (SUCCEEDED(out.hr)) {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        if (flags & DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &put;
            params.cNamedArgs = 1;
        }
        UINT argErr = 0;
        out.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &out.result, &out.excep, &argErr);
    }
    for (VARIANT& v : args) VariantClear(&v);
}

// The outside logger's file in the user's folder.
inline std::wstring UserLogPath() {
    wchar_t base[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base);
    return std::wstring(base) + L"\\Nevkit\\Derodor\\Derodor.log";
}

// The lines of the log (UTF-8, CR LF removed) that contain `token`.
inline std::vector<std::string> LogLinesWith(const std::wstring& path, const std::string& token) {
    std::vector<std::string> found;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return found;
    std::string all;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) all.append(buffer, read);
    CloseHandle(file);
    size_t start = 0;
    for (size_t end; (end = all.find("\r\n", start)) != std::string::npos; start = end + 2) {
        std::string line = all.substr(start, end - start);
        if (line.find(token) != std::string::npos) found.push_back(line);
    }
    return found;
}

inline std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = line.find('\t', start)) != std::string::npos; start = at + 1)
        parts.push_back(line.substr(start, at - start));
    parts.push_back(line.substr(start));
    return parts;
}

// A token no other run writes.
inline std::string UniqueToken(const char* what) {
    GUID g{};
    CoCreateGuid(&g);
    return std::string(what) + "-" + Utf8(kelmor::GuidText(g));
}

// An outside logger of any version, as a test scripts it: it answers the members it is given
// by name, records every call (member name and arguments as text) and can be told to fail
// ReportEvent.
class FakeLogger final : public IDispatch {
public:
    explicit FakeLogger(bool knowsUserName = true) : knowsUserName_(knowsUserName) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) return E_NOINTERFACE;
        *ppv = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return *n = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        const wchar_t* known[] = {L"InitEventLogger", L"InitEventLogger2", L"LogMode", L"ReportEvent", L"UserName"};
        for (int i = 0; i < (knowsUserName_ ? 5 : 4); ++i)
            if (_wcsicmp(names[0], known[i]) == 0) return *ids = i + 1, S_OK;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT*) override {
        static const wchar_t* names[] = {L"", L"InitEventLogger", L"InitEventLogger2", L"LogMode", L"ReportEvent",
                                         L"UserName"};
        std::wstring call = names[id];
        if (flags & DISPATCH_PROPERTYPUT) call += L"=";
        for (UINT i = params->cArgs; i-- > 0;) {
            const VARIANT& v = params->rgvarg[i];
            call += i + 1 == params->cArgs ? L"(" : L",";
            if (V_VT(&v) == VT_DISPATCH) {
                call += V_DISPATCH(&v) ? L"<object>" : L"<nothing>";
                lastObject = V_DISPATCH(&v);
            } else {
                VARIANT text;
                VariantInit(&text);
                VariantChangeType(&text, const_cast<VARIANT*>(&v), 0, VT_BSTR);
                call += FromBstr(V_BSTR(&text));
                VariantClear(&text);
            }
            if (i == 0) call += L")";
        }
        calls.push_back(call);
        if (id == 4 && failReport) {
            *excep = EXCEPINFO{};
            excep->scode = static_cast<HRESULT>(0x800A0035);
            excep->bstrSource = SysAllocString(L"FakeLogger");
            excep->bstrDescription = SysAllocString(L"The log is full");
            return DISP_E_EXCEPTION;
        }
        if (id == 3 && result) {
            V_VT(result) = VT_I2;
            V_I2(result) = 7;
        }
        if (id == 5 && result && !(flags & DISPATCH_PROPERTYPUT)) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(L"fake user");
        }
        return S_OK;
    }

    ULONG refs = 1;
    bool failReport = false;
    IDispatch* lastObject = nullptr;
    std::vector<std::wstring> calls;

private:
    bool knowsUserName_;
};

}  // namespace kelmor::test
