// A stand-in for the library's stream reader, for the stream lister's GUI tests and the stream
// report sample's tests only. Wine has no alternate data streams (its backup and
// stream-information calls answer "not supported"), so the real reader can never list one
// there; this reader, registered under the real reader's class id in a copy of the test prefix,
// lists the records a test chooses instead.
//
// ReadFileStreams(path) reads the records from the file at `path` itself, one per line
// (UTF-8): "<kind> <attributes> <size> <name>", the name being the rest of the line (it may be
// empty). A line that starts with "~" is listed only while the file of its stream path exists
// (<path><name>, for a name ":x:$DATA" <path>:x, the path the stream lister deletes by): such a
// record stands for that file, so a deletion through the stream path is seen by the next
// reading, as on a volume with streams. A path that cannot be
// read gives false, as the real reader does. A line "fail <number>" makes the reading fail
// with runtime error <number> (0x800A0000 + number, no error information), as a reader that
// meets an error would. A folder is read as a folder without streams.
//
// Only the members the stream lister and the sample call do anything. IDispatch serves the
// library's registered type library (registered before this reader takes over the class id),
// so script clients call the same members by name.
#include <windows.h>
#include <objbase.h>
#include <olectl.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Kelmor0200.h"
#include "filesys/core/StreamRecord.h"

namespace {

HINSTANCE g_module = nullptr;
LONG g_locks = 0;

struct Record {
    LONG kind = 0;
    LONG attributes = 0;
    double size = 0;
    std::wstring name;
};

// IUnknown and IDispatch of a fake: reference counting that holds the module, IDispatch refused.
template <class Iface>
class Fake : public Iface {
public:
    Fake() { InterlockedIncrement(&g_locks); }
    virtual ~Fake() { InterlockedDecrement(&g_locks); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, __uuidof(Iface))) {
            *ppv = static_cast<Iface*>(this);
            this->AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = TypeInfo() ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = index == 0 ? TypeInfo() : nullptr;
        if (!*info) return DISP_E_BADINDEX;
        (*info)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ITypeInfo* info = TypeInfo();
        return info ? DispGetIDsOfNames(info, names, count, ids) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* error, UINT* badArgument) override {
        ITypeInfo* info = TypeInfo();
        return info ? DispInvoke(static_cast<Iface*>(this), info, id, flags, params, result, error, badArgument)
                    : E_NOTIMPL;
    }

private:
    // The interface's description from the library's registered type library, read once and
    // kept for the process.
    static ITypeInfo* TypeInfo() {
        static ITypeInfo* const info = [] {
            GUID library{};
            ITypeLib* lib = nullptr;
            ITypeInfo* found = nullptr;
            if (SUCCEEDED(CLSIDFromString(L"{D3E6EB1B-3EFC-43B2-B146-02B2EE999B48}", &library)) &&
                SUCCEEDED(LoadRegTypeLib(library, 6, 3, 0, &lib))) {
                lib->GetTypeInfoOfGuid(__uuidof(Iface), &found);
                lib->Release();
            }
            return found;
        }();
        return info;
    }

    LONG refs_ = 1;
};

HRESULT Flag(bool value, VARIANT_BOOL* out) {
    if (!out) return E_POINTER;
    *out = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT Text(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

class FakeFileStream final : public Fake<_FileStream> {
public:
    explicit FakeFileStream(Record record) : r_(std::move(record)) {}
    HRESULT STDMETHODCALLTYPE get_StreamID(LONG* v) override { return v ? (*v = r_.kind, S_OK) : E_POINTER; }
    HRESULT STDMETHODCALLTYPE get_Attributes(LONG* v) override {
        return v ? (*v = r_.attributes, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_Size(double* v) override { return v ? (*v = r_.size, S_OK) : E_POINTER; }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* v) override { return Text(r_.name, v); }
    HRESULT STDMETHODCALLTYPE get_ShortName(BSTR* v) override {
        const std::u16string_view name(reinterpret_cast<const char16_t*>(r_.name.data()), r_.name.size());
        const std::u16string_view shortName = kelmor::core::StreamShortName(name);
        return Text(std::wstring(reinterpret_cast<const wchar_t*>(shortName.data()), shortName.size()), v);
    }
    HRESULT STDMETHODCALLTYPE get_StreamIDInvalid(VARIANT_BOOL* v) override { return Flag(r_.kind == 0, v); }
    HRESULT STDMETHODCALLTYPE get_StreamIDData(VARIANT_BOOL* v) override { return Flag(r_.kind == 1, v); }
    HRESULT STDMETHODCALLTYPE get_StreamIDEAData(VARIANT_BOOL* v) override { return Flag(r_.kind == 2, v); }
    HRESULT STDMETHODCALLTYPE get_StreamIDSecurityData(VARIANT_BOOL* v) override {
        return Flag(r_.kind == 3, v);
    }
    HRESULT STDMETHODCALLTYPE get_StreamIDAlternateData(VARIANT_BOOL* v) override {
        return Flag(r_.kind == 4, v);
    }
    HRESULT STDMETHODCALLTYPE get_StreamIDLink(VARIANT_BOOL* v) override { return Flag(r_.kind == 5, v); }
    HRESULT STDMETHODCALLTYPE get_StreamIDPropertyData(VARIANT_BOOL* v) override {
        return Flag(r_.kind == 6, v);
    }
    HRESULT STDMETHODCALLTYPE get_StreamIDObjectID(VARIANT_BOOL* v) override { return Flag(r_.kind == 7, v); }
    HRESULT STDMETHODCALLTYPE get_StreamIDReparseData(VARIANT_BOOL* v) override {
        return Flag(r_.kind == 8, v);
    }
    HRESULT STDMETHODCALLTYPE get_StreamIDSparseBlock(VARIANT_BOOL* v) override {
        return Flag(r_.kind == 9, v);
    }
    HRESULT STDMETHODCALLTYPE get_AttributeModifiedWhenRead(VARIANT_BOOL* v) override {
        return Flag(r_.attributes & 1, v);
    }
    HRESULT STDMETHODCALLTYPE get_AttributeContainsSecurity(VARIANT_BOOL* v) override {
        return Flag(r_.attributes & 2, v);
    }
    HRESULT STDMETHODCALLTYPE get_AttributeContainsProperties(VARIANT_BOOL* v) override {
        return Flag(r_.attributes & 4, v);
    }
    HRESULT STDMETHODCALLTYPE get_AttributeSparseAttribute(VARIANT_BOOL* v) override {
        return Flag(r_.attributes & 8, v);
    }

private:
    Record r_;
};

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

// ":x:$DATA" as ":x", the form a program opens a stream by; any other name as it is.
std::wstring StreamPathName(const std::wstring& name) {
    const std::wstring suffix = L":$DATA";
    if (name.size() > 1 + suffix.size() && name[0] == L':' && name.ends_with(suffix))
        return name.substr(0, name.size() - suffix.size());
    return name;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class FakeFileStreams final : public Fake<_nvkFileStreams> {
public:
    HRESULT STDMETHODCALLTYPE get_Count(LONG* v) override {
        return v ? (*v = static_cast<LONG>(records_.size()), S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE get_Item(LONG index, _FileStream** v) override {
        if (!v) return E_POINTER;
        *v = nullptr;
        if (index < 0 || index >= static_cast<LONG>(records_.size()))
            return 0x800A0009;  // subscript out of range
        *v = new FakeFileStream(records_[static_cast<size_t>(index)]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReadFileStreams(BSTR FileName, VARIANT_BOOL, VARIANT_BOOL* Result) override {
        if (!Result) return E_POINTER;
        records_.clear();
        const std::wstring path(FileName ? FileName : L"", SysStringLen(FileName));
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            *Result = VARIANT_TRUE;
            return S_OK;
        }
        std::ifstream in(path.c_str(), std::ios::binary);  // MinGW's streams open wide paths
        *Result = in ? VARIANT_TRUE : VARIANT_FALSE;
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind("fail ", 0) == 0) {
                records_.clear();
                return static_cast<HRESULT>(0x800A0000u + static_cast<unsigned>(std::stoul(line.substr(5))));
            }
            const bool whileExists = !line.empty() && line[0] == '~';
            std::istringstream fields(whileExists ? line.substr(1) : line);
            Record r;
            fields >> r.kind >> r.attributes >> r.size;
            if (!fields) continue;
            std::string name;
            std::getline(fields, name);
            if (!name.empty() && name[0] == ' ') name.erase(0, 1);
            r.name = FromUtf8(name);
            if (whileExists && !Exists(path + StreamPathName(r.name))) continue;
            records_.push_back(std::move(r));
        }
        return S_OK;
    }

private:
    std::vector<Record> records_;
};

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* reader = new FakeFileStreams();
        const HRESULT hr = reader->QueryInterface(riid, ppv);
        reader->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        lock ? InterlockedIncrement(&g_locks) : InterlockedDecrement(&g_locks);
        return S_OK;
    }
};
Factory g_factory;

std::wstring ClassKey() {
    wchar_t clsid[64] = {};
    StringFromGUID2(__uuidof(nvkFileStreams), clsid, 64);
    return std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!IsEqualCLSID(clsid, __uuidof(nvkFileStreams))) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, ppv);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return g_locks == 0 ? S_OK : S_FALSE;
}

// Registers this DLL as the in-process server of the reader's class id (only that key: the
// library's other keys stay as the library wrote them).
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return E_FAIL;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, ClassKey().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    LONG status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                                 (n + 1) * sizeof(wchar_t));
    static const wchar_t kApartment[] = L"Apartment";
    if (status == ERROR_SUCCESS)
        status = RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(kApartment),
                                sizeof kApartment);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return S_OK;
}
