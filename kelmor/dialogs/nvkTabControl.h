// Switches stacked page objects as tabs: keeps the pages in order, shows one at a time by
// bringing it to the front (hiding the others on request), steps with wrap-around and raises
// TabShown each time a page is shown. It owns no window; pages are the client's objects, called
// late-bound by name (`Visible`, `ZOrder`).
#pragma once

#include <wrl/client.h>

#include <vector>

#include "ConnectionPoint.h"
#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class nvkTabControl final : public DispatchObject<_nvkTabControl> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    nvkTabControl();

    HRESULT STDMETHODCALLTYPE FillTabs(IDispatch *vData, VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE AddTab(IDispatch *vData, VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE ClearTabs() override;
    HRESULT STDMETHODCALLTYPE PopTab(LONG Index, VARIANT_BOOL PopOnlyThisTab, VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE PopPrevTab(VARIANT_BOOL PopOnlyThisTab, VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE PopNextTab(VARIANT_BOOL PopOnlyThisTab, VARIANT_BOOL HideOtherTabs) override;
    HRESULT STDMETHODCALLTYPE ArrangeTabs(VARIANT_BOOL HideOtherTabs) override;

protected:
    // The event connections: IConnectionPointContainer for __nvkTabControl and the class
    // information script hosts read to find it.
    void* QueryOther(REFIID riid) override { return events_.Query(riid); }

private:
    // Shows page `index` (kCurrentTab: the current one) and raises TabShown.
    HRESULT ShowTab(LONG index, bool popOnlyThisTab, bool hideOtherTabs);
    HRESULT PageOf(const VARIANT& element, Microsoft::WRL::ComPtr<IDispatch>* page);
    LONG Count() const { return static_cast<LONG>(pages_.size()); }

    std::vector<Microsoft::WRL::ComPtr<IDispatch>> pages_;
    LONG current_ = 0;  // the page shown last; 0 before the first show
    EventConnections events_;
};

}  // namespace kelmor
