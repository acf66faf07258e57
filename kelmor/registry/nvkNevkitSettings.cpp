#include "nvkNevkitSettings.h"

namespace kelmor {

HRESULT nvkNevkitSettings::CreateInstance(REFIID riid, void** ppv) { return Create<nvkNevkitSettings>(riid, ppv); }

// Members not built yet.
HRESULT nvkNevkitSettings::StringToBoolean(BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT nvkNevkitSettings::BooleanToString(VARIANT_BOOL, BSTR *) { return E_NOTIMPL; }
HRESULT nvkNevkitSettings::BooleanInStringToCheck(BSTR, LONG *) { return E_NOTIMPL; }
HRESULT nvkNevkitSettings::CheckToBooleanInString(LONG, BSTR *) { return E_NOTIMPL; }
HRESULT nvkNevkitSettings::GetSettingPath(BSTR, LONG, LONG, BSTR, NvkApiString *) { return E_NOTIMPL; }
HRESULT nvkNevkitSettings::LoadSetting(BSTR, BSTR, RegistryType_Const, BSTR, LONG, LONG, VARIANT, VARIANT_BOOL, VARIANT_BOOL *, VARIANT *) { return E_NOTIMPL; }
HRESULT nvkNevkitSettings::SaveSetting(BSTR, BSTR, RegistryType_Const, VARIANT, BSTR, LONG, LONG, VARIANT_BOOL, VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT nvkNevkitSettings::SaveFormPlacement(IDispatch *, BSTR, BSTR, BSTR, LONG, LONG, VARIANT_BOOL, VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT nvkNevkitSettings::LoadFormPlacement(IDispatch *, BSTR, BSTR, BSTR, LONG, LONG, VARIANT_BOOL, VARIANT_BOOL *) { return E_NOTIMPL; }

}  // namespace kelmor
