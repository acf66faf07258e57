// Tells whether another instance of a program with the same identifier is running.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class nvkAlone final : public DispatchObject<_nvkAlone> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE IsAlone(BSTR AppGUID, VARIANT_BOOL *Result) override;
};

}  // namespace kelmor
