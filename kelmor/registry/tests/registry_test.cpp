// The registry object under Wine's registry: what each member writes byte for byte, how stored
// bytes read back whatever their type, LastRegError, listings, deletion, names in the ANSI code
// page, and calls through IDispatch as a script makes them.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RegistryTestSupport.h"
#include "AnsiText.h"
#include "Module.h"
#include "registry/nvkRegistry.h"

namespace {

using Microsoft::WRL::ComPtr;
using namespace kelmor::test;

const auto kHkcu = static_cast<RegistryRoot_Const>(0x80000001);

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkRegistry::CreateInstance(__uuidof(_nvkRegistry), &reg_)));
    }
    void TearDown() override {
        reg_.Reset();
        // Every object the test was given (listings included) is gone with its last reference.
        EXPECT_EQ(0, kelmor::Module::LockCount());
        CoUninitialize();
    }

    LONG LastError() {
        LONG n = -12345;
        EXPECT_EQ(Hr(S_OK), Hr(reg_->get_LastRegError(&n)));
        return n;
    }
    // SetValue with every argument given; `existed` receives KeyAlreadyExist.
    bool Set(const std::wstring& key, const wchar_t* name, LONG type, VARIANT value, VARIANT_BOOL* existed = nullptr) {
        VARIANT_BOOL result = 7;
        EXPECT_EQ(Hr(S_OK), Hr(reg_->SetValue(kHkcu, Text(key), Text(name), static_cast<RegistryType_Const>(type),
                                              value, existed, &result)));
        VariantClear(&value);
        EXPECT_TRUE(result == VARIANT_TRUE || result == VARIANT_FALSE) << result;
        return result == VARIANT_TRUE;
    }
    // GetValue into `out`; returns Success.
    bool Get(const std::wstring& key, const wchar_t* name, LONG type, VARIANT* out) {
        VARIANT_BOOL success = 7;
        VariantInit(out);
        EXPECT_EQ(Hr(S_OK), Hr(reg_->GetValue(kHkcu, Text(key), Text(name), static_cast<RegistryType_Const>(type),
                                              &success, out)));
        EXPECT_TRUE(success == VARIANT_TRUE || success == VARIANT_FALSE) << success;
        return success == VARIANT_TRUE;
    }
    std::vector<std::wstring> Names(_Collection* c) {
        std::vector<std::wstring> out;
        LONG n = -1;
        EXPECT_EQ(Hr(S_OK), Hr(c->Count(&n)));
        for (LONG i = 1; i <= n; ++i) {
            VARIANT index = LongValue(i), item;
            VariantInit(&item);
            EXPECT_EQ(Hr(S_OK), Hr(c->Item(&index, &item)));
            out.push_back(V_VT(&item) == VT_BSTR ? V_BSTR(&item) : L"<not text>");
            VariantClear(&item);
        }
        return out;
    }

    ComPtr<_nvkRegistry> reg_;
};

TEST_F(RegistryTest, SetValueWithOnlyRootAndKeyMakesTheKeyAndAnEmptyText) {
    TestKey key(UniqueKeyPath(L"KelmorRegistryTest Defaults"));
    // Through IDispatch with two arguments, as a script calls it: the type library supplies
    // the defaults and KeyAlreadyExist arrives as no pointer at all.
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(Hr(S_OK), Hr(CallByName(reg_.Get(), L"SetValue", {LongValue(kHkcu), TextValue(key.Path())}, &result)));
    EXPECT_EQ(VT_BOOL, V_VT(&result));
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(&result));
    RawValue raw = ReadRaw(key.Path(), "");
    ASSERT_EQ(ERROR_SUCCESS, raw.status);
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw.type);
    EXPECT_EQ(Bytes{0}, raw.bytes);
    EXPECT_EQ(0, LastError());

    // KeyAlreadyExist: false when the key was made now, true when it was there.
    key.Remove();
    VARIANT_BOOL existed = 5;
    EXPECT_TRUE(Set(key.Path(), L"", 0, TextValue(L""), &existed));
    EXPECT_EQ(VARIANT_FALSE, existed);
    existed = 5;
    EXPECT_TRUE(Set(key.Path(), L"", 0, TextValue(L""), &existed));
    EXPECT_EQ(VARIANT_TRUE, existed);
    raw = ReadRaw(key.Path(), "");
    EXPECT_EQ(Bytes{0}, raw.bytes);
}

TEST_F(RegistryTest, BytesWrittenForEachValueType) {
    TestKey key(UniqueKeyPath(L"KelmorRegistryTest Write"));
    EXPECT_TRUE(Set(key.Path(), L"minus one", 1, ShortValue(-1)));
    RawValue raw = ReadRaw(key.Path(), "minus one");
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), raw.type);
    EXPECT_EQ((Bytes{0xFF, 0xFF, 0xFF, 0xFF}), raw.bytes);

    VARIANT byteValue;
    V_VT(&byteValue) = VT_UI1;
    V_UI1(&byteValue) = 200;
    EXPECT_TRUE(Set(key.Path(), L"byte", 1, byteValue));
    EXPECT_EQ((Bytes{200, 0, 0, 0}), ReadRaw(key.Path(), "byte").bytes);
    EXPECT_TRUE(Set(key.Path(), L"long", 1, LongValue(0x12345678)));
    EXPECT_EQ((Bytes{0x78, 0x56, 0x34, 0x12}), ReadRaw(key.Path(), "long").bytes);

    EXPECT_TRUE(Set(key.Path(), L"text", 0, TextValue(L"abc")));
    raw = ReadRaw(key.Path(), "text");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw.type);
    EXPECT_EQ((Bytes{0x61, 0x62, 0x63, 0x00}), raw.bytes);

    // Every element from the lower to the upper bound, whatever the bounds are.
    EXPECT_TRUE(Set(key.Path(), L"bytes", 2, ByteArray({1, 0, 2, 0xFF}, 5)));
    raw = ReadRaw(key.Path(), "bytes");
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), raw.type);
    EXPECT_EQ((Bytes{1, 0, 2, 0xFF}), raw.bytes);

    // A byte array without elements is a binary value of no bytes.
    EXPECT_TRUE(Set(key.Path(), L"no bytes", 2, ByteArray({})));
    raw = ReadRaw(key.Path(), "no bytes");
    EXPECT_EQ(ERROR_SUCCESS, raw.status);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), raw.type);
    EXPECT_EQ(Bytes{}, raw.bytes);
}

TEST_F(RegistryTest, ValuesOfTheWrongKindWriteNothingAndMakeNoKey) {
    TestKey key(UniqueKeyPath(L"KelmorRegistryTest Refused"));
    // A failed open leaves a known status; refused values make no registry call and keep it.
    VARIANT out;
    EXPECT_FALSE(Get(key.Path(), L"x", 0, &out));
    VariantClear(&out);
    ASSERT_EQ(ERROR_FILE_NOT_FOUND, LastError());

    VARIANT dbl;
    V_VT(&dbl) = VT_R8;
    V_R8(&dbl) = 1.0;
    VARIANT_BOOL existed = 5;
    EXPECT_FALSE(Set(key.Path(), L"v", 1, dbl, &existed));
    EXPECT_FALSE(Set(key.Path(), L"v", 1, TextValue(L"1")));
    VARIANT boolean;
    V_VT(&boolean) = VT_BOOL;
    V_BOOL(&boolean) = VARIANT_TRUE;
    EXPECT_FALSE(Set(key.Path(), L"v", 1, boolean));
    EXPECT_FALSE(Set(key.Path(), L"v", 0, LongValue(1)));
    EXPECT_FALSE(Set(key.Path(), L"v", 2, TextValue(L"abc")));
    EXPECT_FALSE(Set(key.Path(), L"v", 3, TextValue(L"abc")));
    EXPECT_FALSE(Set(key.Path(), L"v", -1, TextValue(L"abc")));
    // A table of bytes is not a list of bytes.
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    VARIANT table;
    V_VT(&table) = VT_ARRAY | VT_UI1;
    V_ARRAY(&table) = SafeArrayCreate(VT_UI1, 2, bounds);
    EXPECT_FALSE(Set(key.Path(), L"v", 2, table));

    EXPECT_EQ(5, existed) << "KeyAlreadyExist keeps its value when nothing was done";
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LastError());
    EXPECT_FALSE(KeyExistsUnder(key.Path()));
}

TEST_F(RegistryTest, StoredBytesReadAsTheCallerAsks) {
    TestKey key(UniqueKeyPath(L"KelmorRegistryTest Read"));
    WriteRaw(key.Path(), "sz", REG_SZ, {'a', 'b', 'c', 0});
    WriteRaw(key.Path(), "dword", REG_DWORD, {0x41, 0x42, 0x00, 0x43});
    WriteRaw(key.Path(), "one byte", REG_BINARY, {0x05});
    WriteRaw(key.Path(), "empty", REG_BINARY, {});
    WriteRaw(key.Path(), "no zero", REG_BINARY, {'x', 'y'});

    VARIANT v;
    ASSERT_TRUE(Get(key.Path(), L"sz", 2, &v));
    EXPECT_EQ((Bytes{0x61, 0x62, 0x63, 0x00}), BytesOf(v)) << "a text read as bytes keeps its zero";
    VariantClear(&v);
    ASSERT_TRUE(Get(key.Path(), L"sz", 0, &v));
    ASSERT_EQ(VT_BSTR, V_VT(&v));
    EXPECT_STREQ(L"abc", V_BSTR(&v));
    EXPECT_EQ(3u, SysStringLen(V_BSTR(&v)));
    VariantClear(&v);
    ASSERT_TRUE(Get(key.Path(), L"sz", 1, &v));
    ASSERT_EQ(VT_I4, V_VT(&v));
    EXPECT_EQ(0x00636261, V_I4(&v));
    VariantClear(&v);

    ASSERT_TRUE(Get(key.Path(), L"dword", 0, &v));
    ASSERT_EQ(VT_BSTR, V_VT(&v));
    EXPECT_STREQ(L"AB", V_BSTR(&v)) << "a number read as text stops at its first zero byte";
    EXPECT_EQ(2u, SysStringLen(V_BSTR(&v)));
    VariantClear(&v);
    ASSERT_TRUE(Get(key.Path(), L"dword", 1, &v));
    EXPECT_EQ(0x43004241, V_I4(&v));
    VariantClear(&v);

    // Shorter than a number: the missing bytes are zero. No bytes at all: the neutral value,
    // read successfully.
    ASSERT_TRUE(Get(key.Path(), L"one byte", 1, &v));
    EXPECT_EQ(VT_I4, V_VT(&v));
    EXPECT_EQ(5, V_I4(&v));
    VariantClear(&v);
    ASSERT_TRUE(Get(key.Path(), L"empty", 1, &v));
    EXPECT_EQ(0, V_I4(&v));
    VariantClear(&v);
    ASSERT_TRUE(Get(key.Path(), L"empty", 0, &v));
    ASSERT_EQ(VT_BSTR, V_VT(&v));
    EXPECT_EQ(0u, SysStringLen(V_BSTR(&v)));
    VariantClear(&v);
    ASSERT_TRUE(Get(key.Path(), L"empty", 2, &v));
    EXPECT_EQ(Bytes{}, BytesOf(v));
    EXPECT_EQ(0, LastError());
    VariantClear(&v);
    ASSERT_TRUE(Get(key.Path(), L"no zero", 0, &v));
    EXPECT_STREQ(L"xy", V_BSTR(&v));
    VariantClear(&v);

    // What SetValue wrote reads back the same.
    ASSERT_TRUE(Set(key.Path(), L"round", 2, ByteArray({0, 1, 2, 3, 250})));
    ASSERT_TRUE(Get(key.Path(), L"round", 2, &v));
    EXPECT_EQ((Bytes{0, 1, 2, 3, 250}), BytesOf(v));
    LONG lower = -1, upper = -1;
    SafeArrayGetLBound(V_ARRAY(&v), 1, &lower);
    SafeArrayGetUBound(V_ARRAY(&v), 1, &upper);
    EXPECT_EQ(0, lower);
    EXPECT_EQ(4, upper);
    VariantClear(&v);
}

TEST_F(RegistryTest, MissingValuesAndInvalidTypesGiveNeutralValues) {
    TestKey key(UniqueKeyPath(L"KelmorRegistryTest Missing"));
    WriteRaw(key.Path(), "present", REG_SZ, {'p', 0});
    VARIANT v;
    EXPECT_FALSE(Get(key.Path(), L"absent", 1, &v));
    EXPECT_EQ(VT_I4, V_VT(&v));
    EXPECT_EQ(0, V_I4(&v));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LastError());
    VariantClear(&v);
    EXPECT_FALSE(Get(key.Sub(L"no such key"), L"", 0, &v));
    ASSERT_EQ(VT_BSTR, V_VT(&v));
    EXPECT_EQ(0u, SysStringLen(V_BSTR(&v)));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LastError());
    VariantClear(&v);
    EXPECT_FALSE(Get(key.Path(), L"absent", 2, &v));
    EXPECT_EQ(Bytes{}, BytesOf(v));
    VariantClear(&v);

    // Type 7: an empty variant, no registry call, LastRegError as it was (2, then 0).
    EXPECT_FALSE(Get(key.Path(), L"present", 7, &v));
    EXPECT_EQ(VT_EMPTY, V_VT(&v));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LastError());
    ASSERT_TRUE(Get(key.Path(), L"present", 0, &v));
    VariantClear(&v);
    EXPECT_FALSE(Get(key.Path(), L"absent", 7, &v));
    EXPECT_EQ(VT_EMPTY, V_VT(&v));
    EXPECT_EQ(0, LastError());

    // The library-internal neutral values, with Success cleared.
    const struct {
        LONG type;
        VARTYPE vt;
    } neutral[] = {{0, VT_BSTR}, {1, VT_I4}, {2, VT_ARRAY | VT_UI1}, {3, VT_EMPTY}, {-1, VT_EMPTY}};
    for (const auto& n : neutral) {
        VARIANT_BOOL success = VARIANT_TRUE;
        ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkRegistry::GetDefaultValue(static_cast<RegistryType_Const>(n.type),
                                                                     &success, &v)));
        EXPECT_EQ(VARIANT_FALSE, success) << n.type;
        EXPECT_EQ(n.vt, V_VT(&v)) << n.type;
        if (n.vt == VT_BSTR) {
            EXPECT_EQ(0u, SysStringLen(V_BSTR(&v)));
        } else if (n.vt == VT_I4) {
            EXPECT_EQ(0, V_I4(&v));
        } else if (n.vt == (VT_ARRAY | VT_UI1)) {
            EXPECT_EQ(Bytes{}, BytesOf(v));
        }
        VariantClear(&v);
    }
    EXPECT_EQ(Hr(S_OK), Hr(kelmor::nvkRegistry::GetDefaultValue(static_cast<RegistryType_Const>(1), nullptr, &v)));
}

TEST_F(RegistryTest, ListingsComeInEnumerationOrder) {
    TestKey key(UniqueKeyPath(L"KelmorRegistryTest List"));
    ASSERT_TRUE(Set(key.Sub(L"empty"), L"", 0, TextValue(L"")));
    ASSERT_TRUE(Set(key.Path(), L"", 0, TextValue(L"")));
    // No subkeys and no values (the unnamed value removed again): empty collections.
    VARIANT_BOOL deleted = VARIANT_FALSE;
    ASSERT_EQ(Hr(S_OK), Hr(reg_->DeleteValue(kHkcu, Text(key.Sub(L"empty")), Text(L""), &deleted)));
    ASSERT_EQ(VARIANT_TRUE, deleted);
    ComPtr<_Collection> names;
    ASSERT_EQ(Hr(S_OK), Hr(reg_->GetSubKeysNames(kHkcu, Text(key.Sub(L"empty")), &names)));
    ASSERT_TRUE(names);
    EXPECT_EQ(std::vector<std::wstring>{}, Names(names.Get()));
    names.Reset();
    ASSERT_EQ(Hr(S_OK), Hr(reg_->GetValuesNames(kHkcu, Text(key.Sub(L"empty")), &names)));
    ASSERT_TRUE(names);
    EXPECT_EQ(std::vector<std::wstring>{}, Names(names.Get()));
    names.Reset();

    // A missing key: no object, status 2.
    ASSERT_EQ(Hr(S_OK), Hr(reg_->GetSubKeysNames(kHkcu, Text(key.Sub(L"absent")), &names)));
    EXPECT_FALSE(names);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LastError());
    ASSERT_EQ(Hr(S_OK), Hr(reg_->GetValuesNames(kHkcu, Text(key.Sub(L"absent")), &names)));
    EXPECT_FALSE(names);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LastError());

    // Names as the platform enumerates them, long ones included.
    const std::wstring longName(200, L'n');
    for (const std::wstring& n : {std::wstring(L"zeta"), std::wstring(L"Alpha"), longName, std::wstring(L"mid")}) {
        ASSERT_TRUE(Set(key.Sub(L"tree\\" + n), L"", 0, TextValue(L"")));
        ASSERT_TRUE(Set(key.Sub(L"tree"), n.c_str(), 1, LongValue(1)));
    }
    std::vector<std::wstring> expectedKeys, expectedValues;
    HKEY tree = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, key.Sub(L"tree").c_str(), 0, KEY_READ, &tree));
    wchar_t buffer[512];
    for (DWORD i = 0;; ++i) {
        DWORD n = 512;
        if (RegEnumKeyExW(tree, i, buffer, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        expectedKeys.emplace_back(buffer, n);
    }
    for (DWORD i = 0;; ++i) {
        DWORD n = 512;
        if (RegEnumValueW(tree, i, buffer, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        expectedValues.emplace_back(buffer, n);
    }
    RegCloseKey(tree);
    ASSERT_EQ(4u, expectedKeys.size());
    ASSERT_EQ(4u, expectedValues.size());
    ASSERT_EQ(Hr(S_OK), Hr(reg_->GetSubKeysNames(kHkcu, Text(key.Sub(L"tree")), &names)));
    ASSERT_TRUE(names);
    EXPECT_EQ(expectedKeys, Names(names.Get()));
    EXPECT_EQ(0, LastError());
    names.Reset();
    ASSERT_EQ(Hr(S_OK), Hr(reg_->GetValuesNames(kHkcu, Text(key.Sub(L"tree")), &names)));
    ASSERT_TRUE(names);
    EXPECT_EQ(expectedValues, Names(names.Get()));
    names.Reset();

    // Through IDispatch the listing is an object; a missing key gives Nothing.
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(Hr(S_OK), Hr(CallByName(reg_.Get(), L"GetValuesNames",
                                      {LongValue(kHkcu), TextValue(key.Sub(L"tree"))}, &result)));
    ASSERT_EQ(VT_DISPATCH, V_VT(&result));
    ASSERT_TRUE(V_DISPATCH(&result));
    VariantClear(&result);
    ASSERT_EQ(Hr(S_OK), Hr(CallByName(reg_.Get(), L"GetSubKeysNames",
                                      {LongValue(kHkcu), TextValue(key.Sub(L"absent"))}, &result)));
    EXPECT_EQ(VT_DISPATCH, V_VT(&result));
    EXPECT_EQ(nullptr, V_DISPATCH(&result));
    VariantClear(&result);
}

TEST_F(RegistryTest, DeletingValuesAndKeys) {
    TestKey key(UniqueKeyPath(L"KelmorRegistryTest Delete"));
    VARIANT_BOOL done = 7;
    ASSERT_TRUE(Set(key.Sub(L"with value"), L"v", 0, TextValue(L"x")));
    ASSERT_TRUE(Set(key.Sub(L"with subkey\\child"), L"v", 1, LongValue(3)));
    ASSERT_TRUE(Set(key.Sub(L"with subkey\\child\\grandchild"), L"", 0, TextValue(L"")));

    // Only an empty key goes with DeleteKey.
    ASSERT_EQ(Hr(S_OK), Hr(reg_->DeleteKey(kHkcu, Text(key.Sub(L"with value")), &done)));
    EXPECT_EQ(VARIANT_FALSE, done);
    EXPECT_EQ(ERROR_KEY_HAS_CHILDREN, LastError());
    EXPECT_TRUE(KeyExistsUnder(key.Sub(L"with value")));
    EXPECT_EQ(ERROR_SUCCESS, ReadRaw(key.Sub(L"with value"), "v").status);
    ASSERT_EQ(Hr(S_OK), Hr(reg_->DeleteKey(kHkcu, Text(key.Sub(L"with subkey")), &done)));
    EXPECT_EQ(VARIANT_FALSE, done);
    EXPECT_EQ(ERROR_KEY_HAS_CHILDREN, LastError());
    EXPECT_TRUE(KeyExistsUnder(key.Sub(L"with subkey\\child\\grandchild")));

    ASSERT_EQ(Hr(S_OK), Hr(reg_->DeleteValue(kHkcu, Text(key.Sub(L"with value")), Text(L"v"), &done)));
    EXPECT_EQ(VARIANT_TRUE, done);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadRaw(key.Sub(L"with value"), "v").status);
    ASSERT_EQ(Hr(S_OK), Hr(reg_->DeleteValue(kHkcu, Text(key.Sub(L"with value")), Text(L"v"), &done)));
    EXPECT_EQ(VARIANT_FALSE, done);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LastError());
    ASSERT_EQ(Hr(S_OK), Hr(reg_->DeleteKey(kHkcu, Text(key.Sub(L"with value")), &done)));
    EXPECT_EQ(VARIANT_TRUE, done);
    EXPECT_EQ(0, LastError());
    EXPECT_FALSE(KeyExistsUnder(key.Sub(L"with value")));

    // The unnamed value counts as a value.
    ASSERT_TRUE(Set(key.Sub(L"unnamed"), L"", 0, TextValue(L"")));
    ASSERT_EQ(Hr(S_OK), Hr(reg_->DeleteKey(kHkcu, Text(key.Sub(L"unnamed")), &done)));
    EXPECT_EQ(VARIANT_FALSE, done);
    EXPECT_TRUE(KeyExistsUnder(key.Sub(L"unnamed")));

    ASSERT_EQ(Hr(S_OK), Hr(reg_->DeleteKeyRecurse(kHkcu, Text(key.Sub(L"with subkey")), &done)));
    EXPECT_EQ(VARIANT_TRUE, done);
    EXPECT_FALSE(KeyExistsUnder(key.Sub(L"with subkey")));
    ASSERT_EQ(Hr(S_OK), Hr(reg_->DeleteKeyRecurse(kHkcu, Text(key.Sub(L"with subkey")), &done)));
    EXPECT_EQ(VARIANT_FALSE, done);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LastError());
    ASSERT_EQ(Hr(S_OK), Hr(reg_->DeleteKey(kHkcu, Text(key.Sub(L"absent")), &done)));
    EXPECT_EQ(VARIANT_FALSE, done);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, LastError());
}

TEST_F(RegistryTest, RootIsAnyKeyHandleAndAnEmptyPathIsNeverEmptied) {
    TestKey key(UniqueKeyPath(L"KelmorRegistryTest Root"));
    ASSERT_TRUE(Set(key.Sub(L"child"), L"v", 0, TextValue(L"kept")));
    HKEY own = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, key.Path().c_str(), 0, KEY_ALL_ACCESS, &own));
    const auto root = static_cast<RegistryRoot_Const>(static_cast<LONG>(reinterpret_cast<LONG_PTR>(own)));
    VARIANT v;
    VARIANT_BOOL success = VARIANT_FALSE;
    ASSERT_EQ(Hr(S_OK), Hr(reg_->GetValue(root, Text(L"child"), Text(L"v"), static_cast<RegistryType_Const>(0),
                                          &success, &v)));
    EXPECT_EQ(VARIANT_TRUE, success);
    EXPECT_STREQ(L"kept", V_BSTR(&v));
    VariantClear(&v);
    // An empty path names the root itself: a recursive delete of it is refused.
    VARIANT_BOOL done = 7;
    ASSERT_EQ(Hr(S_OK), Hr(reg_->DeleteKeyRecurse(root, Text(L""), &done)));
    EXPECT_EQ(VARIANT_FALSE, done);
    EXPECT_EQ(ERROR_INVALID_PARAMETER, LastError());
    EXPECT_TRUE(KeyExistsUnder(key.Sub(L"child")));
    RegCloseKey(own);

    // A number that is no key handle is passed on and fails in the platform.
    ASSERT_EQ(Hr(S_OK), Hr(reg_->GetValue(static_cast<RegistryRoot_Const>(0), Text(key.Path()), Text(L""),
                                          static_cast<RegistryType_Const>(0), &success, &v)));
    EXPECT_EQ(VARIANT_FALSE, success);
    EXPECT_NE(0, LastError());
    VariantClear(&v);
}

TEST_F(RegistryTest, NamesCrossInTheAnsiCodePageExactlyOrNotAtAll) {
    TestKey key(UniqueKeyPath(L"KelmorRegistryTest Names"));
    const UINT acp = GetACP();
    ASSERT_TRUE(Set(key.Path(), L"", 0, TextValue(L"")));

    // Greek and CJK letters have no form in the Russian (or Western) code page: the call fails
    // with a system code and touches no key, not even a look-alike.
    for (const wchar_t* name : {L"\x0391\x03BB\x03C6\x03B1", L"\x4E2D\x6587", L"a\x03B1"}) {
        VARIANT_BOOL existed = 5;
        EXPECT_FALSE(Set(key.Sub(name), L"v", 0, TextValue(L"x"), &existed)) << "code page " << acp;
        EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION, LastError());
        EXPECT_EQ(5, existed);
        EXPECT_FALSE(Set(key.Path(), name, 0, TextValue(L"x")));
        EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION, LastError());
        EXPECT_FALSE(Set(key.Path(), L"text", 0, TextValue(name))) << "a value text must cross exactly too";
        EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION, LastError());
        VARIANT v;
        EXPECT_FALSE(Get(key.Path(), name, 0, &v));
        EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION, LastError());
        VariantClear(&v);
        ComPtr<_Collection> names;
        ASSERT_EQ(Hr(S_OK), Hr(reg_->GetSubKeysNames(kHkcu, Text(key.Sub(name)), &names)));
        EXPECT_FALSE(names);
        EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION, LastError());
        VARIANT_BOOL done = 7;
        ASSERT_EQ(Hr(S_OK), Hr(reg_->DeleteKeyRecurse(kHkcu, Text(key.Sub(name)), &done)));
        EXPECT_EQ(VARIANT_FALSE, done);
        EXPECT_EQ(ERROR_NO_UNICODE_TRANSLATION, LastError());
    }
    // A name with a zero inside would be cut short by the ANSI functions.
    const std::wstring cut = key.Path() + std::wstring(L"\0tail", 5);
    VARIANT_BOOL done = 7;
    ASSERT_EQ(Hr(S_OK), Hr(reg_->DeleteKeyRecurse(kHkcu, Text(cut), &done)));
    EXPECT_EQ(VARIANT_FALSE, done);
    EXPECT_EQ(ERROR_INVALID_PARAMETER, LastError());
    EXPECT_TRUE(KeyExistsUnder(key.Path()));
    DWORD subKeys = 99, values = 99;
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, key.Path().c_str(), 0, KEY_READ, &h));
    RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(h);
    EXPECT_EQ(0u, subKeys);
    EXPECT_EQ(1u, values) << "only the unnamed value made at the start";

    // Russian names and texts cross in code page 1251 and come back as they went.
    if (acp != 1251) GTEST_SKIP() << "ANSI code page " << acp << ", not 1251";
    const std::wstring russian = L"\x041A\x043B\x044E\x0447 \x0451";  // "Ключ ё"
    ASSERT_TRUE(Set(key.Sub(russian), russian.c_str(), 0, TextValue(russian)));
    EXPECT_TRUE(KeyExistsUnder(key.Sub(russian)));
    EXPECT_EQ(russian, KeyText(key.Sub(russian), russian, HKEY_CURRENT_USER));
    VARIANT v;
    ASSERT_TRUE(Get(key.Sub(russian), russian.c_str(), 0, &v));
    EXPECT_EQ(russian, std::wstring(V_BSTR(&v), SysStringLen(V_BSTR(&v))));
    VariantClear(&v);
    ComPtr<_Collection> names;
    ASSERT_EQ(Hr(S_OK), Hr(reg_->GetSubKeysNames(kHkcu, Text(key.Path()), &names)));
    ASSERT_TRUE(names);
    EXPECT_EQ(std::vector<std::wstring>{russian}, Names(names.Get()));
}

// The platform reports the longest name in characters; in a code page of two bytes a character
// (932, run as registry_test_cp932) or in UTF-8 the ANSI name is longer than that. Every name the
// code page can hold is listed whole, whatever its length.
TEST_F(RegistryTest, LongNamesOfMultiByteCodePagesAreListedWhole) {
    TestKey key(UniqueKeyPath(L"KelmorRegistryTest LongNames"));
    const std::wstring candidates[] = {
        L"\x0414\x043B\x0438\x043D\x043D\x043E\x0435 \x0438\x043C\x044F \x043A\x043B\x044E\x0447\x0430",  // "Длинное имя ключа"
        L"\x65E5\x672C\x8A9E\x306E\x9577\x3044\x30AD\x30FC\x306E\x540D\x524D\x3067\x3059",  // 13 Japanese
        std::wstring(300, L'\x0436'),  // a value name far longer than a key name may be
    };
    std::vector<std::wstring> keys, values;
    for (const std::wstring& name : candidates) {
        std::string ansi;
        if (kelmor::ToAnsi(name.data(), name.size(), ansi) != ERROR_SUCCESS) continue;  // not in this page
        if (name.size() <= 255) keys.push_back(name);
        values.push_back(name);
    }
    if (values.empty()) GTEST_SKIP() << "code page " << GetACP() << " holds none of the names";
    HKEY h = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, key.Path().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &h, nullptr));
    for (const std::wstring& name : keys) {
        HKEY sub = nullptr;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(h, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr));
        RegCloseKey(sub);
    }
    for (const std::wstring& name : values)
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(h, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), 2));
    RegCloseKey(h);

    ComPtr<_Collection> names;
    ASSERT_EQ(Hr(S_OK), Hr(reg_->GetSubKeysNames(kHkcu, Text(key.Path()), &names)));
    EXPECT_EQ(ERROR_SUCCESS, LastError()) << "code page " << GetACP();
    ASSERT_TRUE(names);
    EXPECT_EQ(keys, Names(names.Get()));
    names.Reset();
    ASSERT_EQ(Hr(S_OK), Hr(reg_->GetValuesNames(kHkcu, Text(key.Path()), &names)));
    EXPECT_EQ(ERROR_SUCCESS, LastError()) << "code page " << GetACP();
    ASSERT_TRUE(names);
    std::vector<std::wstring> listed = Names(names.Get());
    std::sort(listed.begin(), listed.end());
    std::sort(values.begin(), values.end());
    EXPECT_EQ(values, listed) << "values come in an order of the registry's own";
}

TEST_F(RegistryTest, ThroughIDispatchOmittedArgumentsTakeTheirDefaults) {
    TestKey key(UniqueKeyPath(L"KelmorRegistryTest Dispatch"));
    WriteRaw(key.Path(), "", REG_SZ, {'d', 'e', 'f', 0});
    WriteRaw(key.Path(), "n", REG_DWORD, {42, 0, 0, 0});
    VARIANT result;
    VariantInit(&result);
    // Value name and type omitted: the unnamed value as text; Success omitted.
    ASSERT_EQ(Hr(S_OK), Hr(CallByName(reg_.Get(), L"GetValue", {LongValue(kHkcu), TextValue(key.Path())}, &result)));
    ASSERT_EQ(VT_BSTR, V_VT(&result));
    EXPECT_STREQ(L"def", V_BSTR(&result));
    VariantClear(&result);
    // Success passed by reference comes back set.
    VARIANT_BOOL success = VARIANT_FALSE;
    VARIANT byRef;
    V_VT(&byRef) = VT_BOOL | VT_BYREF;
    V_BOOLREF(&byRef) = &success;
    ASSERT_EQ(Hr(S_OK), Hr(CallByName(reg_.Get(), L"GetValue",
                                      {LongValue(kHkcu), TextValue(key.Path()), TextValue(L"n"), LongValue(1), byRef},
                                      &result)));
    EXPECT_EQ(VT_I4, V_VT(&result));
    EXPECT_EQ(42, V_I4(&result));
    EXPECT_EQ(VARIANT_TRUE, success);
    VariantClear(&result);
    ASSERT_EQ(Hr(S_OK), Hr(CallByName(reg_.Get(), L"LastRegError", {}, &result, nullptr, DISPATCH_PROPERTYGET)));
    EXPECT_EQ(VT_I4, V_VT(&result));
    EXPECT_EQ(0, V_I4(&result));
    // A value passed by reference (a script's variable) is the value it refers to.
    VARIANT text = TextValue(L"by reference");
    VARIANT ref;
    V_VT(&ref) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&ref) = &text;
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(Hr(S_OK), Hr(reg_->SetValue(kHkcu, Text(key.Path()), Text(L"r"), static_cast<RegistryType_Const>(0),
                                          ref, nullptr, &ok)));
    EXPECT_EQ(VARIANT_TRUE, ok);
    VariantClear(&text);
    EXPECT_EQ((Bytes{'b', 'y', ' ', 'r', 'e', 'f', 'e', 'r', 'e', 'n', 'c', 'e', 0}), ReadRaw(key.Path(), "r").bytes);
}

}  // namespace
