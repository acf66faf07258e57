// The application services object: command line, argument arrays, about boxes, the per-thread event logger, error display, list files, picture loading and text-box guards.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class nvkMain final : public DispatchObject<_nvkMain> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

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
};

}  // namespace kelmor
