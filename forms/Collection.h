// The automation runtime's collection object: items kept in order, 1-based, each with an
// optional text key (compared without regard to letter case). An index of the keys makes a keyed
// insert and a keyed lookup take constant time on average, so a list of n keyed items is built in
// time linear in n.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "DispatchObject.h"
#include "Kelmor0200.h"
#include "Owners.h"

namespace kelmor {

class Collection final : public DispatchObject<_Collection> {
public:
    // A new empty collection (one reference held by the caller), or nullptr when out of memory.
    static Collection* NewEmpty();

    // Library-side access without VARIANT plumbing.
    HRESULT Append(const VARIANT& item, const wchar_t* key = nullptr);
    HRESULT AppendObject(IDispatch* object);
    LONG Size() const { return static_cast<LONG>(items_.size()); }
    // Element at 0-based position `index` (no check: callers check against Size()).
    const VARIANT& At(LONG index) const { return *items_[static_cast<size_t>(index)].value->get(); }

    HRESULT STDMETHODCALLTYPE Item(VARIANT* Index, VARIANT* Result) override;
    HRESULT STDMETHODCALLTYPE Add(VARIANT* Item, VARIANT* Key, VARIANT* Before, VARIANT* After) override;
    HRESULT STDMETHODCALLTYPE Count(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE Remove(VARIANT* Index) override;
    HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown** Result) override;

private:
    struct Entry {
        std::unique_ptr<UniqueVariant> value;  // its address names the item in the key index
        std::wstring key;                      // as a key (CaseKey); empty: no key
        bool hasKey = false;
    };

    // Position (0-based) named by an index (a number 1..Count) or a key; -1 when there is none.
    // A value that is neither a number nor a text is a type mismatch. A key's position takes a
    // walk over the items: only the calls that change the order by key need it.
    HRESULT Find(const VARIANT* index, LONG* position) const;
    // The item named by an index or a key, or null; errors as Find. Constant time for a key.
    HRESULT FindValue(const VARIANT* index, const UniqueVariant** value) const;
    HRESULT Insert(const VARIANT& item, const std::wstring* key, size_t position);

    std::vector<Entry> items_;
    // Every key (CaseKey) to its item's value.
    std::unordered_map<std::wstring, const UniqueVariant*> keys_;
};

}  // namespace kelmor
