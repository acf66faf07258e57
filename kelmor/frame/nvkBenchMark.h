// Millisecond timer marks and their difference.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class nvkBenchMark final : public DispatchObject<_nvkBenchMark> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE FirstMark() override;
    HRESULT STDMETHODCALLTYPE LaskMark() override;
    HRESULT STDMETHODCALLTYPE GetTickDifferenceMS(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE toString(LONG Iterations, BSTR *Result) override;
};

}  // namespace kelmor
