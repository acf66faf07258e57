#include "nvkBenchMark.h"

#include <string>

#include "NevkitSupport0100.h"
#include "Text.h"
#include "core/TimerText.h"

namespace kelmor {
namespace {

nvkBenchMark::Platform g_platform{&GetTickCount, &MessageBeep};

}  // namespace

HRESULT nvkBenchMark::CreateInstance(REFIID riid, void** ppv) { return Create<nvkBenchMark>(riid, ppv); }

nvkBenchMark::Platform nvkBenchMark::ReplacePlatform(const Platform& calls) {
    const Platform previous = g_platform;
    g_platform = calls;
    return previous;
}

// The default system sound, then the start mark.
HRESULT nvkBenchMark::FirstMark() {
    g_platform.beep(0xFFFFFFFF);
    start_ = static_cast<LONG>(g_platform.tickCount());
    return S_OK;
}

HRESULT nvkBenchMark::LaskMark() {
    end_ = static_cast<LONG>(g_platform.tickCount());
    return S_OK;
}

// The end mark minus the start mark, counted as the tick count runs: modulo 2^32, read as a
// signed value. So the time between two marks is right across both places where the count
// changes sign (2^31 ticks after start-up, and its wrap to 0 at 2^32), and an end mark before
// the start mark gives a negative time.
HRESULT nvkBenchMark::GetTickDifferenceMS(LONG *Result) {
    if (!Result) return E_POINTER;
    *Result = static_cast<LONG>(static_cast<DWORD>(end_) - static_cast<DWORD>(start_));
    return S_OK;
}

HRESULT nvkBenchMark::toString(LONG Iterations, BSTR *Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    return Guard([&]() -> HRESULT {
        LONG total = 0;
        GetTickDifferenceMS(&total);
        BSTR text = nullptr;
        const LONG status = nkFormatLong(total, &text);
        return TimerDisplayText(total, status, text, Iterations, __uuidof(_nvkBenchMark), Result);
    });
}

HRESULT TimerDisplayText(double totalMs, LONG totalStatus, BSTR totalText, LONG iterations, REFIID iid, BSTR* result) {
    UniqueBstr owned(totalText);
    const std::wstring source = ErrorSourceOf(iid);
    std::wstring total, perIteration, count;
    HRESULT hr = SupportText(totalStatus, owned.release(), source, total);
    if (FAILED(hr)) return hr;
    if (core::ShowsPerIteration(iterations)) {
        BSTR text = nullptr;
        LONG status = nkFormatDouble(totalMs / static_cast<double>(iterations), &text);
        hr = SupportText(status, text, source, perIteration);
        if (FAILED(hr)) return hr;
        text = nullptr;
        status = nkFormatLong(iterations, &text);
        hr = SupportText(status, text, source, count);
        if (FAILED(hr)) return hr;
    }
    const std::u16string display = core::TimerText(iterations, U16(total), U16(perIteration), U16(count));
    hr = ToBstr(Wide(display), result);
    return hr == E_OUTOFMEMORY ? RaiseError(7, source) : hr;
}

}  // namespace kelmor
