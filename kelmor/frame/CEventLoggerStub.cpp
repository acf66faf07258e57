#include "CEventLoggerStub.h"

#include <oleauto.h>

#include "NevkitSupport0100.h"
#include "Owners.h"
#include "LateBound.h"
#include "modEventLoggerSupport.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {

CEventLoggerStub* CEventLoggerStub::New() { return DispatchObject::New<CEventLoggerStub>(); }

CEventLoggerStub::CEventLoggerStub() : version1_(this), version2_(this) {}

void* CEventLoggerStub::QueryOther(REFIID riid) {
    if (IsEqualIID(riid, __uuidof(IEventLogger))) return static_cast<IEventLogger*>(&version1_);
    if (IsEqualIID(riid, __uuidof(IEventLogger2))) return static_cast<IEventLogger2*>(&version2_);
    return nullptr;
}

HRESULT CEventLoggerStub::InterfaceSupportsErrorInfo(REFIID riid) {
    return IsEqualIID(riid, __uuidof(IEventLogger)) || IsEqualIID(riid, __uuidof(IEventLogger2)) ||
                   IsEqualIID(riid, __uuidof(IEventLogger3))
               ? S_OK
               : S_FALSE;
}

HRESULT CEventLoggerStub::InitEventLogger(BSTR ComputerName, BSTR UserName, IDispatch* AppObject, LONG ProcessId,
                                          LONG ThreadId, BSTR ModuleFileName) {
    return Guard([&]() -> HRESULT {
        const ComPtr<IDispatch> inner = inner_;  // the logger stays alive for the call
        if (!inner) return S_OK;
        VARIANT args[] = {late::TextArg(ComputerName), late::TextArg(UserName), late::ObjectArg(AppObject),
                          late::LongArg(ProcessId),    late::LongArg(ThreadId), late::TextArg(ModuleFileName)};
        return late::Call(inner.Get(), L"InitEventLogger", DISPATCH_METHOD, args, nullptr, kLibraryName);
    });
}

HRESULT CEventLoggerStub::InitEventLogger2(BSTR ComputerName, BSTR UserName, BSTR SourceName, LONG VerMajor,
                                           LONG VerMinor, LONG VerRevision, LONG ProcessId, LONG ThreadId,
                                           BSTR ModuleFileName) {
    return Guard([&]() -> HRESULT {
        const ComPtr<IDispatch> inner = inner_;
        if (!inner) return S_OK;
        VARIANT args[] = {late::TextArg(ComputerName), late::TextArg(UserName), late::TextArg(SourceName),
                          late::LongArg(VerMajor),     late::LongArg(VerMinor), late::LongArg(VerRevision),
                          late::LongArg(ProcessId),    late::LongArg(ThreadId), late::TextArg(ModuleFileName)};
        return late::Call(inner.Get(), L"InitEventLogger2", DISPATCH_METHOD, args, nullptr, kLibraryName);
    });
}

HRESULT CEventLoggerStub::get_LogMode(LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = 0;
    return Guard([&]() -> HRESULT {
        const ComPtr<IDispatch> inner = inner_;
        if (!inner) return S_OK;
        UniqueVariant answer;
        HRESULT hr = late::Call(inner.Get(), L"LogMode", DISPATCH_PROPERTYGET, {}, answer.get(), kLibraryName);
        if (FAILED(hr)) return hr;
        UniqueVariant mode;
        if (FAILED(VariantChangeType(mode.get(), answer.get(), 0, VT_I4))) return Raise(13);
        *Result = V_I4(mode.get());
        return S_OK;
    });
}

HRESULT CEventLoggerStub::ReportEvent(BSTR Message, LONG EventType, BSTR EventCategory, LONG EventId) {
    return Guard([&]() -> HRESULT {
        const ComPtr<IDispatch> inner = inner_;
        if (!inner) return S_OK;
        VARIANT args[] = {late::TextArg(Message), late::LongArg(EventType), late::TextArg(EventCategory), late::LongArg(EventId)};
        return late::Call(inner.Get(), L"ReportEvent", DISPATCH_METHOD, args, nullptr, kLibraryName);
    });
}

HRESULT CEventLoggerStub::get_UserName(BSTR* Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    return Guard([&]() -> HRESULT {
        const ComPtr<IDispatch> inner = inner_;
        if (!inner) {
            const LONG status = nkGetUserName(Result);
            if (status >= 0) return S_OK;
            return RaiseSupportStatus(status, ErrorSourceOf(__uuidof(IEventLogger3)));
        }
        UniqueVariant answer;
        HRESULT hr = late::Call(inner.Get(), L"UserName", DISPATCH_PROPERTYGET, {}, answer.get(), kLibraryName);
        if (FAILED(hr)) return hr;
        UniqueVariant name;
        if (FAILED(VariantChangeType(name.get(), answer.get(), 0, VT_BSTR))) return Raise(13);
        *Result = V_BSTR(name.get());
        V_VT(name.get()) = VT_EMPTY;  // handed over
        return S_OK;
    });
}

HRESULT CEventLoggerStub::put_UserName(BSTR Value) {
    return Guard([&]() -> HRESULT {
        const ComPtr<IDispatch> inner = inner_;
        if (!inner) return S_OK;
        VARIANT args[] = {late::TextArg(Value)};
        return late::Call(inner.Get(), L"UserName", DISPATCH_PROPERTYPUT, args, nullptr, kLibraryName);
    });
}

}  // namespace kelmor
