#include "VariantEnumerator.h"

#include <new>

namespace kelmor {

struct VariantEnumerator::Values {
    std::vector<VARIANT> items;
    ~Values() {
        for (VARIANT& v : items) VariantClear(&v);
    }
};

VariantEnumerator::VariantEnumerator(std::shared_ptr<const Values> values, size_t position)
    : values_(std::move(values)), position_(position) {}

HRESULT VariantEnumerator::Create(const VARIANT* values, size_t count, IUnknown** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    try {
        auto snapshot = std::make_shared<Values>();
        snapshot->items.resize(count);
        for (VARIANT& v : snapshot->items) VariantInit(&v);
        for (size_t i = 0; i < count; ++i) {
            HRESULT hr = VariantCopy(&snapshot->items[i], const_cast<VARIANT*>(&values[i]));
            if (FAILED(hr)) return hr;
        }
        auto* e = new VariantEnumerator(std::move(snapshot), 0);
        *result = static_cast<IEnumVARIANT*>(e);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT VariantEnumerator::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IEnumVARIANT)) return E_NOINTERFACE;
    *ppv = static_cast<IEnumVARIANT*>(this);
    AddRef();
    return S_OK;
}

ULONG VariantEnumerator::AddRef() { return InterlockedIncrement(&refs_); }

ULONG VariantEnumerator::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
}

HRESULT VariantEnumerator::Next(ULONG count, VARIANT* values, ULONG* fetched) {
    if (fetched) *fetched = 0;
    if (count == 0) return S_OK;
    if (!values) return E_POINTER;
    // More than one element at a time needs somewhere to say how many came.
    if (count > 1 && !fetched) return E_INVALIDARG;
    ULONG n = 0;
    while (n < count && position_ < values_->items.size()) {
        VariantInit(&values[n]);
        HRESULT hr = VariantCopy(&values[n], const_cast<VARIANT*>(&values_->items[position_]));
        if (FAILED(hr)) {
            for (ULONG i = 0; i < n; ++i) VariantClear(&values[i]);
            return hr;
        }
        ++n;
        ++position_;
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
}

HRESULT VariantEnumerator::Skip(ULONG count) {
    const size_t left = values_->items.size() - position_;
    if (count > left) {
        position_ = values_->items.size();
        return S_FALSE;
    }
    position_ += count;
    return S_OK;
}

HRESULT VariantEnumerator::Reset() {
    position_ = 0;
    return S_OK;
}

HRESULT VariantEnumerator::Clone(IEnumVARIANT** clone) {
    if (!clone) return E_POINTER;
    *clone = new (std::nothrow) VariantEnumerator(values_, position_);
    return *clone ? S_OK : E_OUTOFMEMORY;
}

}  // namespace kelmor
