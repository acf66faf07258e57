#include "VariantEnumerator.h"

#include <vector>

#include "SnapshotEnumerator.h"

namespace kelmor {
namespace {

struct VariantTraits {
    static REFIID Iid() { return IID_IEnumVARIANT; }
    static HRESULT Copy(VARIANT& out, const VARIANT& in) {
        VariantInit(&out);
        return VariantCopy(&out, const_cast<VARIANT*>(&in));
    }
    static void Drop(VARIANT& v) { VariantClear(&v); }
};
using VariantEnumerator = SnapshotEnumerator<IEnumVARIANT, VARIANT, VariantTraits>;

}  // namespace

HRESULT NewVariantEnumerator(const VARIANT* values, std::size_t count, IUnknown** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    std::vector<VARIANT> copies;
    try {
        copies.reserve(count);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    for (std::size_t i = 0; i < count; ++i) {
        copies.emplace_back();
        const HRESULT hr = VariantTraits::Copy(copies.back(), values[i]);
        if (FAILED(hr)) {
            for (VARIANT& v : copies) VariantTraits::Drop(v);
            return hr;
        }
    }
    IEnumVARIANT* enumerator = nullptr;
    const HRESULT hr = VariantEnumerator::Create(copies, &enumerator);
    *result = enumerator;
    return hr;
}

}  // namespace kelmor
