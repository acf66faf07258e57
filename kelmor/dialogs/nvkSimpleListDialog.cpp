#include "nvkSimpleListDialog.h"

namespace kelmor {

HRESULT nvkSimpleListDialog::CreateInstance(REFIID riid, void** ppv) { return Create<nvkSimpleListDialog>(riid, ppv); }

// Members not built yet.
HRESULT nvkSimpleListDialog::get_Elements(_Collection **) { return E_NOTIMPL; }
HRESULT nvkSimpleListDialog::putref_Elements(_Collection *) { return E_NOTIMPL; }
HRESULT nvkSimpleListDialog::put_Elements(_Collection *) { return E_NOTIMPL; }
HRESULT nvkSimpleListDialog::putref_Font(Font *) { return E_NOTIMPL; }
HRESULT nvkSimpleListDialog::put_Font(Font *) { return E_NOTIMPL; }
HRESULT nvkSimpleListDialog::get_Font(Font **) { return E_NOTIMPL; }
HRESULT nvkSimpleListDialog::put_ShowCountInCaption(VARIANT_BOOL) { return E_NOTIMPL; }
HRESULT nvkSimpleListDialog::get_ShowCountInCaption(VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT nvkSimpleListDialog::put_Caption(BSTR) { return E_NOTIMPL; }
HRESULT nvkSimpleListDialog::get_Caption(BSTR *) { return E_NOTIMPL; }
HRESULT nvkSimpleListDialog::Show() { return E_NOTIMPL; }

}  // namespace kelmor
