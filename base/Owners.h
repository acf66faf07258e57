// Owners of system handles and automation values: each releases what it holds when it goes out
// of scope. put() hands the address to an out-parameter, release() hands the value over.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

#include <wrl/client.h>

namespace kelmor {

template <class T, class Close, T Invalid>
class UniqueOwner {
public:
    UniqueOwner() = default;
    explicit UniqueOwner(T value) : value_(value) {}
    ~UniqueOwner() { reset(); }
    UniqueOwner(UniqueOwner&& other) noexcept : value_(other.release()) {}
    UniqueOwner& operator=(UniqueOwner&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid; }
    T* put() {
        reset();
        return &value_;
    }
    T release() { return std::exchange(value_, Invalid); }
    void reset(T value = Invalid) {
        T old = std::exchange(value_, value);
        if (old != Invalid) Close{}(old);
    }

private:
    T value_ = Invalid;
};

struct CloseHKey {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
struct CloseHandle_ {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
struct FreeBstr {
    void operator()(BSTR s) const { SysFreeString(s); }
};
struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};

using UniqueHKey = UniqueOwner<HKEY, CloseHKey, nullptr>;
using UniqueHandle = UniqueOwner<HANDLE, CloseHandle_, nullptr>;
using UniqueBstr = UniqueOwner<BSTR, FreeBstr, nullptr>;
// GDI objects made by the code that holds them (fonts, brushes, bitmaps); never a stock object.
using UniqueFont = UniqueOwner<HFONT, DeleteGdiObject, nullptr>;
using UniqueBrush = UniqueOwner<HBRUSH, DeleteGdiObject, nullptr>;
using UniqueBitmap = UniqueOwner<HBITMAP, DeleteGdiObject, nullptr>;

// A VARIANT that is cleared when it goes out of scope.
class UniqueVariant {
public:
    UniqueVariant() { VariantInit(&v_); }
    ~UniqueVariant() { VariantClear(&v_); }
    UniqueVariant(const UniqueVariant&) = delete;
    UniqueVariant& operator=(const UniqueVariant&) = delete;
    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    VARIANT* put() {
        VariantClear(&v_);
        return &v_;
    }

private:
    VARIANT v_;
};

// Hands a fresh reference (one the caller owns, e.g. from New<T>()) to a ComPtr without adding
// one. MinGW's ComPtr::Attach adds a reference, unlike the original, so it is never used here.
template <class T, class U>
void Adopt(Microsoft::WRL::ComPtr<T>& owner, U* fresh) {
    *owner.ReleaseAndGetAddressOf() = fresh;
}

}  // namespace kelmor
