// The stream record filled by its library-internal initialiser from backup headers: kinds,
// flags, sizes and names, through its table and through IDispatch as a script reads them.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "filesys/core/BackupFormat.h"
#include "filesys/FileStream.h"
#include "StreamTestSupport.h"
#include "TestSupport.h"
#include "filesys/nvkFileStreams.h"

namespace {

using kelmor::FileStream;
using kelmor::core::StreamHeader;
using kelmor::test::Bstr;
using kelmor::test::CallByName;
using kelmor::test::Hr;
using Microsoft::WRL::ComPtr;

class Record : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }

    // A record as the reader makes it from a header and the name that followed it.
    static ComPtr<FileStream> Make(std::uint32_t id, std::uint32_t attributes, std::uint64_t size,
                                   std::u16string_view name = {}) {
        const std::vector<std::byte> prefix = kelmor::core::EncodeStreamPrefix(id, attributes, size, name);
        const std::span<const std::byte> nameBytes =
            std::span(prefix).subspan(kelmor::core::kStreamHeaderSize);
        ComPtr<FileStream> record;
        EXPECT_EQ(Hr(S_OK), Hr(kelmor::nvkFileStreams::MakeRecord(
                                {id, attributes, size, static_cast<std::uint32_t>(nameBytes.size())},
                                nameBytes, record.GetAddressOf())));
        return record;
    }

    // The ten kind properties, in table order.
    static std::vector<bool> Kinds(FileStream* r) {
        HRESULT (STDMETHODCALLTYPE FileStream::*const getters[])
        (VARIANT_BOOL*) = {&FileStream::get_StreamIDInvalid,       &FileStream::get_StreamIDData,
                           &FileStream::get_StreamIDEAData,        &FileStream::get_StreamIDSecurityData,
                           &FileStream::get_StreamIDAlternateData, &FileStream::get_StreamIDLink,
                           &FileStream::get_StreamIDPropertyData,  &FileStream::get_StreamIDObjectID,
                           &FileStream::get_StreamIDReparseData,   &FileStream::get_StreamIDSparseBlock};
        std::vector<bool> out;
        for (auto get : getters) {
            VARIANT_BOOL v = 7;
            EXPECT_EQ(Hr(S_OK), Hr((r->*get)(&v)));
            EXPECT_TRUE(v == VARIANT_TRUE || v == VARIANT_FALSE) << v;
            out.push_back(v == VARIANT_TRUE);
        }
        return out;
    }
    static std::vector<bool> Flags(FileStream* r) {
        HRESULT (STDMETHODCALLTYPE FileStream::*const getters[])
        (VARIANT_BOOL*) = {
            &FileStream::get_AttributeModifiedWhenRead, &FileStream::get_AttributeContainsSecurity,
            &FileStream::get_AttributeContainsProperties, &FileStream::get_AttributeSparseAttribute};
        std::vector<bool> out;
        for (auto get : getters) {
            VARIANT_BOOL v = 7;
            EXPECT_EQ(Hr(S_OK), Hr((r->*get)(&v)));
            out.push_back(v == VARIANT_TRUE);
        }
        return out;
    }
    static std::wstring Name(FileStream* r) {
        BSTR s = nullptr;
        EXPECT_EQ(Hr(S_OK), Hr(r->get_Name(&s)));
        return Bstr(s);
    }
    static std::wstring ShortName(FileStream* r) {
        BSTR s = nullptr;
        EXPECT_EQ(Hr(S_OK), Hr(r->get_ShortName(&s)));
        return Bstr(s);
    }
    static double Size(FileStream* r) {
        double d = -1;
        EXPECT_EQ(Hr(S_OK), Hr(r->get_Size(&d)));
        return d;
    }
};

std::vector<bool> Only(std::size_t n, int index) {
    std::vector<bool> v(n, false);
    if (index >= 0) v[static_cast<std::size_t>(index)] = true;
    return v;
}

TEST_F(Record, UnnamedDataAndSecurityDataGetTheirNames) {
    ComPtr<FileStream> data = Make(1, 0, 11);
    EXPECT_EQ(L"::$DATA", Name(data.Get()));
    EXPECT_EQ(L"", ShortName(data.Get()));
    EXPECT_EQ(Only(10, 1), Kinds(data.Get()));

    ComPtr<FileStream> security = Make(3, 2, 160);
    EXPECT_EQ(L"", Name(security.Get()));
    EXPECT_EQ(L"", ShortName(security.Get()));
    EXPECT_EQ(Only(10, 3), Kinds(security.Get()));
    EXPECT_EQ(Only(4, 1), Flags(security.Get()));

    ComPtr<FileStream> named = Make(4, 0, 5, u":abc:$DATA");
    EXPECT_EQ(L":abc:$DATA", Name(named.Get()));
    EXPECT_EQ(L"abc", ShortName(named.Get()));
    EXPECT_EQ(Only(10, 4), Kinds(named.Get()));
}

TEST_F(Record, KindsAndFlagsAreKeptBitForBit) {
    ComPtr<FileStream> unknown = Make(10, 0, 0);
    LONG id = 0;
    ASSERT_EQ(Hr(S_OK), Hr(unknown->get_StreamID(&id)));
    EXPECT_EQ(10, id);
    EXPECT_EQ(Only(10, -1), Kinds(unknown.Get()));
    EXPECT_EQ(L"", Name(unknown.Get()));

    ComPtr<FileStream> flagged = Make(1, 9, 0);
    LONG attributes = 0;
    ASSERT_EQ(Hr(S_OK), Hr(flagged->get_Attributes(&attributes)));
    EXPECT_EQ(9, attributes);
    EXPECT_EQ((std::vector<bool>{true, false, false, true}), Flags(flagged.Get()));
}

TEST_F(Record, SizesBecomeDoublesExactlyBelowTwoToThe53) {
    EXPECT_EQ(0.0, Size(Make(1, 0, 0).Get()));
    EXPECT_EQ(4294967296.0, Size(Make(1, 0, 1ull << 32).Get()));
    EXPECT_EQ(4294967297.0, Size(Make(1, 0, (1ull << 32) + 1).Get()));
    EXPECT_EQ(9007199254740992.0, Size(Make(1, 0, 1ull << 53).Get()));
    EXPECT_EQ(9007199254740991.0, Size(Make(1, 0, (1ull << 53) - 1).Get()));
    // Above 2^53 the nearest double; the largest count is not negative.
    EXPECT_EQ(18446744073709551616.0, Size(Make(1, 0, ~0ull).Get()));
}

TEST_F(Record, ScriptsReadTheSameValuesThroughIDispatch) {
    ComPtr<FileStream> r = Make(4, 9, 1ull << 32, u":abc:$DATA");
    ComPtr<IDispatch> d;
    ASSERT_EQ(Hr(S_OK), Hr(r->QueryInterface(IID_PPV_ARGS(&d))));
    struct Expected {
        const wchar_t* name;
        VARTYPE type;
        double number;
        const wchar_t* text;
    };
    const Expected expected[] = {
        {L"StreamID", VT_I4, 4, nullptr},
        {L"Attributes", VT_I4, 9, nullptr},
        {L"Size", VT_R8, 4294967296.0, nullptr},
        {L"Name", VT_BSTR, 0, L":abc:$DATA"},
        {L"ShortName", VT_BSTR, 0, L"abc"},
        {L"StreamIDInvalid", VT_BOOL, 0, nullptr},
        {L"StreamIDData", VT_BOOL, 0, nullptr},
        {L"StreamIDEAData", VT_BOOL, 0, nullptr},
        {L"StreamIDSecurityData", VT_BOOL, 0, nullptr},
        {L"StreamIDAlternateData", VT_BOOL, -1, nullptr},
        {L"StreamIDLink", VT_BOOL, 0, nullptr},
        {L"StreamIDPropertyData", VT_BOOL, 0, nullptr},
        {L"StreamIDObjectID", VT_BOOL, 0, nullptr},
        {L"StreamIDReparseData", VT_BOOL, 0, nullptr},
        {L"StreamIDSparseBlock", VT_BOOL, 0, nullptr},
        {L"AttributeModifiedWhenRead", VT_BOOL, -1, nullptr},
        {L"AttributeContainsSecurity", VT_BOOL, 0, nullptr},
        {L"AttributeContainsProperties", VT_BOOL, 0, nullptr},
        {L"AttributeSparseAttribute", VT_BOOL, -1, nullptr},
    };
    for (const Expected& e : expected) {
        VARIANT v;
        VariantInit(&v);
        ASSERT_EQ(Hr(S_OK), Hr(CallByName(d.Get(), e.name, DISPATCH_PROPERTYGET, {}, &v))) << e.name;
        EXPECT_EQ(e.type, V_VT(&v)) << e.name;
        if (e.type == VT_BSTR) {
            EXPECT_EQ(std::wstring(e.text), V_BSTR(&v)) << e.name;
        } else {
            VARIANT n;
            VariantInit(&n);
            ASSERT_EQ(Hr(S_OK), Hr(VariantChangeType(&n, &v, 0, VT_R8)));
            EXPECT_EQ(e.number, V_R8(&n)) << e.name;
        }
        VariantClear(&v);
    }
}

}  // namespace
