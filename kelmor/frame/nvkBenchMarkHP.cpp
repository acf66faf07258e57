#include "nvkBenchMarkHP.h"

namespace kelmor {

HRESULT nvkBenchMarkHP::CreateInstance(REFIID riid, void** ppv) { return Create<nvkBenchMarkHP>(riid, ppv); }

// Members not built yet.
HRESULT nvkBenchMarkHP::FirstMark() { return E_NOTIMPL; }
HRESULT nvkBenchMarkHP::LaskMark() { return E_NOTIMPL; }
HRESULT nvkBenchMarkHP::GetTickDifference(double *) { return E_NOTIMPL; }
HRESULT nvkBenchMarkHP::GetTickDifferenceMS(double *) { return E_NOTIMPL; }
HRESULT nvkBenchMarkHP::GetTickDifferenceSec(double *) { return E_NOTIMPL; }
HRESULT nvkBenchMarkHP::GetTickFrequencyPerSec(double *) { return E_NOTIMPL; }
HRESULT nvkBenchMarkHP::GetTickFrequencyPerMS(double *) { return E_NOTIMPL; }
HRESULT nvkBenchMarkHP::toString(LONG, BSTR *) { return E_NOTIMPL; }

}  // namespace kelmor
