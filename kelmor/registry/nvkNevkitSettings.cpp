#include "nvkNevkitSettings.h"

#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "LateBound.h"
#include "Owners.h"
#include "core/SettingsLayout.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

static_assert(sizeof(WINDOWPLACEMENT) == core::kPlacementSize, "the stored placement is the platform record");

std::u16string_view View(BSTR text) {
    return {reinterpret_cast<const char16_t*>(text ? text : L""), SysStringLen(text)};
}

// Follows a by-reference VARIANT (a script's variable) to the value it refers to.
const VARIANT* Deref(const VARIANT* v) {
    while (V_VT(v) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(v)) v = V_VARIANTREF(v);
    return v;
}

// The automation marker of an optional argument the caller left out.
bool IsMissing(const VARIANT& v) {
    const VARIANT* value = Deref(&v);
    return V_VT(value) == VT_ERROR && V_ERROR(value) == DISP_E_PARAMNOTFOUND;
}

VARIANT Missing() {
    VARIANT v;
    V_VT(&v) = VT_ERROR;
    V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
    return v;
}

RegistryRoot_Const SettingsRoot(VARIANT_BOOL userSetting) {
    return userSetting ? static_cast<RegistryRoot_Const>(0x80000001) : static_cast<RegistryRoot_Const>(0x80000002);
}

}  // namespace

nvkNevkitSettings::nvkNevkitSettings() { Adopt(registry_, New<nvkRegistry>()); }

HRESULT nvkNevkitSettings::CreateInstance(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    ComPtr<nvkNevkitSettings> object;
    Adopt(object, New<nvkNevkitSettings>());
    if (!object || !object->registry_) return E_OUTOFMEMORY;
    return object->QueryInterface(riid, ppv);
}

HRESULT nvkNevkitSettings::StringToBoolean(BSTR Value, VARIANT_BOOL* Result) {
    if (!Result) return E_POINTER;
    *Result = VARIANT_FALSE;
    if (SysStringLen(Value) == 0) return S_OK;
    // The runtime's own reading: True or False in any letter case, or a number (0 is false).
    VARIANT_BOOL value = VARIANT_FALSE;
    const HRESULT hr = VarBoolFromStr(Value, LOCALE_USER_DEFAULT, 0, &value);
    if (hr == DISP_E_OVERFLOW) return Raise(6);
    if (hr == E_OUTOFMEMORY) return Raise(7);
    if (FAILED(hr)) return Raise(13);
    *Result = value;
    return S_OK;
}

HRESULT nvkNevkitSettings::BooleanToString(VARIANT_BOOL Value, BSTR* Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    const HRESULT hr = VarBstrFromBool(Value, LOCALE_USER_DEFAULT, 0, Result);
    return FAILED(hr) ? Raise(hr == E_OUTOFMEMORY ? 7 : 13) : S_OK;
}

HRESULT nvkNevkitSettings::BooleanInStringToCheck(BSTR Value, LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = 0;
    VARIANT_BOOL value = VARIANT_FALSE;
    const HRESULT hr = StringToBoolean(Value, &value);
    if (FAILED(hr)) return hr;
    *Result = value ? 1 : 0;
    return S_OK;
}

HRESULT nvkNevkitSettings::CheckToBooleanInString(LONG Value, BSTR* Result) {
    // Only a checked box is true; the grey state counts as unchecked.
    return BooleanToString(Value == 1 ? VARIANT_TRUE : VARIANT_FALSE, Result);
}

HRESULT nvkNevkitSettings::GetSettingPath(BSTR AppTitle, LONG VerMajor, LONG VerMinor, BSTR KeyPath,
                                          NvkApiString* Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    return Guard([&]() -> HRESULT {
        const std::u16string path = core::SettingPath(View(AppTitle), VerMajor, VerMinor, View(KeyPath));
        *Result = SysAllocStringLen(reinterpret_cast<const wchar_t*>(path.data()), static_cast<UINT>(path.size()));
        if (!*Result) throw std::bad_alloc();
        return S_OK;
    });
}

HRESULT nvkNevkitSettings::LoadSetting(BSTR SubKey, BSTR ValueName, RegistryType_Const ValueType, BSTR AppTitle,
                                       LONG VerMajor, LONG VerMinor, VARIANT Default, VARIANT_BOOL UserSetting,
                                       VARIANT_BOOL* Success, VARIANT* Result) {
    if (!Result) return E_POINTER;
    VariantInit(Result);
    return Guard([&]() -> HRESULT {
        UniqueBstr key;
        HRESULT hr = GetSettingPath(AppTitle, VerMajor, VerMinor, SubKey, key.put());
        if (FAILED(hr)) return hr;
        VARIANT_BOOL ok = VARIANT_FALSE;
        UniqueVariant value;
        hr = registry_->GetValue(SettingsRoot(UserSetting), key.get(), ValueName, ValueType, &ok, value.put());
        if (FAILED(hr)) return hr;
        if (Success) *Success = ok;
        if (ok) {
            *Result = *value.get();
            VariantInit(value.get());
            return S_OK;
        }
        // The caller's default comes back as it was given, whatever its type.
        if (!IsMissing(Default)) return VariantCopyInd(Result, &Default);
        return nvkRegistry::GetDefaultValue(ValueType, Success, Result);
    });
}

HRESULT nvkNevkitSettings::SaveSetting(BSTR SubKey, BSTR ValueName, RegistryType_Const ValueType, VARIANT Value,
                                       BSTR AppTitle, LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting,
                                       VARIANT_BOOL* Result) {
    if (!Result) return E_POINTER;
    *Result = VARIANT_FALSE;
    return Guard([&]() -> HRESULT {
        if (IsMissing(Value)) return S_OK;
        UniqueBstr key;
        HRESULT hr = GetSettingPath(AppTitle, VerMajor, VerMinor, SubKey, key.put());
        if (FAILED(hr)) return hr;
        // Missing keys of the path are made along with the value.
        VARIANT_BOOL existed = VARIANT_FALSE;
        return registry_->SetValue(SettingsRoot(UserSetting), key.get(), ValueName, ValueType, Value, &existed,
                                   Result);
    });
}

HRESULT nvkNevkitSettings::WindowOfForm(IDispatch* FormObject, HWND* window) {
    *window = nullptr;
    UniqueVariant value;
    HRESULT hr = late::GetProperty(FormObject, L"hWnd", value.put(), ErrorSourceOf(__uuidof(_nvkNevkitSettings)));
    if (FAILED(hr)) return hr;
    hr = VariantChangeType(value.get(), value.get(), 0, VT_I4);
    if (hr == DISP_E_OVERFLOW) return Raise(6);
    if (FAILED(hr)) return Raise(13);
    // A window handle is a 32-bit number sign-extended to the pointer's width.
    *window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(V_I4(value.get())));
    return S_OK;
}

HRESULT nvkNevkitSettings::PlacementKey(IDispatch* FormObject, BSTR SubKey, BSTR* key) {
    *key = nullptr;
    if (SysStringLen(SubKey) != 0) {
        *key = SysAllocStringLen(SubKey, SysStringLen(SubKey));
        return *key ? S_OK : Raise(7);
    }
    UniqueVariant name;
    HRESULT hr = late::GetProperty(FormObject, L"Name", name.put(), ErrorSourceOf(__uuidof(_nvkNevkitSettings)));
    if (FAILED(hr)) return hr;
    hr = VariantChangeType(name.get(), name.get(), 0, VT_BSTR);
    if (FAILED(hr)) return Raise(hr == E_OUTOFMEMORY ? 7 : 13);
    *key = V_BSTR(name.get());
    V_VT(name.get()) = VT_EMPTY;
    return S_OK;
}

HRESULT nvkNevkitSettings::SaveFormPlacement(IDispatch* FormObject, BSTR SubKey, BSTR ValueName, BSTR AppTitle,
                                             LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting,
                                             VARIANT_BOOL* Result) {
    if (!Result) return E_POINTER;
    *Result = VARIANT_FALSE;
    return Guard([&]() -> HRESULT {
        HWND window = nullptr;
        HRESULT hr = WindowOfForm(FormObject, &window);
        if (FAILED(hr)) return hr;
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        if (!GetWindowPlacement(window, &placement)) return S_OK;

        UniqueVariant bytes;
        SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, sizeof placement);
        if (!array) throw std::bad_alloc();
        V_VT(bytes.get()) = VT_ARRAY | VT_UI1;
        V_ARRAY(bytes.get()) = array;
        void* data = nullptr;
        hr = SafeArrayAccessData(array, &data);
        if (FAILED(hr)) return hr;
        std::memcpy(data, &placement, sizeof placement);
        SafeArrayUnaccessData(array);

        UniqueBstr key;
        hr = PlacementKey(FormObject, SubKey, key.put());
        if (FAILED(hr)) return hr;
        return SaveSetting(key.get(), ValueName, trBinary, *bytes.get(), AppTitle, VerMajor, VerMinor, UserSetting,
                           Result);
    });
}

HRESULT nvkNevkitSettings::LoadFormPlacement(IDispatch* FormObject, BSTR SubKey, BSTR ValueName, BSTR AppTitle,
                                             LONG VerMajor, LONG VerMinor, VARIANT_BOOL UserSetting,
                                             VARIANT_BOOL* Result) {
    if (!Result) return E_POINTER;
    *Result = VARIANT_FALSE;
    return Guard([&]() -> HRESULT {
        UniqueBstr key;
        HRESULT hr = PlacementKey(FormObject, SubKey, key.put());
        if (FAILED(hr)) return hr;
        VARIANT_BOOL ok = VARIANT_FALSE;
        UniqueVariant stored;
        hr = LoadSetting(key.get(), ValueName, trBinary, AppTitle, VerMajor, VerMinor, Missing(), UserSetting, &ok,
                         stored.put());
        if (FAILED(hr)) return hr;
        if (!ok || V_VT(stored.get()) != (VT_ARRAY | VT_UI1) || !V_ARRAY(stored.get())) return S_OK;
        SAFEARRAY* array = V_ARRAY(stored.get());
        if (SafeArrayGetDim(array) != 1) return S_OK;
        const ULONG count = array->rgsabound[0].cElements;
        if (count != core::kPlacementSize) return S_OK;  // another size: not a placement, ignored
        void* data = nullptr;
        hr = SafeArrayAccessData(array, &data);
        if (FAILED(hr)) return hr;
        const auto record =
            core::PlacementFromStored({static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(count)});
        SafeArrayUnaccessData(array);
        if (!record) return S_OK;
        WINDOWPLACEMENT placement{};
        std::memcpy(&placement, record->data(), sizeof placement);

        HWND window = nullptr;
        hr = WindowOfForm(FormObject, &window);
        if (FAILED(hr)) return hr;
        *Result = SetWindowPlacement(window, &placement) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

}  // namespace kelmor
