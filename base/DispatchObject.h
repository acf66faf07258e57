// Base of every public class: reference counting that keeps the module loaded, IDispatch served
// from the embedded type library (TypeLibDispatch: late and early binding always agree),
// ISupportErrorInfo, and the class's way of raising errors.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <new>
#include <string>
#include <utility>

#include "ErrorInfo.h"
#include "Module.h"
#include "TypeLibDispatch.h"
#include "modMain.h"

namespace kelmor {

// Runs a member body and keeps C++ exceptions inside the COM boundary: an allocation failure
// becomes runtime error 7 (out of memory), anything else E_UNEXPECTED.
template <class Body>
HRESULT Guarded(REFIID iid, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return RaiseError(7, ErrorSourceOf(iid));
    } catch (...) {
        return E_UNEXPECTED;
    }
}

template <class Iface>
class DispatchObject : public TypeLibDispatch<Iface>, public ISupportErrorInfo {
public:
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, __uuidof(Iface)) || AnswersAs(riid)) {
            *ppv = static_cast<Iface*>(this);
        } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
            *ppv = static_cast<ISupportErrorInfo*>(this);
        } else if (void* other = QueryOther(riid)) {
            *ppv = other;
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return IsEqualIID(riid, __uuidof(Iface)) || AnswersAs(riid) ? S_OK : S_FALSE;
    }

    // Makes an object with one reference held by the caller; nullptr when out of memory.
    template <class T, class... Args>
    static T* New(Args&&... args) {
        return new (std::nothrow) T(std::forward<Args>(args)...);
    }

    // Makes an object and hands out the asked interface (class factories, members that
    // return new objects).
    template <class T, class... Args>
    static HRESULT Create(REFIID riid, void** ppv, Args&&... args) {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        T* object = New<T>(std::forward<Args>(args)...);
        if (!object) return E_OUTOFMEMORY;
        HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }

protected:
    DispatchObject() { modMain::StartThread(); }
    virtual ~DispatchObject() = default;

    // Further ids that the default interface answers to (earlier versions of it).
    virtual bool AnswersAs(REFIID) const { return false; }
    // Other interfaces of the object; the pointer is AddRef'd by QueryInterface.
    virtual void* QueryOther(REFIID) { return nullptr; }

    // Raises runtime error `number` from this class.
    HRESULT Raise(LONG number, const std::wstring& description = {}) const {
        return RaiseError(number, ErrorSourceOf(__uuidof(Iface)), description);
    }
    // Runs a member body with C++ exceptions kept inside.
    template <class Body>
    HRESULT Guard(Body&& body) noexcept {
        return Guarded(__uuidof(Iface), std::forward<Body>(body));
    }

private:
    LONG refs_ = 1;
    ModuleLockHolder lock_;
};

}  // namespace kelmor
