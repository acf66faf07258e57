#include "App.h"

#include <oleauto.h>

#include "Text.h"

namespace kelmor {
namespace {

template <class T>
HRESULT Value(T value, T* out) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

}  // namespace

HRESULT App::get_Path(BSTR* Value) { return ToBstr(path_, Value); }
HRESULT App::get_EXEName(BSTR* Value) { return ToBstr(exeName_, Value); }
HRESULT App::get_Title(BSTR* Value) { return ToBstr(title_, Value); }
HRESULT App::put_Title(BSTR Value) {
    return Guard([&] {
        title_ = FromBstr(Value);
        return S_OK;
    });
}
HRESULT App::get_Major(short* Value) { return kelmor::Value(major_, Value); }
HRESULT App::get_Minor(short* Value) { return kelmor::Value(minor_, Value); }
HRESULT App::get_Revision(short* Value) { return kelmor::Value(revision_, Value); }
HRESULT App::get_Comments(BSTR* Value) { return ToBstr(comments_, Value); }
HRESULT App::get_CompanyName(BSTR* Value) { return ToBstr(companyName_, Value); }
HRESULT App::get_FileDescription(BSTR* Value) { return ToBstr(fileDescription_, Value); }
HRESULT App::get_LegalCopyright(BSTR* Value) { return ToBstr(legalCopyright_, Value); }
HRESULT App::get_LegalTrademarks(BSTR* Value) { return ToBstr(legalTrademarks_, Value); }
HRESULT App::get_ProductName(BSTR* Value) { return ToBstr(productName_, Value); }
HRESULT App::get_hInstance(LONG* Value) { return kelmor::Value(hInstance_, Value); }
HRESULT App::get_ThreadID(LONG* Value) { return kelmor::Value(threadId_, Value); }

// Runtime settings: nothing to tell, and nothing kept.
HRESULT App::get_PrevInstance(VARIANT_BOOL* Value) { return kelmor::Value<VARIANT_BOOL>(VARIANT_FALSE, Value); }
HRESULT App::get_StartMode(short* Value) { return kelmor::Value<short>(0, Value); }
HRESULT App::get_TaskVisible(VARIANT_BOOL* Value) { return kelmor::Value<VARIANT_BOOL>(VARIANT_FALSE, Value); }
HRESULT App::put_TaskVisible(VARIANT_BOOL) { return S_OK; }
HRESULT App::get_OleServerBusyTimeout(LONG* Value) { return kelmor::Value<LONG>(0, Value); }
HRESULT App::put_OleServerBusyTimeout(LONG) { return S_OK; }
HRESULT App::get_OleServerBusyMsgTitle(BSTR* Value) { return ToBstr({}, Value); }
HRESULT App::put_OleServerBusyMsgTitle(BSTR) { return S_OK; }
HRESULT App::get_OleServerBusyMsgText(BSTR* Value) { return ToBstr({}, Value); }
HRESULT App::put_OleServerBusyMsgText(BSTR) { return S_OK; }
HRESULT App::get_OleServerBusyRaiseError(VARIANT_BOOL* Value) {
    return kelmor::Value<VARIANT_BOOL>(VARIANT_FALSE, Value);
}
HRESULT App::put_OleServerBusyRaiseError(VARIANT_BOOL) { return S_OK; }
HRESULT App::get_OleRequestPendingTimeout(LONG* Value) { return kelmor::Value<LONG>(0, Value); }
HRESULT App::put_OleRequestPendingTimeout(LONG) { return S_OK; }
HRESULT App::get_OleRequestPendingMsgTitle(BSTR* Value) { return ToBstr({}, Value); }
HRESULT App::put_OleRequestPendingMsgTitle(BSTR) { return S_OK; }
HRESULT App::get_OleRequestPendingMsgText(BSTR* Value) { return ToBstr({}, Value); }
HRESULT App::put_OleRequestPendingMsgText(BSTR) { return S_OK; }
HRESULT App::get_NonModalAllowed(VARIANT_BOOL* Value) { return kelmor::Value<VARIANT_BOOL>(VARIANT_FALSE, Value); }
HRESULT App::get_LogPath(BSTR* Value) { return ToBstr({}, Value); }
HRESULT App::get_LogMode(LONG* Value) { return kelmor::Value<LONG>(0, Value); }
HRESULT App::get_UnattendedApp(VARIANT_BOOL* Value) { return kelmor::Value<VARIANT_BOOL>(VARIANT_FALSE, Value); }
HRESULT App::get_HelpFile(BSTR* Value) { return ToBstr({}, Value); }
HRESULT App::put_HelpFile(BSTR) { return S_OK; }
HRESULT App::get_RetainedProject(VARIANT_BOOL* Value) { return kelmor::Value<VARIANT_BOOL>(VARIANT_FALSE, Value); }

// The runtime's own event log is not used: the library's reports go to the event logger.
HRESULT App::StartLogging(BSTR, LONG) { return S_OK; }
HRESULT App::LogEvent(BSTR, VARIANT) { return S_OK; }

}  // namespace kelmor
