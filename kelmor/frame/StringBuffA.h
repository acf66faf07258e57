// An 8-bit, NUL-terminated string kept in a buffer of its own.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class StringBuffA final : public DispatchObject<_StringBuffA> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE put_StringValue(LONG Length, BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_StringValue(LONG Length, BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE Allocate(LONG Length, NvkApiBool *Result) override;
    HRESULT STDMETHODCALLTYPE PlaceString(BSTR NewString, LONG Length, LONG_PTR *Result) override;
    HRESULT STDMETHODCALLTYPE pString(LONG_PTR *Result) override;
    HRESULT STDMETHODCALLTYPE CopyBuffer(SAFEARRAY **DestBuffer) override;
    HRESULT STDMETHODCALLTYPE GetBufferLength(LONG *Result) override;
};

}  // namespace kelmor
