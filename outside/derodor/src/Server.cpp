// Derodor.dll as a COM in-process server: the entry points, the class factory of its one class
// and its self-registration.
#include <windows.h>
#include <objbase.h>

#include <new>
#include <string>

#include "EventLogger.h"
#include "Server.h"

namespace derodor {
namespace {

HINSTANCE g_module = nullptr;
LONG g_locks = 0;

constexpr wchar_t kDescription[] = L"Derodor event logger";

std::wstring ClsidText() {
    wchar_t text[40] = {};
    StringFromGUID2(kClsidEventLogger, text, 40);
    return text;
}

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
        *ppv = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // The factory is static: its references only keep the module loaded.
    ULONG STDMETHODCALLTYPE AddRef() override {
        LockModule();
        return 2;
    }
    ULONG STDMETHODCALLTYPE Release() override {
        UnlockModule();
        return 1;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        EventLogger* logger = new (std::nothrow) EventLogger();
        if (!logger) return E_OUTOFMEMORY;
        const HRESULT hr = logger->QueryInterface(riid, ppv);
        logger->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) LockModule();
        else UnlockModule();
        return S_OK;
    }
};

Factory g_factory;

HRESULT SetText(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY handle = nullptr;
    LONG status = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status == ERROR_SUCCESS) {
        status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(handle);
    }
    return HRESULT_FROM_WIN32(status);
}

HRESULT DeleteTree(const std::wstring& key) {
    const LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(status);
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

}  // namespace

void LockModule() { InterlockedIncrement(&g_locks); }
void UnlockModule() { InterlockedDecrement(&g_locks); }

}  // namespace derodor

using namespace derodor;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(clsid, kClsidEventLogger)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, ppv);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_locks == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer();

// The class, its in-process server (apartment-threaded) and its ProgID.
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    const std::wstring path = ModulePath();
    if (path.empty()) return HRESULT_FROM_WIN32(GetLastError());
    const std::wstring clsidKey = L"CLSID\\" + ClsidText();
    HRESULT hr = SetText(clsidKey, nullptr, kDescription);
    if (SUCCEEDED(hr)) hr = SetText(clsidKey + L"\\InprocServer32", nullptr, path);
    if (SUCCEEDED(hr)) hr = SetText(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    if (SUCCEEDED(hr)) hr = SetText(clsidKey + L"\\ProgID", nullptr, kProgId);
    if (SUCCEEDED(hr)) hr = SetText(kProgId, nullptr, kDescription);
    if (SUCCEEDED(hr)) hr = SetText(std::wstring(kProgId) + L"\\CLSID", nullptr, ClsidText());
    if (FAILED(hr)) DllUnregisterServer();
    return hr;
}

// Removes what DllRegisterServer wrote; removing twice is fine.
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    const HRESULT progId = DeleteTree(kProgId);
    const HRESULT clsid = DeleteTree(L"CLSID\\" + ClsidText());
    return FAILED(progId) ? progId : clsid;
}
