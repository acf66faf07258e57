// The DLL's four exports and its entry point: each hands straight on to the frame.
#include <windows.h>

#include "ClassFactory.h"
#include "ClassTable.h"
#include "ErrorInfo.h"
#include "Module.h"
#include "Registration.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        kelmor::Module::Attach(instance);
        kelmor::SetErrorSourceNamer(&kelmor::ClassErrorSource);
        DisableThreadLibraryCalls(instance);
        break;
    case DLL_PROCESS_DETACH:
        // At process exit (reserved != NULL) other DLLs may be gone already: release nothing.
        if (!reserved) kelmor::Module::Detach();
        break;
    default:
        break;
    }
    return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    return kelmor::ClassFactory::Get(clsid, riid, ppv);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return kelmor::Module::LockCount() == 0 ? S_OK : S_FALSE;
}

HRESULT STDAPICALLTYPE DllRegisterServer() { return kelmor::RegisterServer(); }

HRESULT STDAPICALLTYPE DllUnregisterServer() { return kelmor::UnregisterServer(); }

}  // extern "C"
