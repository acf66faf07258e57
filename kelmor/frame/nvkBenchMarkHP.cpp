#include "nvkBenchMarkHP.h"

#include "NevkitSupport0100.h"
#include "nvkBenchMark.h"

namespace kelmor {

HRESULT nvkBenchMarkHP::CreateInstance(REFIID riid, void** ppv) { return Create<nvkBenchMarkHP>(riid, ppv); }

HRESULT nvkBenchMarkHP::ToDouble(LARGE_INTEGER count, double* result) const {
    const LONG status = nkLargeIntegerToDouble(count, result);
    return status < 0 ? RaiseSupportStatus(status, ErrorSourceOf(__uuidof(_nvkBenchMarkHP))) : S_OK;
}

// The default system sound, then the start mark. The counter cannot fail on the systems the
// library runs on (XP and later).
HRESULT nvkBenchMarkHP::FirstMark() {
    MessageBeep(0xFFFFFFFF);
    QueryPerformanceCounter(&start_);
    return S_OK;
}

HRESULT nvkBenchMarkHP::LaskMark() {
    QueryPerformanceCounter(&end_);
    return S_OK;
}

HRESULT nvkBenchMarkHP::GetTickDifference(double *Result) {
    if (!Result) return E_POINTER;
    *Result = 0;
    double start = 0, end = 0;
    HRESULT hr = ToDouble(start_, &start);
    if (SUCCEEDED(hr)) hr = ToDouble(end_, &end);
    if (SUCCEEDED(hr)) *Result = end - start;
    return hr;
}

HRESULT nvkBenchMarkHP::GetTickDifferenceMS(double *Result) { return DifferenceIn(1000, Result); }
HRESULT nvkBenchMarkHP::GetTickDifferenceSec(double *Result) { return DifferenceIn(1, Result); }

// The difference in units of 1/`perSecond` second: the ticks over the ticks of one unit.
HRESULT nvkBenchMarkHP::DifferenceIn(double perSecond, double* result) {
    if (!result) return E_POINTER;
    *result = 0;
    double ticks = 0, frequency = 0;
    HRESULT hr = GetTickDifference(&ticks);
    if (SUCCEEDED(hr)) hr = GetTickFrequencyPerSec(&frequency);
    if (SUCCEEDED(hr)) *result = ticks / (frequency / perSecond);
    return hr;
}

// Asked of the system on every call.
HRESULT nvkBenchMarkHP::GetTickFrequencyPerSec(double *Result) {
    if (!Result) return E_POINTER;
    *Result = 0;
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return ToDouble(frequency, Result);
}

HRESULT nvkBenchMarkHP::GetTickFrequencyPerMS(double *Result) {
    const HRESULT hr = GetTickFrequencyPerSec(Result);
    if (SUCCEEDED(hr)) *Result /= 1000;
    return hr;
}

HRESULT nvkBenchMarkHP::toString(LONG Iterations, BSTR *Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    return Guard([&]() -> HRESULT {
        double total = 0;
        HRESULT hr = GetTickDifferenceMS(&total);
        if (FAILED(hr)) return hr;
        BSTR text = nullptr;
        const LONG status = nkFormatInt64(total, &text);
        return TimerDisplayText(total, status, text, Iterations, __uuidof(_nvkBenchMarkHP), Result);
    });
}

}  // namespace kelmor
