// Class factory of one public class.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include "ClassTable.h"
#include "Module.h"

namespace kelmor {

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const ClassEntry& entry) : entry_(entry) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

    // DllGetClassObject: the factory of `clsid`, asked for as `riid`.
    static HRESULT Get(REFCLSID clsid, REFIID riid, void** ppv);

private:
    ~ClassFactory() = default;
    const ClassEntry& entry_;
    LONG refs_ = 1;
    ModuleLockHolder lock_;  // a factory that is held keeps the DLL loaded
};

}  // namespace kelmor
