// Reads the backup streams of a file or directory into a list of records.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class nvkFileStreams final : public DispatchObject<_nvkFileStreams> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE get_Count(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE get_Item(LONG Index, _FileStream **Result) override;
    HRESULT STDMETHODCALLTYPE get_NewEnum(IUnknown **Result) override;
    HRESULT STDMETHODCALLTYPE ReadFileStreams(BSTR FileName, VARIANT_BOOL ProcessSecurity, VARIANT_BOOL *Result) override;
};

}  // namespace kelmor
