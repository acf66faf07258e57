#include "nvkRegistry.h"

namespace kelmor {

HRESULT nvkRegistry::CreateInstance(REFIID riid, void** ppv) { return Create<nvkRegistry>(riid, ppv); }

const IID nvkRegistry::kIidVersion10 = {0x00E63A46, 0x05E3, 0x4280, {0x97, 0x35, 0x94, 0x2D, 0x93, 0x36, 0x20, 0xFD}};
const IID nvkRegistry::kIidVersion11 = {0x1E3013A4, 0x5EB6, 0x478E, {0xBA, 0x37, 0x9C, 0xA6, 0x44, 0xCE, 0x0A, 0x07}};

bool nvkRegistry::AnswersAs(REFIID riid) const {
    return IsEqualIID(riid, kIidVersion10) || IsEqualIID(riid, kIidVersion11);
}

// Members not built yet.
HRESULT nvkRegistry::GetValue(RegistryRoot_Const, BSTR, BSTR, RegistryType_Const, VARIANT_BOOL *, VARIANT *) { return E_NOTIMPL; }
HRESULT nvkRegistry::SetValue(RegistryRoot_Const, BSTR, BSTR, RegistryType_Const, VARIANT, VARIANT_BOOL *, VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT nvkRegistry::get_LastRegError(LONG *) { return E_NOTIMPL; }
HRESULT nvkRegistry::DeleteValue(RegistryRoot_Const, BSTR, BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT nvkRegistry::DeleteKey(RegistryRoot_Const, BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT nvkRegistry::DeleteKeyRecurse(RegistryRoot_Const, BSTR, VARIANT_BOOL *) { return E_NOTIMPL; }
HRESULT nvkRegistry::GetSubKeysNames(RegistryRoot_Const, BSTR, _Collection **) { return E_NOTIMPL; }
HRESULT nvkRegistry::GetValuesNames(RegistryRoot_Const, BSTR, _Collection **) { return E_NOTIMPL; }

}  // namespace kelmor
