// The collection object: order, keys, positions, errors and enumeration, through its table and
// through IDispatch as a script sees it.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Collection.h"
#include "TestSupport.h"
#include "Variants.h"

namespace {

using kelmor::Collection;
using kelmor::test::Hr;
using kelmor::test::LongValue;
using kelmor::test::MissingValue;
using kelmor::test::TextValue;

class CollectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        c_ = Collection::NewEmpty();
        ASSERT_NE(nullptr, c_);
    }
    void TearDown() override {
        if (c_) c_->Release();
        CoUninitialize();
    }
    HRESULT Add(const wchar_t* item, const wchar_t* key = nullptr, VARIANT before = MissingValue(),
                VARIANT after = MissingValue()) {
        VARIANT i = TextValue(item);
        VARIANT k = key ? TextValue(key) : MissingValue();
        HRESULT hr = c_->Add(&i, &k, &before, &after);
        VariantClear(&i);
        VariantClear(&k);
        VariantClear(&before);
        VariantClear(&after);
        return hr;
    }
    std::vector<std::wstring> Contents() {
        std::vector<std::wstring> out;
        LONG n = 0;
        c_->Count(&n);
        for (LONG i = 1; i <= n; ++i) {
            VARIANT index = LongValue(i), item;
            EXPECT_EQ(Hr(S_OK), Hr(c_->Item(&index, &item)));
            out.push_back(V_VT(&item) == VT_BSTR ? V_BSTR(&item) : L"?");
            VariantClear(&item);
        }
        return out;
    }
    static LONG ErrorNumber(HRESULT hr) { return (hr & 0xFFFF0000) == 0x800A0000 ? (hr & 0xFFFF) : -1; }

    Collection* c_ = nullptr;
};

TEST_F(CollectionTest, KeepsItemsInOrderOneBased) {
    EXPECT_EQ(Hr(S_OK), Hr(Add(L"a")));
    EXPECT_EQ(Hr(S_OK), Hr(Add(L"b", L"kb")));
    EXPECT_EQ(Hr(S_OK), Hr(Add(L"c")));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b", L"c"}), Contents());
    VARIANT zero = LongValue(0), out;
    EXPECT_EQ(9, ErrorNumber(c_->Item(&zero, &out)));
    VARIANT four = LongValue(4);
    EXPECT_EQ(9, ErrorNumber(c_->Item(&four, &out)));
}

TEST_F(CollectionTest, KeysFindItemsWhateverTheirLetterCase) {
    Add(L"first", L"Один");
    Add(L"second", L"Key");
    VARIANT key = TextValue(L"oдин"), out;  // first letter Latin "o": not the same key
    EXPECT_EQ(9, ErrorNumber(c_->Item(&key, &out)));
    VariantClear(&key);
    key = TextValue(L"ОДИН");
    ASSERT_EQ(Hr(S_OK), Hr(c_->Item(&key, &out)));
    EXPECT_STREQ(L"first", V_BSTR(&out));
    VariantClear(&out);
    VariantClear(&key);
    key = TextValue(L"kEY");
    ASSERT_EQ(Hr(S_OK), Hr(c_->Item(&key, &out)));
    EXPECT_STREQ(L"second", V_BSTR(&out));
    VariantClear(&out);
    VariantClear(&key);
}

TEST_F(CollectionTest, ADuplicateKeyIsRefusedAndNothingIsAdded) {
    Add(L"a", L"k");
    EXPECT_EQ(5, ErrorNumber(Add(L"b", L"K")));
    EXPECT_EQ((std::vector<std::wstring>{L"a"}), Contents());
}

TEST_F(CollectionTest, BeforeAndAfterPlaceTheItem) {
    Add(L"a", L"ka");
    Add(L"c");
    EXPECT_EQ(Hr(S_OK), Hr(Add(L"b", nullptr, LongValue(2))));
    EXPECT_EQ(Hr(S_OK), Hr(Add(L"d", nullptr, MissingValue(), LongValue(3))));
    EXPECT_EQ(Hr(S_OK), Hr(Add(L"z", nullptr, TextValue(L"KA"))));
    EXPECT_EQ((std::vector<std::wstring>{L"z", L"a", L"b", L"c", L"d"}), Contents());
    EXPECT_EQ(5, ErrorNumber(Add(L"x", nullptr, LongValue(1), LongValue(1)))) << "both positions";
    EXPECT_EQ(9, ErrorNumber(Add(L"x", nullptr, LongValue(9)))) << "no such position";
    EXPECT_EQ(5u, Contents().size());
}

TEST_F(CollectionTest, RemoveByIndexOrKey) {
    Add(L"a", L"ka");
    Add(L"b");
    Add(L"c");
    VARIANT index = LongValue(2);
    EXPECT_EQ(Hr(S_OK), Hr(c_->Remove(&index)));
    VARIANT key = TextValue(L"ka");
    EXPECT_EQ(Hr(S_OK), Hr(c_->Remove(&key)));
    EXPECT_EQ(9, ErrorNumber(c_->Remove(&key))) << "gone";
    VariantClear(&key);
    EXPECT_EQ((std::vector<std::wstring>{L"c"}), Contents());
    // The key is free again.
    EXPECT_EQ(Hr(S_OK), Hr(Add(L"again", L"ka")));
}

// The key index follows every change: items moved by inserts before them, items removed by number,
// and many keys (a list file's "1".."n").
TEST_F(CollectionTest, KeysStayRightAcrossInsertsAndRemovals) {
    const int n = 20000;
    for (int i = 1; i <= n; ++i) ASSERT_EQ(Hr(S_OK), Hr(Add(std::to_wstring(i).c_str(), (L"k" + std::to_wstring(i)).c_str())));
    EXPECT_EQ(Hr(S_OK), Hr(Add(L"front", L"Front", LongValue(1))));
    VARIANT index = LongValue(2);  // "1", key "k1"
    EXPECT_EQ(Hr(S_OK), Hr(c_->Remove(&index)));
    VARIANT out;
    for (const wchar_t* key : {L"K2", L"k777", L"k20000", L"FRONT"}) {
        VARIANT k = TextValue(key);
        ASSERT_EQ(Hr(S_OK), Hr(c_->Item(&k, &out))) << key;
        EXPECT_STREQ(std::wstring(key).substr(0, 2) == L"FR" ? L"front" : std::wstring(key).substr(1).c_str(),
                     V_BSTR(&out));
        VariantClear(&out);
        VariantClear(&k);
    }
    VARIANT gone = TextValue(L"k1");
    EXPECT_EQ(9, ErrorNumber(c_->Item(&gone, &out))) << "removed by number";
    VariantClear(&gone);
    EXPECT_EQ(Hr(S_OK), Hr(Add(L"new", L"K1"))) << "its key is free";
    EXPECT_EQ(5, ErrorNumber(Add(L"dup", L"k20000")));
    EXPECT_EQ(Hr(S_OK), Hr(Add(L"after", nullptr, MissingValue(), TextValue(L"k777"))));
    index = LongValue(778);  // "front", "2".."777", then the new item
    ASSERT_EQ(Hr(S_OK), Hr(c_->Item(&index, &out)));
    EXPECT_STREQ(L"after", V_BSTR(&out));
    VariantClear(&out);
    LONG count = 0;
    c_->Count(&count);
    EXPECT_EQ(n + 2, count);
}

TEST_F(CollectionTest, AnIndexThatIsNeitherNumberNorTextIsATypeMismatch) {
    Add(L"a");
    VARIANT index;
    V_VT(&index) = VT_DISPATCH;
    V_DISPATCH(&index) = nullptr;
    VARIANT out;
    EXPECT_EQ(13, ErrorNumber(c_->Item(&index, &out)));
}

TEST_F(CollectionTest, EnumerationVisitsASnapshotInOrder) {
    Add(L"a");
    Add(L"b");
    IUnknown* unk = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(c_->_NewEnum(&unk)));
    IEnumVARIANT* e = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(unk->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&e))));
    unk->Release();
    Add(L"c");  // after the enumerator was made: not part of it
    VARIANT v[3];
    ULONG fetched = 0;
    EXPECT_EQ(Hr(S_FALSE), Hr(e->Next(3, v, &fetched)));
    ASSERT_EQ(2u, fetched);
    EXPECT_STREQ(L"a", V_BSTR(&v[0]));
    EXPECT_STREQ(L"b", V_BSTR(&v[1]));
    VariantClear(&v[0]);
    VariantClear(&v[1]);
    EXPECT_EQ(Hr(S_OK), Hr(e->Reset()));
    EXPECT_EQ(Hr(S_OK), Hr(e->Skip(1)));
    IEnumVARIANT* clone = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(e->Clone(&clone)));
    EXPECT_EQ(Hr(S_OK), Hr(clone->Next(1, v, nullptr)));
    EXPECT_STREQ(L"b", V_BSTR(&v[0]));
    VariantClear(&v[0]);
    EXPECT_EQ(Hr(S_FALSE), Hr(e->Skip(5)));
    clone->Release();
    e->Release();
}

TEST_F(CollectionTest, LateBoundCallsReachTheSameMembers) {
    Add(L"a", L"ka");
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"Count");
    ASSERT_EQ(Hr(S_OK), Hr(c_->GetIDsOfNames(IID_NULL, &name, 1, 0, &id)));
    DISPPARAMS none{};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(Hr(S_OK), Hr(c_->Invoke(id, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, &result,
                                      nullptr, nullptr)));
    EXPECT_EQ(1, V_I4(&result));

    // Item is the default member; a missing key comes back as an exception with the text.
    VARIANT arg = TextValue(L"nope");
    DISPPARAMS one{&arg, nullptr, 1, 0};
    EXCEPINFO ex{};
    EXPECT_EQ(Hr(DISP_E_EXCEPTION),
              Hr(c_->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &one, &result, &ex,
                            nullptr)));
    EXPECT_EQ(Hr(static_cast<HRESULT>(0x800A0009)), Hr(ex.scode));
    EXPECT_STREQ(L"Subscript out of range", ex.bstrDescription);
    SysFreeString(ex.bstrDescription);
    SysFreeString(ex.bstrSource);
    SysFreeString(ex.bstrHelpFile);
    VariantClear(&arg);
}

}  // namespace
