// The tab control through its table and through IDispatch: showing, stepping with wrap-around,
// index errors, pages' own errors, filling from an array-like object, and the TabShown event
// through the connection point (raised synchronously, re-entrant).
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeObjects.h"
#include "Kelmor0200.h"
#include "Module.h"
#include "TestSupport.h"
#include "dialogs/nvkTabControl.h"

namespace {

using Microsoft::WRL::ComPtr;
using kelmor::test::FakeArray;
using kelmor::test::FakePage;
using kelmor::test::FakeTabSink;
using kelmor::test::Hr;
using kelmor::test::ObjectValue;

constexpr HRESULT Error(LONG n) { return static_cast<HRESULT>(0x800A0000 | n); }

// Source and description of the thread's error information ("<none>" when there is none).
std::wstring LastError() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK) return L"<none>";
    BSTR source = nullptr, description = nullptr;
    info->GetSource(&source);
    info->GetDescription(&description);
    std::wstring text = std::wstring(source ? source : L"") + L": " + (description ? description : L"");
    SysFreeString(source);
    SysFreeString(description);
    return text;
}

class TabControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        locksBefore_ = kelmor::Module::LockCount();
        ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkTabControl::CreateInstance(IID__nvkTabControl, &tabs_)));
        sink_ = new FakeTabSink(DIID___nvkTabControl);
        ComPtr<IConnectionPointContainer> container;
        ASSERT_EQ(Hr(S_OK), Hr(tabs_.As(&container)));
        ASSERT_EQ(Hr(S_OK), Hr(container->FindConnectionPoint(DIID___nvkTabControl, &point_)));
        ASSERT_EQ(Hr(S_OK), Hr(point_->Advise(sink_, &cookie_)));
    }
    void TearDown() override {
        if (point_) point_->Unadvise(cookie_);
        point_.Reset();
        tabs_.Reset();
        for (FakePage* p : pages_) p->Release();
        pages_.clear();
        if (sink_) sink_->Release();
        // Every object of the library is gone: nothing kept a reference it should not.
        EXPECT_EQ(locksBefore_, kelmor::Module::LockCount());
        CoUninitialize();
    }
    FakePage* Page(bool hasZOrder = true) {
        pages_.push_back(new FakePage(static_cast<int>(pages_.size()) + 1, &log_, hasZOrder));
        return pages_.back();
    }
    void AddPages(int n) {
        for (int i = 0; i < n; ++i) ASSERT_EQ(Hr(S_OK), Hr(tabs_->AddTab(Page(), VARIANT_FALSE)));
        log_.clear();
        sink_->shown.clear();
    }

    ComPtr<_nvkTabControl> tabs_;
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
    FakeTabSink* sink_ = nullptr;
    std::vector<FakePage*> pages_;
    std::string log_;
    LONG locksBefore_ = 0;
};

TEST_F(TabControlTest, AddTabShowsEachNewPageAndRaisesTabShown) {
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->AddTab(Page(), VARIANT_FALSE)));
    EXPECT_EQ("Z1 V1 Z1 V1", log_);
    EXPECT_EQ(std::vector<LONG>{1}, sink_->shown);
    log_.clear();
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->AddTab(Page(), VARIANT_FALSE)));
    EXPECT_EQ("Z1 Z2 V1 V2 Z2 V2", log_);
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->AddTab(Page(), VARIANT_TRUE)));
    EXPECT_EQ((std::vector<LONG>{1, 2, 3}), sink_->shown);
    EXPECT_FALSE(pages_[0]->visible);
    EXPECT_FALSE(pages_[1]->visible);
    EXPECT_TRUE(pages_[2]->visible);
    EXPECT_EQ(0, sink_->unexpected);
}

TEST_F(TabControlTest, StepsWrapAroundBothWays) {
    AddPages(3);  // page 3 shown
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->PopNextTab(VARIANT_FALSE, VARIANT_FALSE)));
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->PopPrevTab(VARIANT_FALSE, VARIANT_FALSE)));
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->PopPrevTab(VARIANT_FALSE, VARIANT_FALSE)));
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->PopNextTab(VARIANT_FALSE, VARIANT_FALSE)));
    EXPECT_EQ((std::vector<LONG>{1, 3, 2, 3}), sink_->shown);
}

TEST_F(TabControlTest, ShowingStacksAndHidesAsAsked) {
    AddPages(3);
    // All visible, the chosen one on top.
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->PopTab(2, VARIANT_FALSE, VARIANT_FALSE)));
    EXPECT_EQ("Z1 Z2 Z3 V1 V2 V3 Z2 V2", log_);
    EXPECT_TRUE(pages_[0]->visible && pages_[1]->visible && pages_[2]->visible);
    // Only that page touched for the order; the others hidden.
    log_.clear();
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->PopTab(1, VARIANT_TRUE, VARIANT_TRUE)));
    EXPECT_EQ("H1 H2 H3 Z1 V1", log_);
    EXPECT_TRUE(pages_[0]->visible);
    EXPECT_FALSE(pages_[1]->visible || pages_[2]->visible);
    // -1 and ArrangeTabs show the current page again.
    log_.clear();
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->PopTab(-1, VARIANT_TRUE, VARIANT_FALSE)));
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->ArrangeTabs(VARIANT_TRUE)));
    EXPECT_EQ((std::vector<LONG>{2, 1, 1, 1}), sink_->shown);
    EXPECT_EQ("V1 V2 V3 Z1 V1 Z1 Z2 Z3 H1 H2 H3 Z1 V1", log_);
}

TEST_F(TabControlTest, IndexOutsideThePagesIsError5WithoutAnyCallOrEvent) {
    // Nothing shown yet: the current page is no page.
    EXPECT_EQ(Hr(Error(5)), Hr(tabs_->PopTab(-1, VARIANT_FALSE, VARIANT_FALSE)));
    EXPECT_EQ(Hr(Error(5)), Hr(tabs_->PopNextTab(VARIANT_FALSE, VARIANT_FALSE)));
    EXPECT_EQ(Hr(Error(5)), Hr(tabs_->ArrangeTabs(VARIANT_FALSE)));
    AddPages(3);
    for (LONG index : {0L, 4L, -2L, LONG(0x7FFFFFFF)}) {
        EXPECT_EQ(Hr(Error(5)), Hr(tabs_->PopTab(index, VARIANT_FALSE, VARIANT_FALSE))) << index;
    }
    EXPECT_EQ(L"Kelmor0200.nvkTabControl: Invalid procedure call or argument", LastError());
    EXPECT_EQ("", log_);
    EXPECT_TRUE(sink_->shown.empty());
    // The current page did not move.
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->ArrangeTabs(VARIANT_FALSE)));
    EXPECT_EQ(std::vector<LONG>{3}, sink_->shown);
}

TEST_F(TabControlTest, AddTabWithNoObjectIsError380) {
    EXPECT_EQ(Hr(Error(380)), Hr(tabs_->AddTab(nullptr, VARIANT_FALSE)));
    EXPECT_EQ(L"Kelmor0200.nvkTabControl: Invalid property value", LastError());
    EXPECT_EQ(Hr(Error(5)), Hr(tabs_->PopTab(1, VARIANT_FALSE, VARIANT_FALSE)));  // nothing was added
}

TEST_F(TabControlTest, ClearTabsKeepsTheOldIndex) {
    AddPages(3);  // current page 3
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->ClearTabs()));
    EXPECT_EQ(Hr(Error(5)), Hr(tabs_->ArrangeTabs(VARIANT_FALSE)));
    EXPECT_EQ(Hr(Error(5)), Hr(tabs_->PopNextTab(VARIANT_FALSE, VARIANT_FALSE)));
    EXPECT_EQ(Hr(Error(5)), Hr(tabs_->PopPrevTab(VARIANT_FALSE, VARIANT_FALSE)));
    // A page whose first call fails is added but not shown: the index stays 3, beyond the one
    // page there is now, so showing the current page fails and the next step wraps to page 1.
    FakePage* page = Page();
    page->failuresLeft = 1;
    EXPECT_EQ(Hr(Error(1234)), Hr(tabs_->AddTab(page, VARIANT_FALSE)));
    EXPECT_EQ(Hr(Error(5)), Hr(tabs_->ArrangeTabs(VARIANT_FALSE)));
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->PopNextTab(VARIANT_FALSE, VARIANT_FALSE)));
    EXPECT_EQ(std::vector<LONG>{1}, sink_->shown);
    // The pages released by ClearTabs are no longer touched.
    EXPECT_EQ(std::string::npos, log_.find('1')) << log_;
}

TEST_F(TabControlTest, PagesErrorsReachTheCallerAndEarlierPagesKeepTheirState) {
    AddPages(2);
    FakePage* noZOrder = Page(false);
    // Pages 1 and 2 come to the front, then page 3 has no ZOrder: error 438, no event.
    EXPECT_EQ(Hr(Error(438)), Hr(tabs_->AddTab(noZOrder, VARIANT_FALSE)));
    EXPECT_EQ(L"Kelmor0200.nvkTabControl: Object doesn't support this property or method", LastError());
    EXPECT_EQ("Z1 Z2", log_);
    EXPECT_TRUE(sink_->shown.empty());
    // A page's own error comes with its number, text and source.
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->ClearTabs()));
    FakePage* refusing = Page();
    refusing->failuresLeft = 5;
    EXPECT_EQ(Hr(Error(1234)), Hr(tabs_->AddTab(refusing, VARIANT_FALSE)));
    EXPECT_EQ(L"FakePage: page refused", LastError());
}

TEST_F(TabControlTest, FillTabsTakesTheElementsInIndexOrderAndShowsTheLast) {
    AddPages(1);  // replaced by the fill
    std::vector<VARIANT> frames;
    for (int i = 0; i < 3; ++i) frames.push_back(ObjectValue(Page()));
    auto* array = new FakeArray(2, frames);  // indices 2..4
    log_.clear();
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->FillTabs(array, VARIANT_TRUE)));
    EXPECT_EQ("Z2 Z3 Z4 H2 H3 H4 Z4 V4", log_);
    EXPECT_EQ(std::vector<LONG>{3}, sink_->shown);
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->PopTab(1, VARIANT_TRUE, VARIANT_FALSE)));
    EXPECT_EQ((std::vector<LONG>{3, 1}), sink_->shown);
    array->Release();

    // An empty array-like object: the pages are cleared, then error 5.
    auto* empty = new FakeArray(0, {});
    EXPECT_EQ(Hr(Error(5)), Hr(tabs_->FillTabs(empty, VARIANT_FALSE)));
    EXPECT_EQ(Hr(Error(5)), Hr(tabs_->PopTab(1, VARIANT_FALSE, VARIANT_FALSE)));
    empty->Release();
}

TEST_F(TabControlTest, FillTabsRefusesWhatIsNoArrayOfObjects) {
    EXPECT_EQ(Hr(Error(91)), Hr(tabs_->FillTabs(nullptr, VARIANT_FALSE)));
    FakePage* notAnArray = Page();
    EXPECT_EQ(Hr(Error(438)), Hr(tabs_->FillTabs(notAnArray, VARIANT_FALSE)));  // no UBound
    VARIANT text;
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocString(L"not a page");
    auto* mixed = new FakeArray(0, {ObjectValue(Page()), text});
    EXPECT_EQ(Hr(Error(424)), Hr(tabs_->FillTabs(mixed, VARIANT_FALSE)));
    mixed->Release();
    VARIANT nothing;
    V_VT(&nothing) = VT_DISPATCH;
    V_DISPATCH(&nothing) = nullptr;
    auto* holey = new FakeArray(0, {nothing});
    EXPECT_EQ(Hr(Error(91)), Hr(tabs_->FillTabs(holey, VARIANT_FALSE)));
    holey->Release();
    EXPECT_TRUE(sink_->shown.empty());
}

TEST_F(TabControlTest, HandlersMayCallTheControlBack) {
    AddPages(3);
    // A handler that steps on once from inside the event: both events arrive, the inner one
    // inside the outer one's call.
    bool stepped = false;
    sink_->onShown = [&](LONG) {
        if (stepped) return;
        stepped = true;
        EXPECT_EQ(Hr(S_OK), Hr(tabs_->PopNextTab(VARIANT_FALSE, VARIANT_FALSE)));
    };
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->PopTab(1, VARIANT_FALSE, VARIANT_FALSE)));
    EXPECT_EQ((std::vector<LONG>{1, 2}), sink_->shown);
    // The current page is the one shown last (2): next is 3.
    sink_->onShown = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->PopNextTab(VARIANT_FALSE, VARIANT_FALSE)));
    EXPECT_EQ(3, sink_->shown.back());

    // A page that clears the control while it is being shown: the show completes on the pages
    // it started with; afterwards the list is empty.
    pages_[0]->onZOrder = [&] { tabs_->ClearTabs(); };
    log_.clear();
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->PopTab(2, VARIANT_FALSE, VARIANT_FALSE)));
    EXPECT_EQ("Z1 Z2 Z3 V1 V2 V3 Z2 V2", log_);
    EXPECT_EQ(Hr(Error(5)), Hr(tabs_->PopTab(1, VARIANT_FALSE, VARIANT_FALSE)));
}

TEST_F(TabControlTest, AHandlerMayReleaseTheLastReference) {
    AddPages(2);
    _nvkTabControl* raw = tabs_.Detach();
    point_->Unadvise(cookie_);
    point_.Reset();  // the connection point holds the object too
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(Hr(S_OK), Hr(raw->QueryInterface(IID_PPV_ARGS(&container))));
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(Hr(S_OK), Hr(container->FindConnectionPoint(DIID___nvkTabControl, &point)));
    ASSERT_EQ(Hr(S_OK), Hr(point->Advise(sink_, &cookie_)));
    point->Unadvise(cookie_ + 1000);  // no such connection: nothing changes
    container.Reset();
    // The sink keeps no reference to the control; the control holds the sink. Releasing the
    // point leaves `raw` as the only reference, released inside the event.
    point.Reset();
    sink_->onShown = [&](LONG) {
        if (raw) std::exchange(raw, nullptr)->Release();
    };
    ASSERT_EQ(Hr(S_OK), Hr(raw->PopTab(1, VARIANT_FALSE, VARIANT_FALSE)));
    EXPECT_EQ(nullptr, raw);
    EXPECT_EQ(std::vector<LONG>{1}, sink_->shown);
}

TEST_F(TabControlTest, ConnectionPointsFollowTheModel) {
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(Hr(S_OK), Hr(tabs_.As(&container)));
    // The container is a face of the object.
    ComPtr<IUnknown> a, b;
    tabs_.As(&a);
    container.As(&b);
    EXPECT_EQ(a.Get(), b.Get());
    ComPtr<IConnectionPoint> other;
    EXPECT_EQ(Hr(CONNECT_E_NOCONNECTION), Hr(container->FindConnectionPoint(IID_IDispatch, &other)));
    EXPECT_EQ(nullptr, other.Get());

    IID iid{};
    ASSERT_EQ(Hr(S_OK), Hr(point_->GetConnectionInterface(&iid)));
    EXPECT_TRUE(IsEqualIID(iid, DIID___nvkTabControl));
    ComPtr<IConnectionPointContainer> back;
    ASSERT_EQ(Hr(S_OK), Hr(point_->GetConnectionPointContainer(&back)));
    EXPECT_EQ(container.Get(), back.Get());

    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(Hr(S_OK), Hr(container->EnumConnectionPoints(&points)));
    IConnectionPoint* got[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(Hr(S_FALSE), Hr(points->Next(2, got, &fetched)));
    ASSERT_EQ(1u, fetched);
    EXPECT_EQ(point_.Get(), got[0]);
    got[0]->Release();

    // Two sinks hear each event in the order they connected; a disconnected one no more.
    auto* second = new FakeTabSink(DIID___nvkTabControl);
    std::string order;
    sink_->onShown = [&](LONG) { order += "a"; };
    second->onShown = [&](LONG) { order += "b"; };
    DWORD secondCookie = 0;
    ASSERT_EQ(Hr(S_OK), Hr(point_->Advise(second, &secondCookie)));
    EXPECT_NE(cookie_, secondCookie);
    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(Hr(S_OK), Hr(point_->EnumConnections(&connections)));
    CONNECTDATA data[3] = {};
    ASSERT_EQ(Hr(S_FALSE), Hr(connections->Next(3, data, &fetched)));
    ASSERT_EQ(2u, fetched);
    EXPECT_EQ(cookie_, data[0].dwCookie);
    EXPECT_EQ(secondCookie, data[1].dwCookie);
    for (ULONG i = 0; i < fetched; ++i) data[i].pUnk->Release();
    connections.Reset();
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->AddTab(Page(), VARIANT_FALSE)));
    ASSERT_EQ(Hr(S_OK), Hr(point_->Unadvise(secondCookie)));
    EXPECT_EQ(Hr(CONNECT_E_NOCONNECTION), Hr(point_->Unadvise(secondCookie)));
    ASSERT_EQ(Hr(S_OK), Hr(tabs_->ArrangeTabs(VARIANT_FALSE)));
    EXPECT_EQ("aba", order);
    EXPECT_EQ(1u, second->refs);  // the control let it go
    second->Release();

    // A sink that is no dispatch object cannot connect.
    DWORD cookie = 99;
    EXPECT_EQ(Hr(CONNECT_E_CANNOTCONNECT), Hr(point_->Advise(points.Get(), &cookie)));
    EXPECT_EQ(0u, cookie);
}

TEST_F(TabControlTest, ClassInformationNamesTheEventInterface) {
    ComPtr<IProvideClassInfo2> info;
    ASSERT_EQ(Hr(S_OK), Hr(tabs_.As(&info)));
    GUID source{};
    ASSERT_EQ(Hr(S_OK), Hr(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source)));
    EXPECT_TRUE(IsEqualGUID(source, DIID___nvkTabControl));
    EXPECT_EQ(Hr(E_INVALIDARG), Hr(info->GetGUID(12345, &source)));
    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(Hr(S_OK), Hr(info->GetClassInfo(&coclass)));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(coclass->GetTypeAttr(&attr)));
    EXPECT_EQ(TKIND_COCLASS, attr->typekind);
    EXPECT_TRUE(IsEqualGUID(attr->guid, CLSID_nvkTabControl));
    coclass->ReleaseTypeAttr(attr);
}

// Late binding, as a script client calls it: omitted optional arguments take their defaults
// (PopTab's Index -1), and errors arrive as exceptions with their number.
TEST_F(TabControlTest, ThroughIDispatch) {
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(Hr(S_OK), Hr(tabs_.As(&dispatch)));
    auto id = [&](const wchar_t* name) {
        DISPID d = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        EXPECT_EQ(Hr(S_OK), Hr(dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &d))) << name;
        return d;
    };
    auto call = [&](const wchar_t* name, std::vector<VARIANT> args, EXCEPINFO* excep) {
        DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        UINT argErr = 0;
        VARIANT result;
        VariantInit(&result);
        HRESULT hr = dispatch->Invoke(id(name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                                      excep, &argErr);
        VariantClear(&result);
        for (VARIANT& v : args) VariantClear(&v);
        return hr;
    };
    EXCEPINFO excep{};
    for (int i = 0; i < 2; ++i) ASSERT_EQ(Hr(S_OK), Hr(call(L"AddTab", {ObjectValue(Page())}, &excep)));
    ASSERT_EQ(Hr(S_OK), Hr(call(L"PopPrevTab", {}, &excep)));
    ASSERT_EQ(Hr(S_OK), Hr(call(L"poptab", {}, &excep)));  // Index -1: the current page
    EXPECT_EQ((std::vector<LONG>{1, 2, 1, 1}), sink_->shown);

    VARIANT zero;
    V_VT(&zero) = VT_I4;
    V_I4(&zero) = 0;
    excep = EXCEPINFO{};
    ASSERT_EQ(Hr(DISP_E_EXCEPTION), Hr(call(L"PopTab", {zero}, &excep)));
    if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
    EXPECT_EQ(Hr(Error(5)), Hr(excep.scode));
    EXPECT_STREQ(L"Kelmor0200.nvkTabControl", excep.bstrSource);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
}

}  // namespace
