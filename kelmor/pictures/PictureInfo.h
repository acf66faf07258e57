// Size, depth and type of a loaded picture.
#pragma once

#include <wrl/client.h>

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class PictureInfo final : public DispatchObject<_PictureInfo> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    // The library's own object behind `info`, with a reference of its own; null for no object and
    // for an object that is not ours (a client's implementation of the interface, a proxy), which
    // the loader then leaves alone.
    static Microsoft::WRL::ComPtr<PictureInfo> Of(IUnknown* info);

    // Library-internal: all four values back to 0, or set to what a reader found.
    void Clear();
    void SetInfo(LONG width, LONG height, LONG bpp, nvkPictureTypeEx type);

    HRESULT STDMETHODCALLTYPE Width(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE Height(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE ImageBPP(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE PictureType(nvkPictureTypeEx* Result) override;
    HRESULT STDMETHODCALLTYPE GetPictureTypeName(BSTR* Result) override;

protected:
    void* QueryOther(REFIID riid) override;

private:
    LONG width_ = 0;
    LONG height_ = 0;
    LONG bpp_ = 0;
    nvkPictureTypeEx type_ = nvkPteNothing;
};

}  // namespace kelmor
