// Helpers of the registry and settings tests: keys of their own that are removed afterwards,
// raw reads through the ANSI functions (what the objects wrote, byte for byte), texts and
// late-bound calls.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "Owners.h"
#include "TestSupport.h"
#include "Variants.h"

namespace kelmor::test {

using Bytes = std::vector<std::uint8_t>;

// A key under HKEY_CURRENT_USER that belongs to one test: gone before and after it.
class TestKey {
public:
    explicit TestKey(const std::wstring& path) : path_(path) { Remove(); }
    ~TestKey() { Remove(); }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring Sub(const std::wstring& name) const { return path_ + L"\\" + name; }
    void Remove() const { SHDeleteKeyW(HKEY_CURRENT_USER, path_.c_str()); }

private:
    std::wstring path_;
};

// A key path of this test program that no other program uses at the same time.
inline std::wstring UniqueKeyPath(const std::wstring& stem) {
    return L"Software\\" + stem + L" " + std::to_wstring(GetCurrentProcessId());
}

struct RawValue {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = 0;
    Bytes bytes;
};

// A value as the ANSI function reads it (status 2 when key or value is missing).
inline RawValue ReadRaw(const std::wstring& key, const char* name, HKEY root = HKEY_CURRENT_USER) {
    RawValue v;
    HKEY h = nullptr;
    v.status = RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &h);
    if (v.status != ERROR_SUCCESS) return v;
    DWORD size = 0;
    v.status = RegQueryValueExA(h, name, nullptr, &v.type, nullptr, &size);
    if (v.status == ERROR_SUCCESS) {
        v.bytes.resize(size + 1);
        DWORD got = size + 1;
        v.status = RegQueryValueExA(h, name, nullptr, &v.type, v.bytes.data(), &got);
        v.bytes.resize(got);
    }
    RegCloseKey(h);
    return v;
}

inline void WriteRaw(const std::wstring& key, const char* name, DWORD type, const Bytes& bytes) {
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                             &h, nullptr));
    static const std::uint8_t none = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(h, name, 0, type, bytes.empty() ? &none : bytes.data(),
                                            static_cast<DWORD>(bytes.size())));
    RegCloseKey(h);
}

inline bool KeyExistsUnder(const std::wstring& path, HKEY root = HKEY_CURRENT_USER) {
    return KeyExists(path, root);
}

// A BSTR for the duration of a call.
class Text {
public:
    Text(const wchar_t* s) : b_(SysAllocString(s)) {}
    Text(const std::wstring& s) : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    operator BSTR() const { return b_.get(); }

private:
    UniqueBstr b_;
};

// A byte array with the given lower bound.
inline VARIANT ByteArray(const Bytes& bytes, LONG lowerBound = 0) {
    SAFEARRAYBOUND bound{static_cast<ULONG>(bytes.size()), lowerBound};
    SAFEARRAY* a = SafeArrayCreate(VT_UI1, 1, &bound);
    void* data = nullptr;
    SafeArrayAccessData(a, &data);
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    SafeArrayUnaccessData(a);
    VARIANT v;
    V_VT(&v) = VT_ARRAY | VT_UI1;
    V_ARRAY(&v) = a;
    return v;
}
// The bytes of a byte-array variant; "not a byte array" shows as one 0xEE byte followed by its type.
inline Bytes BytesOf(const VARIANT& v) {
    if (V_VT(&v) != (VT_ARRAY | VT_UI1) || !V_ARRAY(&v)) return {0xEE, static_cast<std::uint8_t>(V_VT(&v))};
    SAFEARRAY* a = V_ARRAY(&v);
    Bytes out(a->rgsabound[0].cElements);
    void* data = nullptr;
    SafeArrayAccessData(a, &data);
    if (!out.empty()) std::memcpy(out.data(), data, out.size());
    SafeArrayUnaccessData(a);
    return out;
}

// Runtime error number of an HRESULT of the 0x800A.... form; -1 for any other.
inline LONG ErrorNumber(HRESULT hr) { return (hr & 0xFFFF0000) == 0x800A0000 ? (hr & 0xFFFF) : -1; }

// Source text of the thread's error information (empty when none).
inline std::wstring ErrorSource() {
    IErrorInfo* info = nullptr;
    std::wstring source;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        BSTR s = nullptr;
        info->GetSource(&s);
        if (s) source = s;
        SysFreeString(s);
        info->Release();
    }
    return source;
}

// A late-bound call: `args` in the order of the parameter list (they are passed reversed, as
// automation wants them).
inline HRESULT CallByName(IDispatch* object, const wchar_t* name, std::initializer_list<VARIANT> args,
                          VARIANT* result, EXCEPINFO* excep = nullptr, WORD flags = DISPATCH_METHOD) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(args.begin(), args.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    EXCEPINFO local{};
    UINT argErr = 0;
    hr = object->Invoke(id, IID_NULL, 0, flags, &params, result, excep ? excep : &local, &argErr);
    if (!excep) {
        SysFreeString(local.bstrSource);
        SysFreeString(local.bstrDescription);
        SysFreeString(local.bstrHelpFile);
    }
    for (VARIANT& v : reversed) VariantClear(&v);
    return hr;
}

}  // namespace kelmor::test
