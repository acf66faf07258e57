// High-resolution timer marks on the performance counter and their difference.
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

private:
    // The difference in units of 1/`perSecond` second: 1 for seconds, 1000 for milliseconds.
    HRESULT DifferenceIn(double perSecond, double* result);
    // `count` as a double through the support library.
    HRESULT ToDouble(LARGE_INTEGER count, double* result) const;

    // Performance-counter values; 0 until set.
    LARGE_INTEGER start_{};
    LARGE_INTEGER end_{};
};

}  // namespace kelmor
