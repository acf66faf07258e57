// A modal window that shows a list of lines with tag texts.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class nvkSimpleListDialog final : public DispatchObject<_nvkSimpleListDialog> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE get_Elements(_Collection **Result) override;
    HRESULT STDMETHODCALLTYPE putref_Elements(_Collection *Value) override;
    HRESULT STDMETHODCALLTYPE put_Elements(_Collection *Value) override;
    HRESULT STDMETHODCALLTYPE putref_Font(Font *Value) override;
    HRESULT STDMETHODCALLTYPE put_Font(Font *Value) override;
    HRESULT STDMETHODCALLTYPE get_Font(Font **Result) override;
    HRESULT STDMETHODCALLTYPE put_ShowCountInCaption(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_ShowCountInCaption(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE put_Caption(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE Show() override;
};

}  // namespace kelmor
