// IDispatch served from the embedded type library for the interface `Iface`: late binding and the
// vtable always agree. The base of every public class (DispatchObject) and of the extra faces an
// object shows through other interfaces.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <oleauto.h>
#include <wrl/client.h>

#include "DispatchNames.h"
#include "Module.h"

namespace kelmor {

template <class Iface>
class TypeLibDispatch : public Iface {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return Module::TypeInfoOf(__uuidof(Iface), info);
    }
    // Answered from the interface's name table, built at the first call; from the type information
    // itself when the table could not be built.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (const DispatchNames* table = Names()) return table->Find(names, count, ids);
        Microsoft::WRL::ComPtr<ITypeInfo> info;
        const HRESULT hr = Module::TypeInfoOf(__uuidof(Iface), &info);
        return FAILED(hr) ? hr : DispGetIDsOfNames(info.Get(), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        Microsoft::WRL::ComPtr<ITypeInfo> info;
        const HRESULT hr = Module::TypeInfoOf(__uuidof(Iface), &info);
        if (FAILED(hr)) return hr;
        return info->Invoke(static_cast<Iface*>(this), id, flags, params, result, excep, argErr);
    }

protected:
    TypeLibDispatch() = default;
    virtual ~TypeLibDispatch() = default;

private:
    // The interface's one name table for the process (made once, thread-safely); null when the type
    // information could not be read or the table not built.
    static const DispatchNames* Names() {
        static const DispatchNames* const table = [] {
            static DispatchNames names;
            Microsoft::WRL::ComPtr<ITypeInfo> info;
            if (FAILED(Module::TypeInfoOf(__uuidof(Iface), &info))) return static_cast<DispatchNames*>(nullptr);
            return names.Build(info.Get()) ? &names : nullptr;
        }();
        return table;
    }
};

}  // namespace kelmor
