#include "modAbout.h"

#include <NevkitSupport0100.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cwchar>
#include <new>
#include <string>

#include "AnsiText.h"
#include "Module.h"
#include "Owners.h"
#include "Text.h"
#include "frmAbout.h"

using Microsoft::WRL::ComPtr;

namespace kelmor::modAbout {
namespace {

// An icon of an icon group of the library (`small`: the small size); none when it cannot be read.
ComPtr<IPictureDisp> LibraryIcon(const wchar_t* group, bool small) {
    ComPtr<IPictureDisp> icon;
    HINSTANCE library = Module::Instance();
    UniqueBstr name(SysAllocString(group));
    if (!library || !name) return icon;
    IPictureDisp* picture = nullptr;
    const LONG status = small ? nkLoadResIconSmallEx(name.get(), library, &picture)
                              : nkLoadResIconEx(name.get(), library, &picture);
    if (status >= 0) Adopt(icon, picture);
    return icon;
}

void Show(const AboutBoxArguments& args) {
    frmAbout form;
    if (FAILED(form.Load())) return;
    form.SetCaption(L"О программе");
    form.SetTitle(args.Title);
    form.SetAuthor(args.Author);
    if (args.AuthorEMail.empty()) {
        form.HideEMailRow();
    } else {
        form.SetEMail(args.AuthorEMail);
    }
    if (args.SmallIcon) {
        form.SetFormIcon(args.SmallIcon);
    } else if (ComPtr<IPictureDisp> icon = LibraryIcon(L"A_MAIN", true)) {
        form.SetFormIcon(icon.Get());
    }
    if (args.Icon) {
        form.SetIconPicture(args.Icon);
    } else if (ComPtr<IPictureDisp> icon = LibraryIcon(L"OSVEL_0000", false)) {
        form.SetIconPicture(icon.Get());
    }
    form.SetDevote(MeantDefault(args.Devote, kDevote, GetACP()));
    form.SetPictureToolTip(MeantDefault(args.PictureToolTipText, kPictureToolTip, GetACP()));
    // Without a picture the window keeps its built-in one at its design place.
    if (args.Picture) form.SetDedicationPicture(args.Picture);
    BSTR version = nullptr;
    if (nkFormatVersion(args.VerMajor, args.VerMinor, args.VerRevision, &version) >= 0) {
        UniqueBstr owned(version);
        form.SetVersionText(FromBstr(owned.get()));
    }
    form.SetDescription(args.Description);
    form.InitTabs();
    form.ShowModal();
    form.Unload();
}

}  // namespace

std::wstring MeantDefault(const std::wstring& received, const wchar_t* meant, UINT codePage) {
    constexpr UINT kTypeLibraryPage = 1251;
    if (codePage == kTypeLibraryPage || received == meant) return received;
    std::string bytes;
    if (ToAnsi(meant, std::wcslen(meant), bytes, kTypeLibraryPage) != ERROR_SUCCESS) return received;
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (units <= 0) return received;
    std::wstring misread(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, misread.data(), units);
    return received == misread ? std::wstring(meant) : received;
}

void RealShowAboutBox(const AboutBoxArguments& args) {
    try {
        Show(args);
    } catch (const std::bad_alloc&) {
        // Out of memory in a step: the box is gone with the routine; nothing reaches the caller.
    }
    // Errors met in the steps stay here.
    SetErrorInfo(0, nullptr);
}

}  // namespace kelmor::modAbout
