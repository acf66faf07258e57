#include "EventLogger.h"

#include <oleauto.h>
#include <shlobj.h>

#include <cwchar>
#include <string>
#include <vector>

#include "LogLine.h"
#include "Server.h"

namespace derodor {
namespace {

enum MemberId : DISPID {
    kInitEventLogger = 1,
    kInitEventLogger2 = 2,
    kLogModeId = 3,
    kReportEvent = 4,
    kUserName = 5,
};

struct MemberName {
    const wchar_t* name;
    DISPID id;
};

const MemberName kMembers[] = {
    {L"InitEventLogger", kInitEventLogger},
    {L"InitEventLogger2", kInitEventLogger2},
    {L"LogMode", kLogModeId},
    {L"ReportEvent", kReportEvent},
    {L"UserName", kUserName},
};

constexpr wchar_t kLogFileName[] = L"Derodor.log";
constexpr wchar_t kLogDirVariable[] = L"DERODOR_LOG_DIR";

std::u16string U16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

std::wstring SystemText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring out = n ? std::wstring(text, n) : L"error " + std::to_wstring(code);
    if (text) LocalFree(text);
    while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r' || out.back() == L' ')) out.pop_back();
    return out;
}

std::wstring Environment(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    const DWORD n = GetEnvironmentVariableW(name, value.data(), size);
    value.resize(n < size ? n : 0);
    return value;
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD n = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(n < size ? n : 0);
    return full.empty() ? path : full;
}

// Reads a property of an object by name, converted to `type`.
HRESULT PropertyByName(IDispatch* object, const wchar_t* name, VARTYPE type, VARIANT& value) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS none{};
    VARIANT raw;
    VariantInit(&raw);
    EXCEPINFO excep{};
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &raw, &excep, nullptr);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    if (SUCCEEDED(hr)) hr = VariantChangeType(&value, &raw, 0, type);
    VariantClear(&raw);
    return hr;
}

}  // namespace

// One Invoke: its arguments in the member's order and the exception information it fills.
struct EventLogger::Call {
    DISPPARAMS* params;
    EXCEPINFO* excep;
    UINT* argErr;

    UINT Count() const { return params ? params->cArgs : 0; }

    // Argument `i` (0 = the member's first parameter) converted to `type`.
    HRESULT Argument(UINT i, VARTYPE type, VARIANT& value) const {
        const UINT position = Count() - 1 - i;  // arguments arrive last first
        VARIANT direct;
        VariantInit(&direct);
        HRESULT hr = VariantCopyInd(&direct, &params->rgvarg[position]);
        if (SUCCEEDED(hr)) hr = VariantChangeType(&value, &direct, 0, type);
        VariantClear(&direct);
        if (FAILED(hr)) {
            if (argErr) *argErr = position;
            return DISP_E_TYPEMISMATCH;
        }
        return S_OK;
    }
    HRESULT Text(UINT i, std::wstring& out) const {
        VARIANT v;
        VariantInit(&v);
        HRESULT hr = Argument(i, VT_BSTR, v);
        if (SUCCEEDED(hr)) out.assign(V_BSTR(&v) ? V_BSTR(&v) : L"", SysStringLen(V_BSTR(&v)));
        VariantClear(&v);
        return hr;
    }
    HRESULT Long(UINT i, LONG& out) const {
        VARIANT v;
        VariantInit(&v);
        HRESULT hr = Argument(i, VT_I4, v);
        if (SUCCEEDED(hr)) out = V_I4(&v);
        return hr;
    }

    // Reports an error of the logger to the caller.
    HRESULT Fail(HRESULT code, const std::wstring& description) const {
        if (excep) {
            *excep = EXCEPINFO{};
            excep->scode = code;
            excep->bstrSource = SysAllocString(kProgId);
            excep->bstrDescription = SysAllocString(description.c_str());
        }
        return DISP_E_EXCEPTION;
    }
};

EventLogger::EventLogger() { LockModule(); }
EventLogger::~EventLogger() { UnlockModule(); }

HRESULT EventLogger::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) {
        *ppv = static_cast<IDispatch*>(this);
    } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
        *ppv = static_cast<ISupportErrorInfo*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG EventLogger::AddRef() { return InterlockedIncrement(&refs_); }

ULONG EventLogger::Release() {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
}

HRESULT EventLogger::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT EventLogger::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT EventLogger::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (const MemberName& member : kMembers) {
        if (names[0] && CompareStringOrdinal(names[0], -1, member.name, -1, TRUE) == CSTR_EQUAL) {
            ids[0] = member.id;
            // The members take no named arguments.
            return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT EventLogger::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* excep, UINT* argErr) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    DISPPARAMS none{};
    if (!params) params = &none;
    Call call{params, excep, argErr};
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    const bool get = (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
    if (put) {
        if (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) return DISP_E_PARAMNOTOPTIONAL;
    } else if (params->cNamedArgs > 0) {
        return DISP_E_NONAMEDARGS;
    }
    if (result) VariantInit(result);
    try {
        switch (id) {
        case kInitEventLogger:
        case kInitEventLogger2:
        case kReportEvent: {
            if (!(flags & DISPATCH_METHOD) || put) return DISP_E_MEMBERNOTFOUND;
            const UINT expected = id == kInitEventLogger ? 6 : id == kInitEventLogger2 ? 9 : 4;
            if (call.Count() != expected) return DISP_E_BADPARAMCOUNT;
            return id == kInitEventLogger ? InitEventLogger(call)
                   : id == kInitEventLogger2 ? InitEventLogger2(call)
                                             : ReportEvent(call);
        }
        case kLogModeId: {
            if (put || !get) return DISP_E_MEMBERNOTFOUND;
            if (call.Count() != 0) return DISP_E_BADPARAMCOUNT;
            std::wstring folder;
            const LogMode mode = LogFolder(folder);
            if (result) {
                V_VT(result) = VT_I4;
                V_I4(result) = mode;
            }
            return S_OK;
        }
        case kUserName: {
            if (put) {
                if (call.Count() != 1) return DISP_E_BADPARAMCOUNT;
                std::wstring user;
                HRESULT hr = call.Text(0, user);
                if (FAILED(hr)) return hr;
                user_ = std::move(user);
                return S_OK;
            }
            if (!get) return DISP_E_MEMBERNOTFOUND;
            if (call.Count() != 0) return DISP_E_BADPARAMCOUNT;
            if (result) {
                V_VT(result) = VT_BSTR;
                V_BSTR(result) = SysAllocStringLen(user_.data(), static_cast<UINT>(user_.size()));
                if (!V_BSTR(result)) {
                    V_VT(result) = VT_EMPTY;
                    return E_OUTOFMEMORY;
                }
            }
            return S_OK;
        }
        default: return DISP_E_MEMBERNOTFOUND;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT EventLogger::InterfaceSupportsErrorInfo(REFIID riid) {
    return IsEqualIID(riid, IID_IDispatch) ? S_OK : S_FALSE;
}

// InitEventLogger(ComputerName, UserName, AppObject, ProcessId, ThreadId, ModuleFileName): the
// program's title and version are read from its application object.
HRESULT EventLogger::InitEventLogger(Call& call) {
    std::wstring computer, user, module;
    LONG processId = 0, threadId = 0;
    HRESULT hr = call.Text(0, computer);
    if (SUCCEEDED(hr)) hr = call.Text(1, user);
    VARIANT app;
    VariantInit(&app);
    if (SUCCEEDED(hr)) hr = call.Argument(2, VT_DISPATCH, app);
    if (SUCCEEDED(hr)) hr = call.Long(3, processId);
    if (SUCCEEDED(hr)) hr = call.Long(4, threadId);
    if (SUCCEEDED(hr)) hr = call.Text(5, module);
    if (FAILED(hr)) {
        VariantClear(&app);
        return hr;
    }
    IDispatch* appObject = V_DISPATCH(&app);
    if (!appObject) {
        VariantClear(&app);
        return call.Fail(E_POINTER, L"InitEventLogger needs an application object.");
    }
    VARIANT title, major, minor, revision;
    for (VARIANT* v : {&title, &major, &minor, &revision}) VariantInit(v);
    const wchar_t* missing = nullptr;
    if (FAILED(hr = PropertyByName(appObject, L"Title", VT_BSTR, title))) missing = L"Title";
    else if (FAILED(hr = PropertyByName(appObject, L"Major", VT_I4, major))) missing = L"Major";
    else if (FAILED(hr = PropertyByName(appObject, L"Minor", VT_I4, minor))) missing = L"Minor";
    else if (FAILED(hr = PropertyByName(appObject, L"Revision", VT_I4, revision))) missing = L"Revision";
    if (!missing) {
        computer_ = std::move(computer);
        user_ = std::move(user);
        source_.assign(V_BSTR(&title) ? V_BSTR(&title) : L"", SysStringLen(V_BSTR(&title)));
        major_ = V_I4(&major);
        minor_ = V_I4(&minor);
        revision_ = V_I4(&revision);
        processId_ = static_cast<DWORD>(processId);
        threadId_ = static_cast<DWORD>(threadId);
        moduleFileName_ = std::move(module);
        initialised_ = true;
    }
    for (VARIANT* v : {&title, &major, &minor, &revision, &app}) VariantClear(v);
    if (missing) {
        return call.Fail(hr, std::wstring(L"The application object did not give its ") + missing + L": " +
                                 SystemText(static_cast<DWORD>(hr)));
    }
    return S_OK;
}

// InitEventLogger2(ComputerName, UserName, SourceName, VerMajor, VerMinor, VerRevision,
// ProcessId, ThreadId, ModuleFileName).
HRESULT EventLogger::InitEventLogger2(Call& call) {
    std::wstring computer, user, source, module;
    LONG major = 0, minor = 0, revision = 0, processId = 0, threadId = 0;
    HRESULT hr = call.Text(0, computer);
    if (SUCCEEDED(hr)) hr = call.Text(1, user);
    if (SUCCEEDED(hr)) hr = call.Text(2, source);
    if (SUCCEEDED(hr)) hr = call.Long(3, major);
    if (SUCCEEDED(hr)) hr = call.Long(4, minor);
    if (SUCCEEDED(hr)) hr = call.Long(5, revision);
    if (SUCCEEDED(hr)) hr = call.Long(6, processId);
    if (SUCCEEDED(hr)) hr = call.Long(7, threadId);
    if (SUCCEEDED(hr)) hr = call.Text(8, module);
    if (FAILED(hr)) return hr;
    computer_ = std::move(computer);
    user_ = std::move(user);
    source_ = std::move(source);
    major_ = major;
    minor_ = minor;
    revision_ = revision;
    processId_ = static_cast<DWORD>(processId);
    threadId_ = static_cast<DWORD>(threadId);
    moduleFileName_ = std::move(module);
    initialised_ = true;
    return S_OK;
}

LogMode EventLogger::LogFolder(std::wstring& folder) {
    folder = Environment(kLogDirVariable);
    if (!folder.empty()) {
        folder = FullPath(folder);
        return kLogChosenFolder;
    }
    wchar_t base[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)) || !base[0]) {
        folder.clear();
        return kLogNowhere;
    }
    folder = std::wstring(base) + L"\\Nevkit\\Derodor";
    return kLogUserFolder;
}

// ReportEvent(Message, EventType, EventCategory, EventId): one line at the end of the log.
HRESULT EventLogger::ReportEvent(Call& call) {
    core::LogRecord record;
    std::wstring message, category;
    LONG eventType = 0, eventId = 0;
    HRESULT hr = call.Text(0, message);
    if (SUCCEEDED(hr)) hr = call.Long(1, eventType);
    if (SUCCEEDED(hr)) hr = call.Text(2, category);
    if (SUCCEEDED(hr)) hr = call.Long(3, eventId);
    if (FAILED(hr)) return hr;
    record.eventType = eventType;
    record.eventId = eventId;

    SYSTEMTIME now;
    GetSystemTime(&now);
    record.time = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
    record.message = U16(message);
    record.category = U16(category);
    record.source = U16(source_);
    record.major = major_;
    record.minor = minor_;
    record.revision = revision_;
    record.user = U16(user_);
    record.computer = U16(computer_);
    record.processId = initialised_ ? processId_ : GetCurrentProcessId();
    record.threadId = initialised_ ? threadId_ : GetCurrentThreadId();
    const std::string line = core::FormatLogLine(record);

    std::wstring folder;
    if (LogFolder(folder) == kLogNowhere) {
        return call.Fail(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND), L"There is no folder for the event log.");
    }
    // The folder is made when it is missing; the file is only ever appended to.
    const int made = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) {
        return call.Fail(HRESULT_FROM_WIN32(made),
                         L"Cannot make the event log folder " + folder + L": " + SystemText(made));
    }
    const std::wstring path = folder + L"\\" + kLogFileName;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return call.Fail(HRESULT_FROM_WIN32(error), L"Cannot open the event log " + path + L": " + SystemText(error));
    }
    // Reports of every program and thread are added one at a time, each as one write at the
    // end of the file, so lines never overwrite or cut into each other. The lock is held on one
    // byte far beyond the end of any log, which keeps readers of the log undisturbed. A file
    // system without locks still gets the line.
    OVERLAPPED token{};
    token.OffsetHigh = 0x40000000;
    const bool locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &token) != FALSE;
    const LARGE_INTEGER atEnd{};
    DWORD written = 0;
    BOOL ok = SetFilePointerEx(file, atEnd, nullptr, FILE_END);
    if (ok) ok = WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
    if (locked) UnlockFileEx(file, 0, 1, 0, &token);
    CloseHandle(file);
    if (!ok || written != line.size()) {
        const DWORD code = ok ? ERROR_WRITE_FAULT : error;
        return call.Fail(HRESULT_FROM_WIN32(code), L"Cannot write the event log " + path + L": " + SystemText(code));
    }
    return S_OK;
}

}  // namespace derodor
