#include "Collection.h"

#include <algorithm>

#include "Text.h"
#include "VariantEnumerator.h"

namespace kelmor {
namespace {

// An optional VARIANT parameter that the caller left out: no pointer, or the "missing" marker.
bool Omitted(const VARIANT* v) {
    return !v || (V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND);
}

// Follows a by-reference VARIANT to the value it refers to.
const VARIANT* Deref(const VARIANT* v) {
    while (v && V_VT(v) == (VT_VARIANT | VT_BYREF)) v = V_VARIANTREF(v);
    return v;
}

// The text of a key given as a VARIANT: only a text names an item by key.
bool KeyText(const VARIANT* index, std::wstring& key) {
    if (V_VT(index) != VT_BSTR) return false;
    key.assign(V_BSTR(index) ? V_BSTR(index) : L"", SysStringLen(V_BSTR(index)));
    return true;
}

}  // namespace

Collection* Collection::NewEmpty() { return New<Collection>(); }

HRESULT Collection::FindValue(const VARIANT* index, const UniqueVariant** value) const {
    *value = nullptr;
    const VARIANT* v = Deref(index);
    if (Omitted(v)) return Raise(449);  // argument not optional
    std::wstring key;
    if (KeyText(v, key)) {
        const auto found = keys_.find(CaseKey(key));
        if (found != keys_.end()) *value = found->second;
        return S_OK;
    }
    LONG position = -1;
    const HRESULT hr = Find(v, &position);
    if (SUCCEEDED(hr) && position >= 0) *value = items_[static_cast<size_t>(position)].value.get();
    return hr;
}

HRESULT Collection::Find(const VARIANT* index, LONG* position) const {
    *position = -1;
    index = Deref(index);
    if (Omitted(index)) return Raise(449);  // argument not optional
    std::wstring key;
    if (KeyText(index, key)) {
        const auto found = keys_.find(CaseKey(key));
        if (found == keys_.end()) return S_OK;
        for (size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].value.get() == found->second) {
                *position = static_cast<LONG>(i);
                break;
            }
        }
        return S_OK;
    }
    UniqueVariant number;
    if (FAILED(VariantChangeType(number.get(), const_cast<VARIANT*>(index), 0, VT_I4))) return Raise(13);
    const LONG n = V_I4(number.get());
    if (n >= 1 && n <= Size()) *position = n - 1;
    return S_OK;
}

HRESULT Collection::Insert(const VARIANT& item, const std::wstring* key, size_t position) {
    Entry entry;
    if (key) {
        entry.key = CaseKey(*key);
        entry.hasKey = true;
        if (keys_.count(entry.key)) return Raise(5);  // the key is taken
    }
    entry.value = std::make_unique<UniqueVariant>();
    HRESULT hr = VariantCopyInd(entry.value->get(), const_cast<VARIANT*>(&item));
    if (FAILED(hr)) return hr;
    // Room first (growing geometrically), then the index: either may fail with nothing changed; the
    // insert itself then only moves entries, which cannot fail.
    if (items_.size() == items_.capacity()) items_.reserve(std::max<size_t>(8, 2 * items_.capacity()));
    if (entry.hasKey) keys_.emplace(entry.key, entry.value.get());
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(position), std::move(entry));
    return S_OK;
}

HRESULT Collection::Append(const VARIANT& item, const wchar_t* key) {
    return Guard([&] {
        std::wstring k = key ? key : L"";
        return Insert(item, key ? &k : nullptr, items_.size());
    });
}

HRESULT Collection::AppendObject(IDispatch* object) {
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;  // copied (and AddRef'd) by Insert
    return Append(v);
}

HRESULT Collection::Item(VARIANT* Index, VARIANT* Result) {
    if (!Result) return E_POINTER;
    VariantInit(Result);
    return Guard([&] {
        const UniqueVariant* value = nullptr;
        HRESULT hr = FindValue(Index, &value);
        if (FAILED(hr)) return hr;
        if (!value) return Raise(9);
        return VariantCopy(Result, const_cast<VARIANT*>(value->get()));
    });
}

HRESULT Collection::Add(VARIANT* Item, VARIANT* Key, VARIANT* Before, VARIANT* After) {
    return Guard([&] {
        const VARIANT* item = Deref(Item);
        if (Omitted(item)) return Raise(449);
        const VARIANT* key = Deref(Key);
        std::wstring keyText;
        bool hasKey = false;
        if (!Omitted(key)) {
            UniqueVariant text;
            if (FAILED(VariantChangeType(text.get(), const_cast<VARIANT*>(key), 0, VT_BSTR))) return Raise(13);
            keyText = FromBstr(V_BSTR(text.get()));
            hasKey = true;
        }
        const bool before = !Omitted(Deref(Before));
        const bool after = !Omitted(Deref(After));
        if (before && after) return Raise(5);
        size_t position = items_.size();
        if (before || after) {
            LONG anchor = -1;
            HRESULT hr = Find(before ? Before : After, &anchor);
            if (FAILED(hr)) return hr;
            if (anchor < 0) return Raise(9);
            position = static_cast<size_t>(anchor) + (after ? 1 : 0);
        }
        return Insert(*item, hasKey ? &keyText : nullptr, position);
    });
}

HRESULT Collection::Count(LONG* Result) {
    if (!Result) return E_POINTER;
    *Result = Size();
    return S_OK;
}

HRESULT Collection::Remove(VARIANT* Index) {
    return Guard([&] {
        LONG position = -1;
        HRESULT hr = Find(Index, &position);
        if (FAILED(hr)) return hr;
        if (position < 0) return Raise(9);
        const Entry& entry = items_[static_cast<size_t>(position)];
        if (entry.hasKey) keys_.erase(entry.key);
        items_.erase(items_.begin() + position);
        return S_OK;
    });
}

HRESULT Collection::_NewEnum(IUnknown** Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    return Guard([&] {
        std::vector<VARIANT> values;
        values.reserve(items_.size());
        for (const Entry& e : items_) values.push_back(*e.value->get());  // shallow: copied by Create
        return NewVariantEnumerator(values.data(), values.size(), Result);
    });
}

}  // namespace kelmor
