// High-resolution timer marks and their difference.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class nvkBenchMarkHP final : public DispatchObject<_nvkBenchMarkHP> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE FirstMark() override;
    HRESULT STDMETHODCALLTYPE LaskMark() override;
    HRESULT STDMETHODCALLTYPE GetTickDifference(double *Result) override;
    HRESULT STDMETHODCALLTYPE GetTickDifferenceMS(double *Result) override;
    HRESULT STDMETHODCALLTYPE GetTickDifferenceSec(double *Result) override;
    HRESULT STDMETHODCALLTYPE GetTickFrequencyPerSec(double *Result) override;
    HRESULT STDMETHODCALLTYPE GetTickFrequencyPerMS(double *Result) override;
    HRESULT STDMETHODCALLTYPE toString(LONG Iterations, BSTR *Result) override;
};

}  // namespace kelmor
