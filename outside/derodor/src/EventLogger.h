// The event logger: remembers who reports (computer, user, program, version, process) and
// appends every report as one line to the log file. Late-bound only: its members are reached
// through IDispatch by name.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace derodor {

// Where reports go (the value of LogMode).
enum LogMode : LONG {
    kLogNowhere = 0,       // no folder for the log could be found
    kLogUserFolder = 1,    // %LOCALAPPDATA%\Nevkit\Derodor\Derodor.log
    kLogChosenFolder = 2,  // Derodor.log in the folder named by the DERODOR_LOG_DIR environment variable
};

class EventLogger final : public IDispatch, public ISupportErrorInfo {
public:
    EventLogger();
    EventLogger(const EventLogger&) = delete;
    EventLogger& operator=(const EventLogger&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch (no type information: members are found by name)
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override;
    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    ~EventLogger();

    struct Call;  // one Invoke: its arguments and where its error goes
    HRESULT InitEventLogger(Call& call);
    HRESULT InitEventLogger2(Call& call);
    HRESULT ReportEvent(Call& call);

    // The folder of the log and the mode that chose it; empty with kLogNowhere.
    static LogMode LogFolder(std::wstring& folder);

    LONG refs_ = 1;
    bool initialised_ = false;
    std::wstring computer_;
    std::wstring user_;
    std::wstring source_;
    LONG major_ = 0;
    LONG minor_ = 0;
    LONG revision_ = 0;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    std::wstring moduleFileName_;
};

}  // namespace derodor
