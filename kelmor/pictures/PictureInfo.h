// Size, depth and type of a loaded picture.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class PictureInfo final : public DispatchObject<_PictureInfo> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE Width(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE Height(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE ImageBPP(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE PictureType(nvkPictureTypeEx *Result) override;
    HRESULT STDMETHODCALLTYPE GetPictureTypeName(BSTR *Result) override;
};

}  // namespace kelmor
