#include "nvkTabControl.h"

#include "LateBound.h"
#include "Owners.h"
#include "core/TabStepping.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

bool IsTrue(VARIANT_BOOL value) { return value != VARIANT_FALSE; }

// Member id of TabShown in __nvkTabControl.
constexpr DISPID kTabShown = 1;

}  // namespace

// The page object an element of an array-like object stands for: 91 for Nothing, 424 for a
// value that is no object.
HRESULT nvkTabControl::PageOf(const VARIANT& element, ComPtr<IDispatch>* page) {
    const VARIANT* v = &element;
    while (V_VT(v) == (VT_VARIANT | VT_BYREF)) v = V_VARIANTREF(v);
    IUnknown* object = nullptr;
    switch (V_VT(v)) {
    case VT_DISPATCH: object = V_DISPATCH(v); break;
    case VT_DISPATCH | VT_BYREF: object = *V_DISPATCHREF(v); break;
    case VT_UNKNOWN: object = V_UNKNOWN(v); break;
    case VT_UNKNOWN | VT_BYREF: object = *V_UNKNOWNREF(v); break;
    default: return Raise(424);
    }
    if (!object) return Raise(91);
    if (FAILED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(page->GetAddressOf()))))
        return Raise(424);
    return S_OK;
}

HRESULT nvkTabControl::CreateInstance(REFIID riid, void** ppv) { return Create<nvkTabControl>(riid, ppv); }

nvkTabControl::nvkTabControl()
    : events_(static_cast<_nvkTabControl*>(this), DIID___nvkTabControl, CLSID_nvkTabControl) {}

HRESULT nvkTabControl::ShowTab(LONG index, bool popOnlyThisTab, bool hideOtherTabs) {
    const LONG page = core::TabToShow(index, current_, Count());
    if (page == 0) return Raise(5);
    // Page objects and event handlers may call back into this object, even clear its pages or
    // release the caller's last reference: work on a copy of the list and stay alive meanwhile.
    ComPtr<_nvkTabControl> self(this);
    const std::vector<ComPtr<IDispatch>> pages = pages_;
    const std::wstring source = ErrorSourceOf(__uuidof(_nvkTabControl));
    for (const core::PageCall& call : core::ShowTabCalls(page, Count(), popOnlyThisTab, hideOtherTabs)) {
        IDispatch* target = pages[static_cast<size_t>(call.page) - 1].Get();
        HRESULT hr;
        if (call.kind == core::PageCall::Kind::ZOrder) {
            hr = late::CallMethod(target, L"ZOrder", source);
        } else {
            VARIANT visible;
            V_VT(&visible) = VT_BOOL;
            V_BOOL(&visible) = call.visible ? VARIANT_TRUE : VARIANT_FALSE;
            hr = late::PutProperty(target, L"Visible", visible, source);
        }
        // The page's error reaches the caller; the pages handled so far keep their new state.
        if (FAILED(hr)) return hr;
    }
    current_ = page;
    events_.Raise(kTabShown, page);
    return S_OK;
}

HRESULT nvkTabControl::FillTabs(IDispatch* vData, VARIANT_BOOL HideOtherTabs) {
    return Guard([&] {
        HRESULT hr = ClearTabs();
        if (FAILED(hr)) return hr;
        const std::wstring source = ErrorSourceOf(__uuidof(_nvkTabControl));
        LONG upper = 0, lower = 0;
        hr = late::GetLong(vData, L"UBound", &upper, source);
        if (FAILED(hr)) return hr;
        hr = late::GetLong(vData, L"LBound", &lower, source);
        if (FAILED(hr)) return hr;
        for (LONGLONG i = lower; i <= upper; ++i) {
            UniqueVariant element;
            hr = late::GetDefaultItem(vData, static_cast<LONG>(i), element.get(), source);
            if (FAILED(hr)) return hr;
            ComPtr<IDispatch> page;
            hr = PageOf(*element.get(), &page);
            if (FAILED(hr)) return hr;
            pages_.push_back(std::move(page));
        }
        return ShowTab(Count(), false, IsTrue(HideOtherTabs));
    });
}

HRESULT nvkTabControl::AddTab(IDispatch* vData, VARIANT_BOOL HideOtherTabs) {
    return Guard([&] {
        if (!vData) return Raise(380);
        pages_.emplace_back(vData);
        return ShowTab(Count(), false, IsTrue(HideOtherTabs));
    });
}

HRESULT nvkTabControl::ClearTabs() {
    // The current index stays as it was. The pages are released after the list is empty, so a
    // page whose release calls back finds the control already cleared.
    std::vector<ComPtr<IDispatch>> released;
    released.swap(pages_);
    return S_OK;
}

HRESULT nvkTabControl::PopTab(LONG Index, VARIANT_BOOL PopOnlyThisTab, VARIANT_BOOL HideOtherTabs) {
    return Guard([&] { return ShowTab(Index, IsTrue(PopOnlyThisTab), IsTrue(HideOtherTabs)); });
}

HRESULT nvkTabControl::PopPrevTab(VARIANT_BOOL PopOnlyThisTab, VARIANT_BOOL HideOtherTabs) {
    return Guard([&] {
        return ShowTab(core::PreviousTab(current_, Count()), IsTrue(PopOnlyThisTab), IsTrue(HideOtherTabs));
    });
}

HRESULT nvkTabControl::PopNextTab(VARIANT_BOOL PopOnlyThisTab, VARIANT_BOOL HideOtherTabs) {
    return Guard([&] {
        return ShowTab(core::NextTab(current_, Count()), IsTrue(PopOnlyThisTab), IsTrue(HideOtherTabs));
    });
}

HRESULT nvkTabControl::ArrangeTabs(VARIANT_BOOL HideOtherTabs) {
    return Guard([&] { return ShowTab(core::kCurrentTab, false, IsTrue(HideOtherTabs)); });
}

}  // namespace kelmor
