// Client settings, booleans and window placements under the client's registry key.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class nvkNevkitSettings final : public DispatchObject<_nvkNevkitSettings> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE StringToBoolean(BSTR Value, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE BooleanToString(VARIANT_BOOL Value, BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE BooleanInStringToCheck(BSTR Value, LONG *Result) override;
    HRESULT STDMETHODCALLTYPE CheckToBooleanInString(LONG Value, BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE GetSettingPath(BSTR AppTitle, LONG VerMajor, LONG VerMinor, BSTR KeyPath, NvkApiString *Result) override;
    HRESULT STDMETHODCALLTYPE LoadSetting(BSTR SubKey, BSTR ValueName, RegistryType_Const ValueType, BSTR AppTitle, LONG VerMajor, LONG VerMinor, VARIANT Default, VARIANT_BOOL UserSetting, VARIANT_BOOL *Success, VARIANT *Result) override;
    HRESULT STDMETHODCALLTYPE SaveSetting(BSTR SubKey, BSTR ValueName, RegistryType_Const ValueType, VARIANT Value, BSTR AppTitle, LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE SaveFormPlacement(IDispatch *FormObject, BSTR SubKey, BSTR ValueName, BSTR AppTitle, LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE LoadFormPlacement(IDispatch *FormObject, BSTR SubKey, BSTR ValueName, BSTR AppTitle, LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting, VARIANT_BOOL *Result) override;
};

}  // namespace kelmor
