// The application services object: command line, argument arrays, about boxes, the per-thread event logger, error display, list files, picture loading and text-box guards.
#pragma once

#include <wrl/client.h>

#include <string>

#include "DispatchObject.h"
#include "Kelmor0200.h"
#include "dialogs/modAbout.h"

namespace kelmor {

class nvkMain final : public DispatchObject<_nvkMain> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    // Joins the thread's nvkMain objects: the first of them makes the thread's event logger stub,
    // the last one to end releases it with any outside logger attached.
    nvkMain();
    ~nvkMain() override;

    // IDispatch: the members with a parameter array (ArrayBSTR, ArrayLong) are dispatched here,
    // everything else by the type library.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* argErr) override;

    HRESULT STDMETHODCALLTYPE CommandLine(_CommandLineParser **Result) override;
    HRESULT STDMETHODCALLTYPE ArrayBSTR(SAFEARRAY **Args, SAFEARRAY **Result) override;
    HRESULT STDMETHODCALLTYPE ArrayLong(SAFEARRAY **Args, SAFEARRAY **Result) override;
    HRESULT STDMETHODCALLTYPE ShowMSAboutBox(IDispatch **MSControlObject) override;
    HRESULT STDMETHODCALLTYPE ShowAboutBox(IDispatch *Form, IDispatch *AppObject, BSTR Description, Picture *Picture, BSTR PictureToolTipText) override;
    HRESULT STDMETHODCALLTYPE ShowAboutBox2(Picture *Icon, Picture *IconSmall, IDispatch *AppObject, BSTR Description, Picture *Picture, BSTR PictureToolTipText) override;
    HRESULT STDMETHODCALLTYPE ShowAboutBoxEx(BSTR Title, Picture *Icon, Picture *SmallIcon, LONG VerMajor, LONG VerMinor, LONG VerRevision, BSTR Author, BSTR AuthorEMail, BSTR Devote, BSTR Description, Picture *Picture, BSTR PictureToolTipText) override;
    HRESULT STDMETHODCALLTYPE Logger(IEventLogger2 **Result) override;
    HRESULT STDMETHODCALLTYPE get_LastEventLoggerError(BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE InitEventLogger(IDispatch *AppObject, NvkApiBool *Result) override;
    HRESULT STDMETHODCALLTYPE InitEventLoggerNonVB(BSTR AppTitle, LONG AppMajor, LONG AppMinor, LONG AppRevision, NvkApiBool *Result) override;
    HRESULT STDMETHODCALLTYPE DisposeEventLogger(VARIANT *Result) override;
    HRESULT STDMETHODCALLTYPE ErrorDisplay(_ErrObject **ErrObject, VbMsgBoxStyle Style, BSTR Title, BSTR *DescriptionText, VARIANT_BOOL *Silent, VbMsgBoxResult *Result) override;
    HRESULT STDMETHODCALLTYPE ErrorDisplayAPI(LONG ErrorNumber, VbMsgBoxStyle Style, BSTR Title, BSTR *DescriptionText, VARIANT_BOOL *Silent, VbMsgBoxResult *Result) override;
    HRESULT STDMETHODCALLTYPE ErrorDisplayWinMM(LONG ErrorNumber, VbMsgBoxStyle Style, BSTR Title, BSTR *DescriptionText, VARIANT_BOOL *Silent, VbMsgBoxResult *Result) override;
    HRESULT STDMETHODCALLTYPE ReadStandardListFile(BSTR FileName, BSTR CommentChar, VARIANT_BOOL IgnoreBlanks, VARIANT_BOOL TrimStrings, VARIANT_BOOL IsOem, VARIANT_BOOL RaiseErrors, _Collection **Result) override;
    HRESULT STDMETHODCALLTYPE LoadPictureEx(BSTR FileName, _PictureInfo *PictureInfo, Picture **Result) override;
    HRESULT STDMETHODCALLTYPE AddTextBoxInsertHook(IDispatch *TextBoxControl, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE RemoveTextBoxInsertHook(IDispatch *TextBoxControl, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE ClearTextBoxInsertHooks() override;

    // Whether this object keeps a collection of text-box hooks (none until the first
    // AddTextBoxInsertHook and again once the last hook is removed).
    bool HasTextBoxInsertHooks() const { return textBoxHooks_ != nullptr; }

private:
    // The parameter array of ArrayBSTR / ArrayLong converted element by element to `type`.
    HRESULT ArrayOf(SAFEARRAY** Args, VARTYPE type, SAFEARRAY** Result);
    HRESULT TextBoxArgument(IDispatch* control, Microsoft::WRL::ComPtr<IUnknown>* identity);
    HRESULT FindTextBoxHook(IUnknown* identity, LONG* position);
    HRESULT ReadAppObject(IDispatch* app, modAbout::AboutBoxArguments* args);
    static modAbout::AboutBoxArguments LibraryAboutArguments(BSTR Description, Picture* Picture,
                                                             BSTR PictureToolTipText);
    HRESULT InvokeParameterArray(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep);

    std::wstring lastLoggerError_;  // the report text of the last failure of a logger member
    Microsoft::WRL::ComPtr<_CommandLineParser> commandLine_;  // made on the first CommandLine call
    Microsoft::WRL::ComPtr<_Collection> textBoxHooks_;  // CTextBoxInsertHook objects, without keys
};

}  // namespace kelmor
