#include "nvkAlone.h"

namespace kelmor {

HRESULT nvkAlone::CreateInstance(REFIID riid, void** ppv) { return Create<nvkAlone>(riid, ppv); }

// Members not built yet.
HRESULT nvkAlone::IsAlone(BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }

}  // namespace kelmor
