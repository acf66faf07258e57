#include "IFindFilesCallback.h"

namespace kelmor {

HRESULT IFindFilesCallback::CreateInstance(REFIID riid, void** ppv) { return Create<IFindFilesCallback>(riid, ppv); }

// Members not built yet.
HRESULT IFindFilesCallback::DirectoryCompleted(BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }

}  // namespace kelmor
