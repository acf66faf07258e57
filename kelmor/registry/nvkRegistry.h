// Reads, writes, lists and deletes registry values.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class nvkRegistry final : public DispatchObject<_nvkRegistry> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE GetValue(RegistryRoot_Const RegistryRoot, BSTR SubKey, BSTR ValueName, RegistryType_Const ValueType, VARIANT_BOOL *Success, VARIANT *Result) override;
    HRESULT STDMETHODCALLTYPE SetValue(RegistryRoot_Const RegistryRoot, BSTR SubKey, BSTR ValueName, RegistryType_Const ValueType, VARIANT Value, VARIANT_BOOL *KeyAlreadyExist, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE get_LastRegError(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE DeleteValue(RegistryRoot_Const RegistryRoot, BSTR SubKey, BSTR ValueName, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE DeleteKey(RegistryRoot_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE DeleteKeyRecurse(RegistryRoot_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE GetSubKeysNames(RegistryRoot_Const RegistryRoot, BSTR SubKey, _Collection **Result) override;
    HRESULT STDMETHODCALLTYPE GetValuesNames(RegistryRoot_Const RegistryRoot, BSTR SubKey, _Collection **Result) override;

    // Earlier ids of the interface (versions 1.0 and 1.1); the object answers them with the
    // current one.
    static const IID kIidVersion10;
    static const IID kIidVersion11;

protected:
    bool AnswersAs(REFIID riid) const override;
};

}  // namespace kelmor
