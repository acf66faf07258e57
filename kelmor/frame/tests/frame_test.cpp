// The library as a COM server: creation by class id and ProgID, refusal of the classes that
// other objects hand out, the factory and unload counts, and self-registration.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

using kelmor::test::Guid;
using kelmor::test::Hr;

struct ClassRow {
    const wchar_t* name;
    const wchar_t* clsid;
    const wchar_t* defaultIid;
    bool creatable;
};

// The seventeen public classes as clients know them.
const ClassRow kClasses[] = {
    {L"nvkMain", L"{F00DA968-5205-447C-919A-A9B0003720BC}", L"{B38B8488-FE4C-4F7F-BB94-779C718CA6AF}", true},
    {L"nvkAlone", L"{E5E79813-3E33-4CB6-B455-5E417CEBC7B8}", L"{5F8F07BB-3FD7-48B4-8DE0-D3918A7266B8}", true},
    {L"StringBuffA", L"{390B1D8B-3348-4245-94EA-E772191B8099}", L"{F0D6F962-BA88-4C47-9165-308EDDAF1EE9}", true},
    {L"nvkBenchMark", L"{A6E85C97-D15D-444E-B3D7-CB8535ABFF02}", L"{3B80168B-14F5-4F6F-BEDE-3D79F1E833A4}", true},
    {L"nvkSimpleListDialog", L"{B8185298-9DFB-48BA-B3EC-DD3AC3D8E042}", L"{A9D80671-84B6-4F70-9577-8B42E4A70CC4}", true},
    {L"nvkRegistry", L"{644E66E9-F2C8-426F-AE35-B4DD209D91E8}", L"{12BF7EAD-E682-48FA-9B22-E8AC6BCE9BE8}", true},
    {L"nvkNevkitSettings", L"{B8C2EAD0-0521-4770-8061-E7D2A8C1B441}", L"{F73D84BF-8734-4DFD-9D48-D6F8A90A4210}", true},
    {L"PictureInfo", L"{0BF0E35A-6687-4D30-BF61-88CDD179521E}", L"{610E8839-895D-4784-AE0F-C87A9BD396FD}", true},
    {L"nvkBenchMarkHP", L"{B7880BF9-3F57-4966-BA7A-DF55D9117AC1}", L"{154C464A-74BB-45EE-B08D-DEC7E962FED7}", true},
    {L"nvkTextBoxDefButtonWatcher", L"{2D5B328E-9BA7-4C91-B344-2EADAA3AF75F}", L"{232C7707-60C3-4CA7-AF1C-541FA1AC03B7}", true},
    {L"nvkTabControl", L"{8101DED2-529E-4D10-B41E-7AD69329D983}", L"{DB62E267-7088-4229-96BD-4EA41716C8FD}", true},
    {L"CommandLineParser", L"{5712B9ED-FFAA-4823-B748-7196A1CBBFA1}", L"{70F35C5E-8993-47EF-BB6C-EB8AAF4B0AEF}", false},
    {L"nvkFoundedFiles", L"{7919E48D-3483-43FC-BD5E-1A3181A1FD1C}", L"{82E764F0-67F4-4D45-A90B-096E4A1B1A5C}", true},
    {L"FoundedFile", L"{8505EF5F-17B6-4109-8775-4BE800F45F03}", L"{8AC9CCB6-3CD4-48FB-B45B-345028C02258}", false},
    {L"IFindFilesCallback", L"{4B61FA6E-EA26-495D-A373-383A6A4E62A3}", L"{EEDD3BE6-C948-46ED-AFEB-37D7A2D60D4E}", true},
    {L"nvkFileStreams", L"{86120CE1-8D16-47C6-B99B-2234B79C427C}", L"{5AF01273-7EA7-46D7-B7EE-23C26E5DE257}", true},
    {L"FileStream", L"{F6A12F78-09E8-4410-9410-5ADAFEB80002}", L"{B7197FF5-6B1D-42D2-B30C-E649C701A750}", false},
};

const wchar_t kLibId[] = L"{D3E6EB1B-3EFC-43B2-B146-02B2EE999B48}";
const wchar_t kRegistryV0[] = L"{00E63A46-05E3-4280-9735-942D933620FD}";
const wchar_t kRegistryV1[] = L"{1E3013A4-5EB6-478E-BA37-9CA644CE0A07}";
const wchar_t kTabControlEvents[] = L"{6F71E7B1-84F1-4BFD-AAFB-68E46F69B8BF}";

std::wstring ProgId(const ClassRow& c) { return std::wstring(L"Kelmor0200.") + c.name; }

class Server : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(Server, EveryCreatableClassIsMadeByClassIdAndByProgId) {
    for (const ClassRow& c : kClasses) {
        if (!c.creatable) continue;
        SCOPED_TRACE(c.name);
        IDispatch* byId = nullptr;
        EXPECT_EQ(Hr(S_OK), Hr(CoCreateInstance(Guid(c.clsid), nullptr, CLSCTX_INPROC_SERVER,
                                                IID_IDispatch, reinterpret_cast<void**>(&byId))));
        CLSID fromProgId{};
        EXPECT_EQ(Hr(S_OK), Hr(CLSIDFromProgID(ProgId(c).c_str(), &fromProgId)));
        EXPECT_TRUE(IsEqualCLSID(Guid(c.clsid), fromProgId));
        IUnknown* byProgId = nullptr;
        EXPECT_EQ(Hr(S_OK), Hr(CoCreateInstance(fromProgId, nullptr, CLSCTX_INPROC_SERVER,
                                                Guid(c.defaultIid), reinterpret_cast<void**>(&byProgId))));
        if (byId) byId->Release();
        if (byProgId) byProgId->Release();
    }
}

TEST_F(Server, ClassesHandedOutByOtherObjectsCannotBeCreated) {
    for (const ClassRow& c : kClasses) {
        if (c.creatable) continue;
        SCOPED_TRACE(c.name);
        IUnknown* object = nullptr;
        HRESULT hr = CoCreateInstance(Guid(c.clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                      reinterpret_cast<void**>(&object));
        EXPECT_TRUE(FAILED(hr)) << "created, hr " << Hr(hr);
        EXPECT_EQ(nullptr, object);
    }
}

TEST_F(Server, ObjectsServeDispatchAndErrorInfoForTheirDefaultInterface) {
    for (const ClassRow& c : kClasses) {
        if (!c.creatable) continue;
        SCOPED_TRACE(c.name);
        IDispatch* disp = nullptr;
        ASSERT_EQ(Hr(S_OK), Hr(CoCreateInstance(Guid(c.clsid), nullptr, CLSCTX_INPROC_SERVER,
                                                IID_IDispatch, reinterpret_cast<void**>(&disp))));
        UINT count = 0;
        EXPECT_EQ(Hr(S_OK), Hr(disp->GetTypeInfoCount(&count)));
        EXPECT_EQ(1u, count);
        ITypeInfo* info = nullptr;
        EXPECT_EQ(Hr(S_OK), Hr(disp->GetTypeInfo(0, 0, &info)));
        if (info) {
            TYPEATTR* attr = nullptr;
            ASSERT_EQ(Hr(S_OK), Hr(info->GetTypeAttr(&attr)));
            EXPECT_TRUE(IsEqualIID(Guid(c.defaultIid), attr->guid));
            info->ReleaseTypeAttr(attr);
            info->Release();
        }
        ISupportErrorInfo* sei = nullptr;
        ASSERT_EQ(Hr(S_OK), Hr(disp->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&sei))));
        EXPECT_EQ(Hr(S_OK), Hr(sei->InterfaceSupportsErrorInfo(Guid(c.defaultIid))));
        EXPECT_EQ(Hr(S_FALSE), Hr(sei->InterfaceSupportsErrorInfo(IID_IPersist)));
        sei->Release();
        // The same identity through every interface.
        IUnknown* a = nullptr;
        IUnknown* b = nullptr;
        disp->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
        disp->QueryInterface(Guid(c.defaultIid), reinterpret_cast<void**>(&b));
        IUnknown* c2 = nullptr;
        if (b) b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&c2));
        EXPECT_EQ(a, c2);
        IUnknown* none = reinterpret_cast<IUnknown*>(1);
        EXPECT_EQ(Hr(E_NOINTERFACE), Hr(disp->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&none))));
        EXPECT_EQ(nullptr, none) << "a refused interface clears the out pointer";
        if (a) a->Release();
        if (c2) c2->Release();
        if (b) b->Release();
        disp->Release();
    }
}

TEST_F(Server, RegistryObjectAnswersItsEarlierInterfaceIds) {
    IUnknown* current = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(CoCreateInstance(Guid(L"{644E66E9-F2C8-426F-AE35-B4DD209D91E8}"), nullptr,
                                            CLSCTX_INPROC_SERVER, Guid(L"{12BF7EAD-E682-48FA-9B22-E8AC6BCE9BE8}"),
                                            reinterpret_cast<void**>(&current))));
    for (const wchar_t* earlier : {kRegistryV0, kRegistryV1}) {
        IUnknown* alias = nullptr;
        EXPECT_EQ(Hr(S_OK), Hr(current->QueryInterface(Guid(earlier), reinterpret_cast<void**>(&alias))));
        EXPECT_EQ(current, alias) << "the earlier id yields the current interface";
        if (alias) alias->Release();
    }
    current->Release();
}

// The library loaded straight, as COM loads it: factory, lock and unload answers.
class Exports : public Server {
protected:
    void SetUp() override {
        Server::SetUp();
        dll_ = LoadLibraryW(kelmor::test::BesideExe(L"Kelmor0200.dll").c_str());
        ASSERT_NE(nullptr, dll_);
        getClassObject_ = kelmor::test::Export<GetClassObjectFn>(dll_, "DllGetClassObject");
        canUnloadNow_ = kelmor::test::Export<CanUnloadNowFn>(dll_, "DllCanUnloadNow");
        ASSERT_NE(nullptr, getClassObject_);
        ASSERT_NE(nullptr, canUnloadNow_);
    }
    void TearDown() override {
        if (dll_) FreeLibrary(dll_);
        Server::TearDown();
    }
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using CanUnloadNowFn = HRESULT(STDAPICALLTYPE*)();
    HMODULE dll_ = nullptr;
    GetClassObjectFn getClassObject_ = nullptr;
    CanUnloadNowFn canUnloadNow_ = nullptr;
};

TEST_F(Exports, TheFourEntryPointsHaveOrdinalsOneToFour) {
    const char* names[] = {"DllRegisterServer", "DllUnregisterServer", "DllGetClassObject", "DllCanUnloadNow"};
    for (WORD ordinal = 1; ordinal <= 4; ++ordinal) {
        FARPROC byName = GetProcAddress(dll_, names[ordinal - 1]);
        EXPECT_NE(nullptr, byName) << names[ordinal - 1];
        EXPECT_EQ(byName, GetProcAddress(dll_, MAKEINTRESOURCEA(ordinal))) << "ordinal " << ordinal;
    }
    EXPECT_EQ(nullptr, GetProcAddress(dll_, MAKEINTRESOURCEA(5)));
}

TEST_F(Exports, UnknownClassIdIsNotAvailable) {
    IClassFactory* factory = reinterpret_cast<IClassFactory*>(1);
    EXPECT_EQ(Hr(CLASS_E_CLASSNOTAVAILABLE),
              Hr(getClassObject_(Guid(L"{00000000-1111-2222-3333-444444444444}"), IID_IClassFactory,
                                 reinterpret_cast<void**>(&factory))));
    EXPECT_EQ(nullptr, factory);
    // The library id and an interface id are no class ids either.
    EXPECT_EQ(Hr(CLASS_E_CLASSNOTAVAILABLE),
              Hr(getClassObject_(Guid(kLibId), IID_IClassFactory, reinterpret_cast<void**>(&factory))));
}

TEST_F(Exports, FactoriesRefuseAggregationAndTheClassesOthersHandOut) {
    for (const ClassRow& c : kClasses) {
        SCOPED_TRACE(c.name);
        IClassFactory* factory = nullptr;
        ASSERT_EQ(Hr(S_OK), Hr(getClassObject_(Guid(c.clsid), IID_IClassFactory,
                                               reinterpret_cast<void**>(&factory))));
        IUnknown* object = nullptr;
        IUnknown* outer = reinterpret_cast<IUnknown*>(factory);  // any non-null outer object
        EXPECT_EQ(Hr(CLASS_E_NOAGGREGATION),
                  Hr(factory->CreateInstance(outer, IID_IUnknown, reinterpret_cast<void**>(&object))));
        HRESULT hr = factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object));
        if (c.creatable) {
            EXPECT_EQ(Hr(S_OK), Hr(hr));
            IUnknown* none = nullptr;
            EXPECT_EQ(Hr(E_NOINTERFACE),
                      Hr(factory->CreateInstance(nullptr, IID_IPersist, reinterpret_cast<void**>(&none))));
            EXPECT_EQ(nullptr, none);
        } else {
            EXPECT_EQ(Hr(CLASS_E_CLASSNOTAVAILABLE), Hr(hr));
        }
        if (object) object->Release();
        factory->Release();
    }
}

TEST_F(Exports, CanUnloadOnlyWhenNoObjectFactoryOrLockLives) {
    // Whatever an earlier test left must be gone: COM holds nothing of ours between tests.
    CoFreeUnusedLibraries();
    ASSERT_EQ(Hr(S_OK), Hr(canUnloadNow_()));

    IClassFactory* factory = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(getClassObject_(Guid(kClasses[0].clsid), IID_IClassFactory,
                                           reinterpret_cast<void**>(&factory))));
    EXPECT_EQ(Hr(S_FALSE), Hr(canUnloadNow_())) << "a held factory";

    IDispatch* a = nullptr;
    IDispatch* b = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&a))));
    ASSERT_EQ(Hr(S_OK), Hr(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&b))));
    EXPECT_EQ(Hr(S_OK), Hr(factory->LockServer(TRUE)));
    factory->Release();
    EXPECT_EQ(Hr(S_FALSE), Hr(canUnloadNow_())) << "two objects and a lock";

    a->AddRef();
    a->Release();
    a->Release();
    EXPECT_EQ(Hr(S_FALSE), Hr(canUnloadNow_())) << "one object and a lock";
    b->Release();
    EXPECT_EQ(Hr(S_FALSE), Hr(canUnloadNow_())) << "a lock";

    ASSERT_EQ(Hr(S_OK), Hr(getClassObject_(Guid(kClasses[0].clsid), IID_IClassFactory,
                                           reinterpret_cast<void**>(&factory))));
    EXPECT_EQ(Hr(S_OK), Hr(factory->LockServer(FALSE)));
    factory->Release();
    EXPECT_EQ(Hr(S_OK), Hr(canUnloadNow_())) << "everything released";
}

// Registration through Wine's regsvr32, as an installer does it. Runs alone: while the
// server is unregistered no other test could create its objects.
class Registration : public ::testing::Test {
protected:
    static int Regsvr32(const std::wstring& flags) {
        std::wstring dll = kelmor::test::BesideExe(L"Kelmor0200.dll");
        std::wstring cmd = L"regsvr32.exe /s " + flags + L" \"" + dll + L"\"";
        return kelmor::test::RunAndWait(cmd);
    }
    static std::vector<std::wstring> OwnKeys() {
        std::vector<std::wstring> keys;
        for (const ClassRow& c : kClasses) {
            keys.push_back(std::wstring(L"CLSID\\") + c.clsid);
            keys.push_back(ProgId(c));
            keys.push_back(std::wstring(L"Interface\\") + c.defaultIid);
        }
        keys.push_back(std::wstring(L"Interface\\") + kRegistryV0);
        keys.push_back(std::wstring(L"Interface\\") + kRegistryV1);
        keys.push_back(std::wstring(L"Interface\\") + kTabControlEvents);
        keys.push_back(std::wstring(L"TypeLib\\") + kLibId);
        return keys;
    }
    // Interfaces the library uses but does not own: the dispatch and enumerator interfaces,
    // the forms runtime's error object and collection, and the outside logger's interfaces.
    static std::vector<std::wstring> ForeignKeys() {
        return {L"Interface\\{00020400-0000-0000-C000-000000000046}",
                L"Interface\\{00020404-0000-0000-C000-000000000046}",
                L"Interface\\{A4C466B8-499F-101B-BB78-00AA00383CBB}",
                L"Interface\\{A4C46780-499F-101B-BB78-00AA00383CBB}",
                L"Interface\\{021E4C91-876F-11D9-B5F8-00E07DBA2B87}",
                L"Interface\\{021E4C93-876F-11D9-B5F8-00E07DBA2B87}",
                L"Interface\\{FF0258A5-0E4F-11DA-B5F8-00E07DBA2B87}",
                L"Interface\\{33AD4F79-6699-11CF-B70C-00AA0060D393}"};
    }
};

TEST_F(Registration, RoundTripWritesAndRemovesExactlyTheLibrarysKeys) {
    using kelmor::test::KeyExists;
    using kelmor::test::KeyText;
    std::vector<std::wstring> foreignBefore;
    for (const auto& k : ForeignKeys()) foreignBefore.push_back(KeyExists(k) ? KeyText(k, L"") : L"<absent>");

    ASSERT_EQ(0, Regsvr32(L"/u"));
    for (const auto& k : OwnKeys()) EXPECT_FALSE(KeyExists(k)) << "left behind: " << k;
    ITypeLib* lib = nullptr;
    EXPECT_TRUE(FAILED(LoadRegTypeLib(Guid(kLibId), 6, 3, 0, &lib)));
    EXPECT_EQ(0, Regsvr32(L"/u")) << "unregistering twice is fine";

    ASSERT_EQ(0, Regsvr32(L""));
    for (const auto& k : OwnKeys()) EXPECT_TRUE(KeyExists(k)) << "missing: " << k;

    const std::wstring dll = kelmor::test::BesideExe(L"Kelmor0200.dll");
    for (const ClassRow& c : kClasses) {
        SCOPED_TRACE(c.name);
        const std::wstring key = std::wstring(L"CLSID\\") + c.clsid;
        EXPECT_EQ(0, _wcsicmp(dll.c_str(), KeyText(key + L"\\InprocServer32", L"").c_str()));
        EXPECT_EQ(L"Apartment", KeyText(key + L"\\InprocServer32", L"ThreadingModel"));
        EXPECT_EQ(ProgId(c), KeyText(key + L"\\ProgID", L""));
        EXPECT_EQ(std::wstring(c.clsid), KeyText(ProgId(c) + L"\\CLSID", L""));
        EXPECT_EQ(std::wstring(kLibId), KeyText(std::wstring(L"Interface\\") + c.defaultIid + L"\\TypeLib", L""));
    }
    EXPECT_EQ(L"{00020420-0000-0000-C000-000000000046}",
              KeyText(std::wstring(L"Interface\\") + kTabControlEvents + L"\\ProxyStubClsid32", L""));
    EXPECT_EQ(L"Nevkit - Библиотека общих функций 2.00",
              KeyText(std::wstring(L"TypeLib\\") + kLibId + L"\\6.3", L""));

    ASSERT_EQ(Hr(S_OK), Hr(LoadRegTypeLib(Guid(kLibId), 6, 3, 0, &lib)));
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(Hr(S_OK), Hr(lib->GetLibAttr(&attr)));
    EXPECT_EQ(6, attr->wMajorVerNum);
    EXPECT_EQ(3, attr->wMinorVerNum);
    lib->ReleaseTLibAttr(attr);
    lib->Release();

    std::vector<std::wstring> foreignAfter;
    for (const auto& k : ForeignKeys()) foreignAfter.push_back(KeyExists(k) ? KeyText(k, L"") : L"<absent>");
    EXPECT_EQ(foreignBefore, foreignAfter) << "a foreign interface key was touched";
}

// A user whose own classes key already holds keys of the library (an earlier per-user
// registration, a copy by some tool): HKEY_CLASSES_ROOT would write into those. Wine's
// HKEY_CLASSES_ROOT is the machine's key alone, so the merged view is made here by pointing
// this process's HKEY_CLASSES_ROOT at a scratch key that plays the user's classes key.
TEST_F(Registration, SelfRegistrationWritesAndRemovesTheMachinesKeysNeverTheUsers) {
    using kelmor::test::KeyExists;
    const std::wstring userKey = L"Software\\KelmorTest\\UserClasses-" + std::to_wstring(GetCurrentProcessId());
    HKEY user = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, userKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &user, nullptr));
    const std::wstring clsid = std::wstring(L"CLSID\\") + kClasses[0].clsid;
    HKEY held = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(user, clsid.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &held, nullptr));
    RegCloseKey(held);
    const HMODULE dll = LoadLibraryW(kelmor::test::BesideExe(L"Kelmor0200.dll").c_str());
    ASSERT_NE(nullptr, dll);
    using EntryFn = HRESULT(STDAPICALLTYPE*)();
    const auto unregister = kelmor::test::Export<EntryFn>(dll, "DllUnregisterServer");
    const auto reg = kelmor::test::Export<EntryFn>(dll, "DllRegisterServer");
    ASSERT_TRUE(unregister && reg);
    const std::wstring machine = std::wstring(L"Software\\Classes\\") + clsid;

    ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CLASSES_ROOT, user));
    const HRESULT unregistered = unregister();
    const bool userKeptAfterUnregister = KeyExists(clsid, user);
    const HRESULT registered = reg();
    DWORD userSubkeys = 0;
    RegQueryInfoKeyW(user, nullptr, nullptr, nullptr, &userSubkeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    const std::wstring userServer = kelmor::test::KeyText(clsid + L"\\InprocServer32", L"", user);
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);

    EXPECT_EQ(Hr(S_OK), Hr(unregistered));
    EXPECT_TRUE(userKeptAfterUnregister) << "the user's key is not the library's to remove";
    EXPECT_EQ(Hr(S_OK), Hr(registered));
    EXPECT_EQ(L"<missing>", userServer) << "the registration went into the user's classes";
    EXPECT_EQ(1u, userSubkeys) << "only the CLSID key made here";
    EXPECT_EQ(0, _wcsicmp(kelmor::test::BesideExe(L"Kelmor0200.dll").c_str(),
                          kelmor::test::KeyText(machine + L"\\InprocServer32", L"", HKEY_LOCAL_MACHINE).c_str()));
    FreeLibrary(dll);
    RegCloseKey(user);
    RegDeleteTreeW(HKEY_CURRENT_USER, userKey.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, userKey.c_str());
}

}  // namespace
