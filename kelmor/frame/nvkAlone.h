// Tells whether another instance of a program with the same identifier is running: the claim
// is a named mutex that the object holds for as long as it lives.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"
#include "Owners.h"

namespace kelmor {

class nvkAlone final : public DispatchObject<_nvkAlone> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE IsAlone(BSTR AppGUID, VARIANT_BOOL *Result) override;

private:
    // The mutex of the last IsAlone call; closed with the object.
    UniqueHandle mutex_;
};

}  // namespace kelmor
