#include "nvkMain.h"

namespace kelmor {

HRESULT nvkMain::CreateInstance(REFIID riid, void** ppv) { return Create<nvkMain>(riid, ppv); }

// Members not built yet.
HRESULT nvkMain::CommandLine(_CommandLineParser **) { return E_NOTIMPL; }
HRESULT nvkMain::ArrayBSTR(SAFEARRAY **, SAFEARRAY **) { return E_NOTIMPL; }
HRESULT nvkMain::ArrayLong(SAFEARRAY **, SAFEARRAY **) { return E_NOTIMPL; }
HRESULT nvkMain::ShowMSAboutBox(IDispatch **) { return E_NOTIMPL; }
HRESULT nvkMain::ShowAboutBox(IDispatch *, IDispatch *, BSTR, Picture *, BSTR) { return E_NOTIMPL; }
HRESULT nvkMain::ShowAboutBox2(Picture *, Picture *, IDispatch *, BSTR, Picture *, BSTR) { return E_NOTIMPL; }
HRESULT nvkMain::ShowAboutBoxEx(BSTR, Picture *, Picture *, LONG, LONG, LONG, BSTR, BSTR, BSTR, BSTR, Picture *, BSTR) { return E_NOTIMPL; }
HRESULT nvkMain::Logger(IEventLogger2 **) { return E_NOTIMPL; }
HRESULT nvkMain::get_LastEventLoggerError(BSTR *) { return E_NOTIMPL; }
HRESULT nvkMain::InitEventLogger(IDispatch *, NvkApiBool *) { return E_NOTIMPL; }
HRESULT nvkMain::InitEventLoggerNonVB(BSTR, LONG, LONG, LONG, NvkApiBool *) { return E_NOTIMPL; }
HRESULT nvkMain::DisposeEventLogger(VARIANT *) { return E_NOTIMPL; }
HRESULT nvkMain::ErrorDisplay(_ErrObject **, VbMsgBoxStyle, BSTR, BSTR *, VARIANT_BOOL *, VbMsgBoxResult *) { return E_NOTIMPL; }
HRESULT nvkMain::ErrorDisplayAPI(LONG, VbMsgBoxStyle, BSTR, BSTR *, VARIANT_BOOL *, VbMsgBoxResult *) { return E_NOTIMPL; }
HRESULT nvkMain::ErrorDisplayWinMM(LONG, VbMsgBoxStyle, BSTR, BSTR *, VARIANT_BOOL *, VbMsgBoxResult *) { return E_NOTIMPL; }
HRESULT nvkMain::ReadStandardListFile(BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, VARIANT_BOOL, _Collection **) { return E_NOTIMPL; }
HRESULT nvkMain::LoadPictureEx(BSTR, _PictureInfo *, Picture **) { return E_NOTIMPL; }
HRESULT nvkMain::AddTextBoxInsertHook(IDispatch *, VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT nvkMain::RemoveTextBoxInsertHook(IDispatch *, VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT nvkMain::ClearTextBoxInsertHooks() { return E_NOTIMPL; }

}  // namespace kelmor
