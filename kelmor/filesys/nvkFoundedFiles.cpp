#include "nvkFoundedFiles.h"

namespace kelmor {

HRESULT nvkFoundedFiles::CreateInstance(REFIID riid, void** ppv) { return Create<nvkFoundedFiles>(riid, ppv); }

// Members not built yet.
HRESULT nvkFoundedFiles::get_HasSubItems(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT nvkFoundedFiles::get_Path(BSTR *) { return E_NOTIMPL; }
HRESULT nvkFoundedFiles::Refresh(BSTR, BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT nvkFoundedFiles::RefreshEx(BSTR, BSTR, VARIANT_BOOL, _IFindFilesCallback *, VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT nvkFoundedFiles::get_Item(LONG, _FoundedFile **) { return E_NOTIMPL; }
HRESULT nvkFoundedFiles::get_Count(LONG *) { return E_NOTIMPL; }
HRESULT nvkFoundedFiles::get_NewEnum(IUnknown **) { return E_NOTIMPL; }

}  // namespace kelmor
