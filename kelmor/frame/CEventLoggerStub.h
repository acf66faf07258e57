// The thread's event logger as the library and its clients see it: all three versions of the
// logger interface, each call handed on by name to the attached outside logger, or answered
// here when none is attached. So reports can always be sent, whatever logger (of whatever
// version) is installed, or none.
#pragma once

#include <wrl/client.h>

#include "DispatchObject.h"
#include "Kelmor0200.h"
#include "Module.h"

namespace kelmor {

class CEventLoggerStub final : public DispatchObject<IEventLogger3> {
public:
    // A stub with nothing attached, one reference held by the caller; nullptr when out of memory.
    static CEventLoggerStub* New();

    CEventLoggerStub();

    // The attached outside logger (library-internal: no interface carries it); null when none.
    IDispatch* InnerLogger() const { return inner_.Get(); }
    // Attaches `logger` in place of the one attached before, which is released; null detaches.
    void SetInnerLogger(IDispatch* logger) { inner_ = logger; }

    HRESULT STDMETHODCALLTYPE InitEventLogger(BSTR ComputerName, BSTR UserName, IDispatch* AppObject, LONG ProcessId,
                                              LONG ThreadId, BSTR ModuleFileName) override;
    HRESULT STDMETHODCALLTYPE InitEventLogger2(BSTR ComputerName, BSTR UserName, BSTR SourceName, LONG VerMajor,
                                               LONG VerMinor, LONG VerRevision, LONG ProcessId, LONG ThreadId,
                                               BSTR ModuleFileName) override;
    HRESULT STDMETHODCALLTYPE get_LogMode(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE ReportEvent(BSTR Message, LONG EventType, BSTR EventCategory, LONG EventId) override;
    HRESULT STDMETHODCALLTYPE get_UserName(BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE put_UserName(BSTR Value) override;

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

protected:
    void* QueryOther(REFIID riid) override;

private:
    // The object seen through an earlier version of the interface: its own table and its own
    // member ids for IDispatch callers, every call handed to the stub.
    template <class Iface>
    class Face : public TypeLibDispatch<Iface> {
    public:
        explicit Face(CEventLoggerStub* owner) : owner_(owner) {}
        Face(const Face&) = delete;
        Face& operator=(const Face&) = delete;

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
            return owner_->QueryInterface(riid, ppv);
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }
        HRESULT STDMETHODCALLTYPE InitEventLogger(BSTR ComputerName, BSTR UserName, IDispatch* AppObject,
                                                  LONG ProcessId, LONG ThreadId, BSTR ModuleFileName) override {
            return owner_->InitEventLogger(ComputerName, UserName, AppObject, ProcessId, ThreadId, ModuleFileName);
        }
        HRESULT STDMETHODCALLTYPE get_LogMode(LONG* Result) override { return owner_->get_LogMode(Result); }
        HRESULT STDMETHODCALLTYPE ReportEvent(BSTR Message, LONG EventType, BSTR EventCategory,
                                              LONG EventId) override {
            return owner_->ReportEvent(Message, EventType, EventCategory, EventId);
        }

    protected:
        CEventLoggerStub* owner_;
    };

    class Face2 final : public Face<IEventLogger2> {
    public:
        using Face::Face;
        HRESULT STDMETHODCALLTYPE InitEventLogger2(BSTR ComputerName, BSTR UserName, BSTR SourceName, LONG VerMajor,
                                                   LONG VerMinor, LONG VerRevision, LONG ProcessId, LONG ThreadId,
                                                   BSTR ModuleFileName) override {
            return owner_->InitEventLogger2(ComputerName, UserName, SourceName, VerMajor, VerMinor, VerRevision,
                                            ProcessId, ThreadId, ModuleFileName);
        }
    };

    Face<IEventLogger> version1_;
    Face2 version2_;
    Microsoft::WRL::ComPtr<IDispatch> inner_;
};

}  // namespace kelmor
