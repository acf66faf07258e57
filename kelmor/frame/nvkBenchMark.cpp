#include "nvkBenchMark.h"

namespace kelmor {

HRESULT nvkBenchMark::CreateInstance(REFIID riid, void** ppv) { return Create<nvkBenchMark>(riid, ppv); }

// Members not built yet.
HRESULT nvkBenchMark::FirstMark() { return E_NOTIMPL; }
HRESULT nvkBenchMark::LaskMark() { return E_NOTIMPL; }
HRESULT nvkBenchMark::GetTickDifferenceMS(LONG *) { return E_NOTIMPL; }
HRESULT nvkBenchMark::toString(LONG, BSTR *) { return E_NOTIMPL; }

}  // namespace kelmor
