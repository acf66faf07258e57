// Loads one picture through a given copy of Kelmor0200.dll, in a process of its own, and prints
// what happened and where Sarvik.dll came from:  png_probe DLL CLSID FILE
//   hr=0xXXXXXXXX type=N sarvik=PATH|none
// The PNG tests start it from a folder of their choosing with a current folder of their choosing.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fputs("usage: png_probe DLL CLSID FILE\n", stderr);
        return 2;
    }
    if (FAILED(CoInitialize(nullptr))) return 3;
    HRESULT hr = E_FAIL;
    LONG type = -1;
    {
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        HMODULE library = LoadLibraryW(argv[1]);
        auto get = library ? reinterpret_cast<GetClassObject>(
                                 reinterpret_cast<void*>(GetProcAddress(library, "DllGetClassObject")))
                           : nullptr;
        CLSID clsid{};
        IClassFactory* factory = nullptr;
        IDispatch* main = nullptr;
        if (!get || FAILED(CLSIDFromString(argv[2], &clsid))) return 4;
        if (FAILED(get(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))) ||
            FAILED(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&main))))
            return 5;
        factory->Release();
        OLECHAR* name = const_cast<OLECHAR*>(L"LoadPictureEx");
        DISPID id = 0;
        if (FAILED(main->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) return 6;
        VARIANT argument;
        argument.vt = VT_BSTR;
        argument.bstrVal = SysAllocString(argv[3]);
        DISPPARAMS params{&argument, nullptr, 1, 0};
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO error{};
        hr = main->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, &error, nullptr);
        if (hr == DISP_E_EXCEPTION) {
            hr = error.scode;
            SysFreeString(error.bstrSource);
            SysFreeString(error.bstrDescription);
            SysFreeString(error.bstrHelpFile);
        } else if (SUCCEEDED(hr) && result.vt == VT_DISPATCH && result.pdispVal) {
            IPicture* picture = nullptr;
            SHORT pictureType = 0;
            if (SUCCEEDED(result.pdispVal->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture)))) {
                picture->get_Type(&pictureType);
                picture->Release();
            }
            type = pictureType;
        }
        VariantClear(&result);
        VariantClear(&argument);
        main->Release();
    }
    wchar_t sarvik[MAX_PATH] = L"none";
    if (HMODULE loaded = GetModuleHandleW(L"Sarvik.dll")) GetModuleFileNameW(loaded, sarvik, MAX_PATH);
    std::printf("hr=0x%08lX type=%ld sarvik=%ls\n", static_cast<unsigned long>(hr), type, sarvik);
    CoUninitialize();
    return 0;
}
