// Client settings under one registry layout (Software\Vestrimo\Nevkit\<title>[\Version M.mm]
// [\<key path>] under the user's or the machine's root), booleans kept as text, and window
// placements kept as one binary value. Every registry call goes through the object's own
// registry object, which holds the status of the last call.
#pragma once

#include <wrl/client.h>

#include "DispatchObject.h"
#include "Kelmor0200.h"
#include "nvkRegistry.h"

namespace kelmor {

class nvkNevkitSettings final : public DispatchObject<_nvkNevkitSettings> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    nvkNevkitSettings();

    HRESULT STDMETHODCALLTYPE StringToBoolean(BSTR Value, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE BooleanToString(VARIANT_BOOL Value, BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE BooleanInStringToCheck(BSTR Value, LONG *Result) override;
    HRESULT STDMETHODCALLTYPE CheckToBooleanInString(LONG Value, BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE GetSettingPath(BSTR AppTitle, LONG VerMajor, LONG VerMinor, BSTR KeyPath, NvkApiString *Result) override;
    HRESULT STDMETHODCALLTYPE LoadSetting(BSTR SubKey, BSTR ValueName, RegistryType_Const ValueType, BSTR AppTitle, LONG VerMajor, LONG VerMinor, VARIANT Default, VARIANT_BOOL UserSetting, VARIANT_BOOL *Success, VARIANT *Result) override;
    HRESULT STDMETHODCALLTYPE SaveSetting(BSTR SubKey, BSTR ValueName, RegistryType_Const ValueType, VARIANT Value, BSTR AppTitle, LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE SaveFormPlacement(IDispatch *FormObject, BSTR SubKey, BSTR ValueName, BSTR AppTitle, LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting, VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE LoadFormPlacement(IDispatch *FormObject, BSTR SubKey, BSTR ValueName, BSTR AppTitle, LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting, VARIANT_BOOL *Result) override;

private:
    // The key of a form's placement: `SubKey`, or the form's Name when that is empty.
    HRESULT PlacementKey(IDispatch* FormObject, BSTR SubKey, BSTR* key);
    // The form's window, read from its hWnd property.
    HRESULT WindowOfForm(IDispatch* FormObject, HWND* window);

    Microsoft::WRL::ComPtr<nvkRegistry> registry_;
};

}  // namespace kelmor
