#include "nvkFileStreams.h"

namespace kelmor {

HRESULT nvkFileStreams::CreateInstance(REFIID riid, void** ppv) { return Create<nvkFileStreams>(riid, ppv); }

// Members not built yet.
HRESULT nvkFileStreams::get_Count(LONG *) { return E_NOTIMPL; }
HRESULT nvkFileStreams::get_Item(LONG, _FileStream **) { return E_NOTIMPL; }
HRESULT nvkFileStreams::get_NewEnum(IUnknown **) { return E_NOTIMPL; }
HRESULT nvkFileStreams::ReadFileStreams(BSTR, VARIANT_BOOL, VARIANT_BOOL *) { return E_NOTIMPL; }

}  // namespace kelmor
