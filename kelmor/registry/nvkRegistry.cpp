#include "nvkRegistry.h"

#include <shlwapi.h>
#include <wrl/client.h>

#include <cstring>
#include <new>
#include <string>

#include "AnsiText.h"
#include "Collection.h"
#include "NevkitSupport0100.h"
#include "Owners.h"
#include "core/RegistryData.h"
#include "core/RuntimeErrors.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

// The root number is the platform's predefined key handle itself, sign-extended the way the
// platform defines those handles, so it is passed on unchanged whatever it is.
HKEY RootKey(RegistryRoot_Const root) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
}

VARIANT_BOOL Bool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// A byte array with bounds 0 to n - 1 holding `bytes` (no elements for no bytes).
void PutByteArray(VARIANT* result, std::span<const std::uint8_t> bytes) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array) throw std::bad_alloc();
    if (!bytes.empty()) {
        void* data = nullptr;
        if (FAILED(SafeArrayAccessData(array, &data))) {
            SafeArrayDestroy(array);
            throw std::bad_alloc();
        }
        std::memcpy(data, bytes.data(), bytes.size());
        SafeArrayUnaccessData(array);
    }
    V_VT(result) = VT_ARRAY | VT_UI1;
    V_ARRAY(result) = array;
}

void PutText(VARIANT* result, std::span<const std::uint8_t> ansi) {
    BSTR text = AnsiToBstr(ansi);
    if (!text) throw std::bad_alloc();
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = text;
}

// The bytes written for `value` as `kind`, after the value was checked against the kinds the
// type accepts (false: not accepted). A text that the ANSI code page cannot hold sets
// `textStatus` to the system code that says so.
bool ValueBytes(core::ValueKind kind, const VARIANT& value, std::vector<std::uint8_t>& bytes,
                DWORD& textStatus) {
    textStatus = ERROR_SUCCESS;
    switch (kind) {
        case core::ValueKind::String: {
            if (V_VT(&value) != VT_BSTR) return false;
            std::string ansi;
            textStatus = ToAnsi(V_BSTR(&value), SysStringLen(V_BSTR(&value)), ansi);
            bytes.assign(ansi.begin(), ansi.end());
            bytes.push_back(0);
            return true;
        }
        case core::ValueKind::Long: {
            LONG number = 0;
            switch (V_VT(&value)) {
                case VT_UI1: number = V_UI1(&value); break;
                case VT_I2: number = V_I2(&value); break;
                case VT_I4: number = V_I4(&value); break;
                default: return false;
            }
            const auto four = core::LongToBytes(number);
            bytes.assign(four.begin(), four.end());
            return true;
        }
        case core::ValueKind::Binary: {
            if (V_VT(&value) != (VT_ARRAY | VT_UI1)) return false;
            SAFEARRAY* array = V_ARRAY(&value);
            bytes.clear();
            if (!array) return true;  // an array never given elements
            // Only a list of bytes is a value; the elements of a table have no agreed order.
            if (SafeArrayGetDim(array) != 1) return false;
            const ULONG count = array->rgsabound[0].cElements;
            if (count == 0) return true;
            void* data = nullptr;
            if (FAILED(SafeArrayAccessData(array, &data))) return false;
            const auto* first = static_cast<const std::uint8_t*>(data);
            bytes.assign(first, first + count);
            SafeArrayUnaccessData(array);
            return true;
        }
    }
    return false;
}

}  // namespace

HRESULT nvkRegistry::CreateInstance(REFIID riid, void** ppv) { return Create<nvkRegistry>(riid, ppv); }

const IID nvkRegistry::kIidVersion10 = {0x00E63A46, 0x05E3, 0x4280, {0x97, 0x35, 0x94, 0x2D, 0x93, 0x36, 0x20, 0xFD}};
const IID nvkRegistry::kIidVersion11 = {0x1E3013A4, 0x5EB6, 0x478E, {0xBA, 0x37, 0x9C, 0xA6, 0x44, 0xCE, 0x0A, 0x07}};

bool nvkRegistry::AnswersAs(REFIID riid) const {
    return IsEqualIID(riid, kIidVersion10) || IsEqualIID(riid, kIidVersion11);
}

HRESULT nvkRegistry::GetDefaultValue(RegistryType_Const ValueType, VARIANT_BOOL* Success, VARIANT* Result) {
    if (!Result) return E_POINTER;
    VariantInit(Result);
    if (Success) *Success = VARIANT_FALSE;
    const auto kind = core::ValueKindOf(static_cast<std::int32_t>(ValueType));
    if (!kind) return S_OK;
    try {
        switch (*kind) {
            case core::ValueKind::String: PutText(Result, {}); break;
            case core::ValueKind::Long:
                V_VT(Result) = VT_I4;
                V_I4(Result) = 0;
                break;
            case core::ValueKind::Binary: PutByteArray(Result, {}); break;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

bool nvkRegistry::ReadValue(HKEY root, BSTR SubKey, BSTR ValueName, std::vector<std::uint8_t>& data) {
    std::string key, name;
    if ((lastRegError_ = static_cast<LONG>(NameToAnsi(SubKey, key))) != ERROR_SUCCESS) return false;
    if ((lastRegError_ = static_cast<LONG>(NameToAnsi(ValueName, name))) != ERROR_SUCCESS) return false;
    UniqueHKey hkey;
    lastRegError_ = RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, hkey.put());
    if (lastRegError_ != ERROR_SUCCESS) return false;
    DWORD size = 0;
    lastRegError_ = RegQueryValueExA(hkey.get(), name.c_str(), nullptr, nullptr, nullptr, &size);
    if (lastRegError_ != ERROR_SUCCESS) return false;
    // A value of no bytes is read too (into a one-byte stand-in), so that it reads as present.
    data.assign(size, 0);
    std::uint8_t none = 0;
    DWORD got = size;
    lastRegError_ = RegQueryValueExA(hkey.get(), name.c_str(), nullptr, nullptr,
                                     data.empty() ? &none : data.data(), &got);
    if (lastRegError_ != ERROR_SUCCESS) return false;
    // The platform may need fewer bytes than it first reported (a text converted to ANSI).
    if (got < size) data.resize(got);
    return true;
}

HRESULT nvkRegistry::GetValue(RegistryRoot_Const RegistryRoot, BSTR SubKey, BSTR ValueName,
                              RegistryType_Const ValueType, VARIANT_BOOL* Success, VARIANT* Result) {
    if (!Result) return E_POINTER;
    VariantInit(Result);
    return Guard([&]() -> HRESULT {
        const auto kind = core::ValueKindOf(static_cast<std::int32_t>(ValueType));
        if (!kind) {
            if (Success) *Success = VARIANT_FALSE;
            return S_OK;
        }
        std::vector<std::uint8_t> data;
        if (!ReadValue(RootKey(RegistryRoot), SubKey, ValueName, data)) {
            return GetDefaultValue(ValueType, Success, Result);
        }
        // The bytes are read as the caller asks, whatever type the value is stored as.
        switch (*kind) {
            case core::ValueKind::String: PutText(Result, core::UpToFirstZero(data)); break;
            case core::ValueKind::Long:
                V_VT(Result) = VT_I4;
                V_I4(Result) = core::LongFromBytes(data);
                break;
            case core::ValueKind::Binary: PutByteArray(Result, data); break;
        }
        if (Success) *Success = VARIANT_TRUE;
        return S_OK;
    });
}

HRESULT nvkRegistry::SetValue(RegistryRoot_Const RegistryRoot, BSTR SubKey, BSTR ValueName,
                              RegistryType_Const ValueType, VARIANT Value, VARIANT_BOOL* KeyAlreadyExist,
                              VARIANT_BOOL* Result) {
    if (!Result) return E_POINTER;
    *Result = VARIANT_FALSE;
    return Guard([&]() -> HRESULT {
        const auto kind = core::ValueKindOf(static_cast<std::int32_t>(ValueType));
        if (!kind) return S_OK;
        // A value passed by reference (a script's variable) counts as the value it refers to.
        UniqueVariant value;
        HRESULT hr = VariantCopyInd(value.put(), &Value);
        if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
        if (FAILED(hr)) return S_OK;
        std::vector<std::uint8_t> bytes;
        DWORD textStatus = ERROR_SUCCESS;
        if (!ValueBytes(*kind, *value.get(), bytes, textStatus)) return S_OK;
        std::string key, name;
        DWORD status = textStatus;
        if (status == ERROR_SUCCESS) status = NameToAnsi(SubKey, key);
        if (status == ERROR_SUCCESS) status = NameToAnsi(ValueName, name);
        if (status != ERROR_SUCCESS) {
            // Nothing is written and no key is made for what cannot cross exactly.
            lastRegError_ = static_cast<LONG>(status);
            return S_OK;
        }
        UniqueHKey hkey;
        DWORD disposition = 0;
        lastRegError_ = RegCreateKeyExA(RootKey(RegistryRoot), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_SET_VALUE, nullptr, hkey.put(), &disposition);
        if (lastRegError_ != ERROR_SUCCESS) return S_OK;
        if (KeyAlreadyExist) *KeyAlreadyExist = Bool(disposition == REG_OPENED_EXISTING_KEY);
        std::uint8_t none = 0;
        lastRegError_ = RegSetValueExA(hkey.get(), name.c_str(), 0, core::PlatformTypeOf(*kind),
                                       bytes.empty() ? &none : bytes.data(), static_cast<DWORD>(bytes.size()));
        *Result = Bool(lastRegError_ == ERROR_SUCCESS);
        return S_OK;
    });
}

HRESULT nvkRegistry::get_LastRegError(LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = lastRegError_;
    return S_OK;
}

HRESULT nvkRegistry::DeleteValue(RegistryRoot_Const RegistryRoot, BSTR SubKey, BSTR ValueName,
                                 VARIANT_BOOL* Result) {
    if (!Result) return E_POINTER;
    *Result = VARIANT_FALSE;
    return Guard([&]() -> HRESULT {
        std::string key, name;
        if ((lastRegError_ = static_cast<LONG>(NameToAnsi(SubKey, key))) != ERROR_SUCCESS) return S_OK;
        if ((lastRegError_ = static_cast<LONG>(NameToAnsi(ValueName, name))) != ERROR_SUCCESS) return S_OK;
        UniqueHKey hkey;
        lastRegError_ = RegOpenKeyExA(RootKey(RegistryRoot), key.c_str(), 0, KEY_SET_VALUE, hkey.put());
        if (lastRegError_ != ERROR_SUCCESS) return S_OK;
        lastRegError_ = RegDeleteValueA(hkey.get(), name.c_str());
        *Result = Bool(lastRegError_ == ERROR_SUCCESS);
        return S_OK;
    });
}

HRESULT nvkRegistry::DeleteKey(RegistryRoot_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL* Result) {
    if (!Result) return E_POINTER;
    *Result = VARIANT_FALSE;
    return Guard([&]() -> HRESULT {
        std::string key;
        if ((lastRegError_ = static_cast<LONG>(NameToAnsi(SubKey, key))) != ERROR_SUCCESS) return S_OK;
        // Removes the key only when it has neither subkeys nor values. The platform's empty-key
        // deletion looks at subkeys only and would take the values with it, so they are counted
        // first: a key that holds any answers ERROR_KEY_HAS_CHILDREN, as one with subkeys does.
        UniqueHKey hkey;
        lastRegError_ = RegOpenKeyExA(RootKey(RegistryRoot), key.c_str(), 0, KEY_QUERY_VALUE, hkey.put());
        if (lastRegError_ != ERROR_SUCCESS) return S_OK;
        DWORD values = 0;
        lastRegError_ = RegQueryInfoKeyA(hkey.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                                         nullptr, nullptr, nullptr, nullptr);
        hkey.reset();
        if (lastRegError_ != ERROR_SUCCESS) return S_OK;
        if (values != 0) {
            lastRegError_ = ERROR_KEY_HAS_CHILDREN;
            return S_OK;
        }
        lastRegError_ = static_cast<LONG>(SHDeleteEmptyKeyA(RootKey(RegistryRoot), key.c_str()));
        *Result = Bool(lastRegError_ == ERROR_SUCCESS);
        return S_OK;
    });
}

HRESULT nvkRegistry::DeleteKeyRecurse(RegistryRoot_Const RegistryRoot, BSTR SubKey, VARIANT_BOOL* Result) {
    if (!Result) return E_POINTER;
    *Result = VARIANT_FALSE;
    return Guard([&]() -> HRESULT {
        std::string key;
        if ((lastRegError_ = static_cast<LONG>(NameToAnsi(SubKey, key))) != ERROR_SUCCESS) return S_OK;
        // An empty path would name the root itself and empty a whole hive (an unset variable
        // of the caller is enough for that): refused.
        if (key.empty()) {
            lastRegError_ = ERROR_INVALID_PARAMETER;
            return S_OK;
        }
        lastRegError_ = static_cast<LONG>(SHDeleteKeyA(RootKey(RegistryRoot), key.c_str()));
        *Result = Bool(lastRegError_ == ERROR_SUCCESS);
        return S_OK;
    });
}

HRESULT nvkRegistry::ListNames(RegistryRoot_Const RegistryRoot, BSTR SubKey, bool values, _Collection** Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    return Guard([&]() -> HRESULT {
        std::string key;
        if ((lastRegError_ = static_cast<LONG>(NameToAnsi(SubKey, key))) != ERROR_SUCCESS) return S_OK;
        UniqueHKey hkey;
        const REGSAM access = values ? KEY_QUERY_VALUE : KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
        lastRegError_ = RegOpenKeyExA(RootKey(RegistryRoot), key.c_str(), 0, access, hkey.put());
        if (lastRegError_ != ERROR_SUCCESS) return S_OK;
        DWORD subKeys = 0, longestSubKey = 0, valueCount = 0, longestValue = 0;
        lastRegError_ = RegQueryInfoKeyA(hkey.get(), nullptr, nullptr, nullptr, &subKeys, &longestSubKey, nullptr,
                                         &valueCount, &longestValue, nullptr, nullptr, nullptr);
        if (lastRegError_ != ERROR_SUCCESS) return S_OK;
        const DWORD count = values ? valueCount : subKeys;
        const DWORD longest = values ? longestValue : longestSubKey;

        ComPtr<Collection> names;
        Adopt(names, Collection::NewEmpty());
        if (!names) throw std::bad_alloc();
        for (DWORD i = 0; i < count; ++i) {
            const auto buffer = core::NameBufferFor(longest);
            if (!buffer) return Raise(6);
            std::string name(buffer->size, '\0');
            if (values) {
                DWORD told = buffer->told;
                lastRegError_ = RegEnumValueA(hkey.get(), i, name.data(), &told, nullptr, nullptr, nullptr, nullptr);
            } else {
                lastRegError_ = RegEnumKeyA(hkey.get(), i, name.data(), buffer->told);
            }
            if (lastRegError_ == ERROR_NO_MORE_ITEMS) break;
            if (lastRegError_ != ERROR_SUCCESS) return S_OK;
            UniqueVariant item;
            BSTR text = nullptr;
            const LONG status = nkGetStringFromPointerA(name.data(), &text);
            if (status < 0) return RaiseSupportStatus(status, ErrorSourceOf(__uuidof(_nvkRegistry)));
            V_VT(item.get()) = VT_BSTR;
            V_BSTR(item.get()) = text;
            HRESULT hr = names->Append(*item.get());
            if (FAILED(hr)) return hr;
        }
        *Result = names.Detach();
        return S_OK;
    });
}

HRESULT nvkRegistry::GetSubKeysNames(RegistryRoot_Const RegistryRoot, BSTR SubKey, _Collection** Result) {
    return ListNames(RegistryRoot, SubKey, false, Result);
}

HRESULT nvkRegistry::GetValuesNames(RegistryRoot_Const RegistryRoot, BSTR SubKey, _Collection** Result) {
    return ListNames(RegistryRoot, SubKey, true, Result);
}

}  // namespace kelmor
