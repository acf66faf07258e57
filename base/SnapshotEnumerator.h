// The one COM enumerator of the project: it lists a snapshot taken when it was made, so changing
// the source list while enumerating neither breaks the loop nor the list. Clones share the
// snapshot. `Traits` says how an item is handed out and released:
//   static REFIID Iid();                          the enumerator interface's id
//   static HRESULT Copy(Item& out, const Item&);  a caller's own copy (AddRef, VariantCopy)
//   static void Drop(Item&);                      releases what the snapshot holds
#pragma once

#include <windows.h>

#include <algorithm>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "Module.h"

namespace kelmor {

template <class Enum, class Item, class Traits>
class SnapshotEnumerator final : public Enum {
public:
    // Takes over `items` and what they hold (on failure it is released); one reference to the
    // result for the caller.
    static HRESULT Create(std::vector<Item>& items, Enum** result) {
        if (!result) return E_POINTER;
        *result = nullptr;
        std::shared_ptr<Items> shared;
        try {
            shared = std::make_shared<Items>();
        } catch (const std::bad_alloc&) {
            for (Item& item : items) Traits::Drop(item);
            items.clear();
            return E_OUTOFMEMORY;
        }
        shared->list.swap(items);
        return Make(std::move(shared), 0, result);
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, Traits::Iid())) return E_NOINTERFACE;
        *ppv = static_cast<Enum*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* out, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (count == 0) return S_OK;
        if (!out) return E_POINTER;
        // More than one item at a time needs somewhere to say how many came.
        if (count > 1 && !fetched) return E_INVALIDARG;
        ULONG n = 0;
        while (n < count && position_ < items_->list.size()) {
            const HRESULT hr = Traits::Copy(out[n], items_->list[position_]);
            if (FAILED(hr)) {
                for (ULONG i = 0; i < n; ++i) Traits::Drop(out[i]);
                position_ -= n;
                return hr;
            }
            ++n;
            ++position_;
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const size_t left = items_->list.size() - position_;
        position_ += std::min<size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Enum** result) override {
        if (!result) return E_POINTER;
        return Make(items_, position_, result);
    }

private:
    struct Items {
        std::vector<Item> list;
        Items() = default;
        Items(const Items&) = delete;
        Items& operator=(const Items&) = delete;
        ~Items() {
            for (Item& item : list) Traits::Drop(item);
        }
    };

    SnapshotEnumerator(std::shared_ptr<Items> items, size_t position)
        : items_(std::move(items)), position_(position) {}
    ~SnapshotEnumerator() = default;

    static HRESULT Make(std::shared_ptr<Items> items, size_t position, Enum** result) {
        *result = new (std::nothrow) SnapshotEnumerator(std::move(items), position);
        return *result ? S_OK : E_OUTOFMEMORY;
    }

    std::shared_ptr<Items> items_;
    size_t position_;
    LONG refs_ = 1;
    ModuleLockHolder lock_;
};

}  // namespace kelmor
