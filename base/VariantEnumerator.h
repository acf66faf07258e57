// IEnumVARIANT over a snapshot of values: what NewEnum / _NewEnum hand to For Each loops.
// The snapshot holds its own copies (object references AddRef'd), so changing the source list
// while enumerating neither breaks the loop nor the list.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <memory>
#include <vector>

#include "Module.h"

namespace kelmor {

class VariantEnumerator final : public IEnumVARIANT {
public:
    // Copies `count` values; returns the enumerator as IUnknown (one reference), or fails.
    static HRESULT Create(const VARIANT* values, size_t count, IUnknown** result);
    // The same from object references (each becomes a VT_DISPATCH element).
    template <class Iface>
    static HRESULT CreateFromObjects(const std::vector<Iface*>& objects, IUnknown** result);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* values, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** clone) override;

private:
    struct Values;  // shared, immutable snapshot
    VariantEnumerator(std::shared_ptr<const Values> values, size_t position);
    ~VariantEnumerator() = default;

    std::shared_ptr<const Values> values_;
    size_t position_;
    LONG refs_ = 1;
    ModuleLockHolder lock_;
};

template <class Iface>
HRESULT VariantEnumerator::CreateFromObjects(const std::vector<Iface*>& objects, IUnknown** result) {
    std::vector<VARIANT> values(objects.size());
    for (size_t i = 0; i < objects.size(); ++i) {
        V_VT(&values[i]) = VT_DISPATCH;
        V_DISPATCH(&values[i]) = objects[i];  // borrowed: Create copies (and AddRefs) them
    }
    return Create(values.data(), values.size(), result);
}

}  // namespace kelmor
