#include "nvkTabControl.h"

namespace kelmor {

HRESULT nvkTabControl::CreateInstance(REFIID riid, void** ppv) { return Create<nvkTabControl>(riid, ppv); }

// Members not built yet.
HRESULT nvkTabControl::FillTabs(IDispatch *, VARIANT_BOOL) { return E_NOTIMPL; }
HRESULT nvkTabControl::AddTab(IDispatch *, VARIANT_BOOL) { return E_NOTIMPL; }
HRESULT nvkTabControl::ClearTabs() { return E_NOTIMPL; }
HRESULT nvkTabControl::PopTab(LONG, VARIANT_BOOL, VARIANT_BOOL) { return E_NOTIMPL; }
HRESULT nvkTabControl::PopPrevTab(VARIANT_BOOL, VARIANT_BOOL) { return E_NOTIMPL; }
HRESULT nvkTabControl::PopNextTab(VARIANT_BOOL, VARIANT_BOOL) { return E_NOTIMPL; }
HRESULT nvkTabControl::ArrangeTabs(VARIANT_BOOL) { return E_NOTIMPL; }

}  // namespace kelmor
