// Reads, writes, lists and deletes registry values through the ANSI registry functions. Every
// call opens the key it needs and closes it again: the object holds no handle between calls,
// only the status of the last registry call it made (LastRegError). Registry failures are
// never raised: members answer false, the neutral value or no object.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

    // Library-internal: the neutral value of a value type (empty text, 0, a byte array without
    // elements; an empty variant for a number that is no value type), with `Success` (may be
    // NULL) set to false. The settings store answers with it when a value cannot be read.
    static HRESULT GetDefaultValue(RegistryType_Const ValueType, VARIANT_BOOL *Success, VARIANT *Result);

    // Earlier ids of the interface (versions 1.0 and 1.1); the object answers them with the
    // current one.
    static const IID kIidVersion10;
    static const IID kIidVersion11;

protected:
    bool AnswersAs(REFIID riid) const override;

private:
    // Reads the bytes stored under a value, whatever its type; false when any step fails
    // (LastRegError tells why).
    bool ReadValue(HKEY root, BSTR SubKey, BSTR ValueName, std::vector<std::uint8_t>& data);
    // Lists the names of a key's subkeys or values into a new collection; no object on failure.
    HRESULT ListNames(RegistryRoot_Const RegistryRoot, BSTR SubKey, bool values, _Collection **Result);

    LONG lastRegError_ = 0;
};

}  // namespace kelmor
