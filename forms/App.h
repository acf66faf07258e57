// The forms runtime's application object (interface _App): the program's title, version
// numbers and file information, and settings of the runtime that a program of this project never
// uses. This class answers every member; what it does not know it answers with an empty text,
// 0 or False, and settings written to it are accepted and ignored. Derived classes fill the
// values they know.
#pragma once

#include <string>

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class App : public DispatchObject<_App> {
public:
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_EXEName(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_Title(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_Title(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_PrevInstance(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE get_StartMode(short* Value) override;
    HRESULT STDMETHODCALLTYPE get_TaskVisible(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_TaskVisible(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_OleServerBusyTimeout(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_OleServerBusyTimeout(LONG Value) override;
    HRESULT STDMETHODCALLTYPE get_OleServerBusyMsgTitle(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_OleServerBusyMsgTitle(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_OleServerBusyMsgText(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_OleServerBusyMsgText(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_OleServerBusyRaiseError(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE put_OleServerBusyRaiseError(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_OleRequestPendingTimeout(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_OleRequestPendingTimeout(LONG Value) override;
    HRESULT STDMETHODCALLTYPE get_OleRequestPendingMsgTitle(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_OleRequestPendingMsgTitle(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_OleRequestPendingMsgText(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_OleRequestPendingMsgText(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_Major(short* Value) override;
    HRESULT STDMETHODCALLTYPE get_Minor(short* Value) override;
    HRESULT STDMETHODCALLTYPE get_Revision(short* Value) override;
    HRESULT STDMETHODCALLTYPE get_Comments(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_CompanyName(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_FileDescription(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_LegalCopyright(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_LegalTrademarks(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_ProductName(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_hInstance(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_NonModalAllowed(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE get_LogPath(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE get_LogMode(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_UnattendedApp(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE get_ThreadID(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE get_HelpFile(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_HelpFile(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_RetainedProject(VARIANT_BOOL* Value) override;
    HRESULT STDMETHODCALLTYPE StartLogging(BSTR LogTarget, LONG LogModes) override;
    HRESULT STDMETHODCALLTYPE LogEvent(BSTR LogBuffer, VARIANT EventType) override;

    // Slots the runtime keeps for members of its own: never called by anyone but the runtime.
    HRESULT STDMETHODCALLTYPE ReservedSlot07() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot08() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot09() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot10() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot11() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot12() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot13() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot14() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot15() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot16() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot17() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot18() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot19() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot21() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot23() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot27() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot29() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot47() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot49() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot51() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot53() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot55() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot57() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot59() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot61() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot63() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot65() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot67() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot69() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot71() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot73() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReservedSlot75() override { return E_NOTIMPL; }

protected:
    App() = default;

    std::wstring title_;
    short major_ = 0;
    short minor_ = 0;
    short revision_ = 0;
    std::wstring path_;     // the program's folder, without a closing backslash
    std::wstring exeName_;  // the program's file name without its extension
    std::wstring comments_;
    std::wstring companyName_;
    std::wstring fileDescription_;
    std::wstring legalCopyright_;
    std::wstring legalTrademarks_;
    std::wstring productName_;
    LONG hInstance_ = 0;
    LONG threadId_ = 0;
};

}  // namespace kelmor
