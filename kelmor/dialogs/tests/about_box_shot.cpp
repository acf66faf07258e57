// Opens the about box of the built library for a screenshot (tools/screenshots.sh):
//   about_box_shot <marker folder> <page 0..3>
// shows the page asked for (Page Down from page 0), writes the window's screen rectangle to
// <folder>\ready, waits until <folder>\done exists (at most a minute) and closes the box.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>

#include "Kelmor0200.h"
#include "TestSupport.h"
#include "dialogs/frmAbout.h"
#include "dialogs/tests/AboutBoxDriver.h"
#include "dialogs/tests/ShotMarkers.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: about_box_shot <marker folder> <page 0..3>\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const int page = static_cast<int>(std::wcstol(argv[2], nullptr, 10));
    if (FAILED(CoInitialize(nullptr))) return 1;
    int result = 1;
    {
        using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        HMODULE library = LoadLibraryW(kelmor::test::BesideExe(L"Kelmor0200.dll").c_str());
        auto getClassObject = library ? kelmor::test::Export<GetClassObjectFn>(library, "DllGetClassObject") : nullptr;
        Microsoft::WRL::ComPtr<IClassFactory> factory;
        Microsoft::WRL::ComPtr<_nvkMain> main;
        const CLSID nvkMainClass = kelmor::test::Guid(L"{F00DA968-5205-447C-919A-A9B0003720BC}");
        if (!getClassObject || FAILED(getClassObject(nvkMainClass, IID_PPV_ARGS(&factory))) ||
            FAILED(factory->CreateInstance(nullptr, __uuidof(_nvkMain), &main)))
            return 1;

        const DWORD self = GetCurrentThreadId();
        std::thread driver([&] {
            kelmor::test::AboutBoxDriver d(self);
            if (!d.WaitForWindow(20000)) {
                d.Dismiss();
                return;
            }
            for (int i = 0; i < page; ++i) {
                const int before = d.VisiblePage(kelmor::frmAbout::kTabId);
                d.PressKey(VK_NEXT);
                kelmor::test::WaitUntil([&] { return d.VisiblePage(kelmor::frmAbout::kTabId) != before; });
            }
            kelmor::test::ReportReadyAndWaitForDone(folder, d.Window());
            d.PressKey(VK_ESCAPE);
            if (!d.WaitClosed(5000)) d.Dismiss();
            result = 0;
        });
        auto text = [](const wchar_t* s) { return SysAllocString(s); };
        BSTR title = text(L"Nevkit - Tessel"), author = text(L"Vestrimo"), email = text(L"nevkit@vestrimo.example"),
             devote = text(L"Посвящается Освель"),
             description = text(L"Tessel показывает потоки NTFS одного файла или каталога: основной поток данных, "
                                L"именованные альтернативные потоки и служебные потоки резервного копирования.\r\n\r\n"
                                L"Поток можно открыть во внешней программе просмотра или удалить."),
             tip = text(L"Освель");
        main->ShowAboutBoxEx(title, nullptr, nullptr, 1, 0, 120, author, email, devote, description, nullptr, tip);
        for (BSTR b : {title, author, email, devote, description, tip}) SysFreeString(b);
        driver.join();
    }
    CoUninitialize();
    return result;
}
