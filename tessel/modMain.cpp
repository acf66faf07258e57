#include "modMain.h"

#include <commctrl.h>
#include <objbase.h>
#include <wrl/client.h>

#include <NevkitSupport0100.h>

#include <memory>

#include "AppObject.h"
#include "ErrorInfo.h"
#include "MessageBox.h"
#include "Owners.h"
#include "RuntimeError.h"
#include "ProgramText.h"
#include "core/TesselTexts.h"
#include "frmMain.h"

using Microsoft::WRL::ComPtr;

namespace tessel::modMain {
namespace {

std::wstring g_currentFileName;
ComPtr<_nvkMain> g_main;
ComPtr<_App> g_app;
std::unique_ptr<frmMain> g_frmMain;

// The main window, made on first reference.
frmMain& MainForm() {
    if (!g_frmMain) g_frmMain = std::make_unique<frmMain>();
    return *g_frmMain;
}

// The program's application object (forms layer), made on first use.
_App& AppObject() {
    if (!g_app) {
        kelmor::Adopt(g_app, static_cast<_App*>(kelmor::AppObject::New()));
        if (!g_app) throw std::bad_alloc();
    }
    return *g_app.Get();
}

bool IsTrue(VARIANT_BOOL value) {
    return value != VARIANT_FALSE;
}

}  // namespace

const std::wstring& CurrentFileName() {
    return g_currentFileName;
}

int Message(const std::u16string& text, LONG style) {
    int button = 0;
    Check(kelmor::MsgBox(Wide(text), style, Wide(core::kProgramTitle), {}, 0, &button));
    return button;
}

_nvkMain& Main() {
    if (!g_main)
        Check(CoCreateInstance(__uuidof(nvkMain), nullptr, CLSCTX_INPROC_SERVER, __uuidof(_nvkMain),
                               reinterpret_cast<void**>(g_main.GetAddressOf())));
    return *g_main.Get();
}

IDispatch* App() {
    return &AppObject();
}

bool Start() {
    // 1. Windows NT family only.
    VARIANT_BOOL isNt = VARIANT_FALSE;
    CheckStatus(nkIsHostWinNT(&isNt));
    if (!IsTrue(isNt)) {
        Message(core::NotWindowsNtText(), MB_OK | MB_ICONERROR);
        return false;
    }
    // 2. The program's App Paths entry; whether it could be written does not matter.
    VARIANT_BOOL registered = VARIANT_FALSE;
    CheckStatus(nkRegisterAppPath(&registered));

    // 3. Hosted in the development environment the process command line is the host's: the
    // parser is given the program's own arguments instead.
    VARIANT_BOOL inIde = VARIANT_FALSE;
    CheckStatus(nkIsInIDE(&inIde));
    if (IsTrue(inIde)) {
        ComPtr<_CommandLineParser> parser;
        Check(Main().CommandLine(&parser));
        const std::u16string_view arguments = core::ArgumentText(U16(GetCommandLineW()));
        Check(parser->SetNewCommandLine(MakeBstr(Wide(arguments)).get(), VARIANT_TRUE));
    }

    // 4., 5. No argument: the usage text.
    ComPtr<_CommandLineParser> parser;
    Check(Main().CommandLine(&parser));
    LONG count = 0;
    Check(parser->get_Count(&count));
    if (count == 0) {
        kelmor::UniqueBstr exeName;
        Check(AppObject().get_EXEName(exeName.put()));
        Message(core::UsageText(U16(FromBstr(exeName.get()))), MB_OK | MB_ICONINFORMATION);
        return false;
    }

    // 6. The first argument is the path; further ones are ignored.
    kelmor::UniqueBstr first;
    Check(parser->get_Item(0, first.put()));
    g_currentFileName = FromBstr(first.get());

    // 7., 8. Load the window and read the streams; show it when there is something to show.
    frmMain& form = MainForm();
    form.Load();
    if (form.Init()) {
        form.Show();
        return true;
    }
    // 9. Nothing could be read: the window goes without ever having been visible.
    form.Unload();
    g_frmMain.reset();
    Message(core::OpenFailedText(U16(g_currentFileName)), MB_OK | MB_ICONERROR);
    return false;
}

void RunMessageLoop() {
    MSG msg{};
    while (g_frmMain && IsWindow(g_frmMain->hWnd())) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        const HWND window = g_frmMain->hWnd();
        // The window's key handler sees the key first and never swallows it.
        RunHandler([&] { g_frmMain->PreviewKey(msg); });
        if (!IsWindow(window)) continue;               // the key unloaded the window: the program ends
        if (IsDialogMessageW(window, &msg)) continue;  // Tab between the controls, buttons by keyboard
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void End() {
    g_frmMain.reset();
    g_app.Reset();
    g_main.Reset();
}

}  // namespace tessel::modMain

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Errors of the forms objects inside the program (its application object, error objects)
    // name the program as their source.
    kelmor::SetErrorSourceNamer([](REFIID) { return std::wstring(tessel::kErrorSource); });
    if (FAILED(CoInitialize(nullptr))) return 1;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    bool shown = false;
    tessel::RunHandler([&] { shown = tessel::modMain::Start(); });
    if (shown) tessel::modMain::RunMessageLoop();
    tessel::modMain::End();
    CoUninitialize();
    return 0;
}
