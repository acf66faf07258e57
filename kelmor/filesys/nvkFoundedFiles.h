// A recursive file search and the tree of entries it found.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class nvkFoundedFiles final : public DispatchObject<_nvkFoundedFiles> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE get_HasSubItems(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_Path(BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE Refresh(BSTR Path, BSTR Mask, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE RefreshEx(BSTR Path, BSTR Mask, VARIANT_BOOL FollowReparsePoints, _IFindFilesCallback *CallBackObject, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_Item(LONG Index, _FoundedFile **Result) override;
    HRESULT STDMETHODCALLTYPE get_Count(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE get_NewEnum(IUnknown **Result) override;
};

}  // namespace kelmor
