// Opens the list dialog with sample lines for a screenshot (tools/screenshots.sh): clicks a
// line so that its tag shows, writes the window's screen rectangle to <folder>\ready, waits
// until <folder>\done exists (at most a minute) and closes the dialog with Escape.
#include <windows.h>
#include <objbase.h>
#include <wrl/client.h>

#include <cstdio>
#include <string>
#include <thread>

#include "Kelmor0200.h"
#include "ShotMarkers.h"
#include "ListDialogDriver.h"
#include "dialogs/nvkSimpleListDialog.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: list_dialog_shot <marker folder>\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    if (FAILED(CoInitialize(nullptr))) return 1;
    int result = 1;
    {
        Microsoft::WRL::ComPtr<_nvkSimpleListDialog> dialog;
        Microsoft::WRL::ComPtr<_Collection> elements;
        if (FAILED(kelmor::nvkSimpleListDialog::CreateInstance(IID__nvkSimpleListDialog, &dialog)) ||
            FAILED(dialog->get_Elements(&elements)))
            return 1;
        const wchar_t* lines[] = {
            L"Москва\tСтолица России, крупнейший город страны",
            L"Санкт-Петербург\tСеверная столица на Неве, основан в 1703 году",
            L"Новосибирск\tКрупнейший город Сибири",
            L"Екатеринбург\tСтолица Урала",
            L"Казань\tСтолица Татарстана на Волге",
            L"Нижний Новгород\tГород на слиянии Оки и Волги",
        };
        for (const wchar_t* line : lines) {
            VARIANT item, missing;
            V_VT(&item) = VT_BSTR;
            V_BSTR(&item) = SysAllocString(line);
            V_VT(&missing) = VT_ERROR;
            V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
            elements->Add(&item, &missing, &missing, &missing);
            VariantClear(&item);
        }
        BSTR caption = SysAllocString(L"Города России");
        dialog->put_Caption(caption);
        SysFreeString(caption);

        const DWORD self = GetCurrentThreadId();
        std::thread driver([&] {
            kelmor::test::ListDialogDriver d(self);
            if (!d.WaitForWindow(20000)) {
                d.Dismiss();
                return;
            }
            d.ClickLine(1);
            kelmor::test::ReportReadyAndWaitForDone(folder, d.Window());
            d.PressKey(VK_ESCAPE);
            if (!d.WaitClosed(5000)) d.Dismiss();
            result = 0;
        });
        dialog->Show();
        driver.join();
    }
    CoUninitialize();
    return result;
}
