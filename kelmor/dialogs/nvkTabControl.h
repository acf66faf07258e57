// Switches stacked page objects as tabs.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class nvkTabControl final : public DispatchObject<_nvkTabControl> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE FillTabs(IDispatch *vData, VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE AddTab(IDispatch *vData, VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE ClearTabs() override;
    HRESULT STDMETHODCALLTYPE PopTab(LONG Index, VARIANT_BOOL PopOnlyThisTab, VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE PopPrevTab(VARIANT_BOOL PopOnlyThisTab, VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE PopNextTab(VARIANT_BOOL PopOnlyThisTab, VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE ArrangeTabs(VARIANT_BOOL HideOtherTabs) override;
};

}  // namespace kelmor
