// Millisecond timer marks on the system tick count and their difference.
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

    // The platform calls behind the marks. Tests put their own in place to reach tick counts
    // that take weeks of uptime; the previous calls are returned to be put back.
    struct Platform {
        DWORD(WINAPI* tickCount)();
        BOOL(WINAPI* beep)(UINT type);
    };
    static Platform ReplacePlatform(const Platform& calls);

private:
    // Tick counts as the system gives them (unsigned, wrapping at 2^32), kept as signed values;
    // 0 until set.
    LONG start_ = 0;
    LONG end_ = 0;
};

// The timers' display text of `totalMs`, whose display text the support library has just given
// as `totalStatus` and `totalText` (taken over), divided by `iterations` when positive; failures
// raised from the class of `iid`.
HRESULT TimerDisplayText(double totalMs, LONG totalStatus, BSTR totalText, LONG iterations, REFIID iid, BSTR* result);

}  // namespace kelmor
