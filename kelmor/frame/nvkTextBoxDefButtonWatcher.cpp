#include "nvkTextBoxDefButtonWatcher.h"

namespace kelmor {

HRESULT nvkTextBoxDefButtonWatcher::CreateInstance(REFIID riid, void** ppv) { return Create<nvkTextBoxDefButtonWatcher>(riid, ppv); }

// Members not built yet.
HRESULT nvkTextBoxDefButtonWatcher::Init(IDispatch *, IDispatch *, IDispatch *) { return E_NOTIMPL; }

}  // namespace kelmor
