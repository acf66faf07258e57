#include "Module.h"

#include <array>

namespace kelmor {
namespace {

HINSTANCE g_instance = nullptr;
LONG g_locks = 0;
ITypeLib* g_typeLib = nullptr;

// One slot per interface asked for; filled once, released when the DLL is unloaded.
struct TypeInfoSlot {
    GUID guid;
    ITypeInfo* info;
};
constexpr size_t kSlots = 64;
std::array<TypeInfoSlot, kSlots> g_slots{};
LONG g_slotCount = 0;
SRWLOCK g_cacheLock = SRWLOCK_INIT;  // type information may be asked for from several apartments

// What Detach runs for the layers above; registered from any apartment.
constexpr size_t kReleases = 8;
std::array<void (*)(), kReleases> g_releases{};
size_t g_releaseCount = 0;
SRWLOCK g_releaseLock = SRWLOCK_INIT;

}  // namespace

void Module::Attach(HINSTANCE instance) {
    g_instance = instance;
}

void Module::Detach() {
    AcquireSRWLockExclusive(&g_releaseLock);
    while (g_releaseCount > 0) g_releases[--g_releaseCount]();
    ReleaseSRWLockExclusive(&g_releaseLock);
    for (LONG i = 0; i < g_slotCount; ++i) g_slots[i].info->Release();
    g_slotCount = 0;
    if (g_typeLib) g_typeLib->Release();
    g_typeLib = nullptr;
}

bool Module::AtDetach(void (*release)()) {
    AcquireSRWLockExclusive(&g_releaseLock);
    bool kept = false;
    for (size_t i = 0; i < g_releaseCount && !kept; ++i) kept = g_releases[i] == release;
    if (!kept && g_releaseCount < kReleases) {
        g_releases[g_releaseCount++] = release;
        kept = true;
    }
    ReleaseSRWLockExclusive(&g_releaseLock);
    return kept;
}

HINSTANCE Module::Instance() { return g_instance; }

std::wstring Module::Path() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);  // truncated: grow and read again
    }
}

void Module::Lock() { InterlockedIncrement(&g_locks); }
void Module::Unlock() { InterlockedDecrement(&g_locks); }
LONG Module::LockCount() { return g_locks; }

HRESULT Module::TypeLib(ITypeLib** lib) {
    if (!lib) return E_POINTER;
    *lib = nullptr;
    AcquireSRWLockExclusive(&g_cacheLock);
    HRESULT hr = S_OK;
    if (!g_typeLib) {
        std::wstring path = Path();
        hr = path.empty() ? HRESULT_FROM_WIN32(GetLastError())
                          : LoadTypeLibEx(path.c_str(), REGKIND_NONE, &g_typeLib);
    }
    if (SUCCEEDED(hr)) {
        g_typeLib->AddRef();
        *lib = g_typeLib;
    }
    ReleaseSRWLockExclusive(&g_cacheLock);
    return hr;
}

HRESULT Module::TypeInfoOf(REFGUID guid, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    AcquireSRWLockExclusive(&g_cacheLock);
    for (LONG i = 0; i < g_slotCount; ++i) {
        if (IsEqualGUID(g_slots[i].guid, guid)) {
            g_slots[i].info->AddRef();
            *info = g_slots[i].info;
            ReleaseSRWLockExclusive(&g_cacheLock);
            return S_OK;
        }
    }
    ReleaseSRWLockExclusive(&g_cacheLock);

    ITypeLib* lib = nullptr;
    HRESULT hr = TypeLib(&lib);
    if (FAILED(hr)) return hr;
    ITypeInfo* found = nullptr;
    hr = lib->GetTypeInfoOfGuid(guid, &found);
    lib->Release();
    if (FAILED(hr)) return hr;

    AcquireSRWLockExclusive(&g_cacheLock);
    if (g_slotCount < static_cast<LONG>(kSlots)) {
        found->AddRef();
        g_slots[g_slotCount++] = {guid, found};
    }
    ReleaseSRWLockExclusive(&g_cacheLock);
    *info = found;
    return S_OK;
}

}  // namespace kelmor
