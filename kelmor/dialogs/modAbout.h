// The library's about box routine: fills an frmAbout window from its twelve arguments, shows it
// modally and unloads it. Library-internal; nvkMain's about-box members call it.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>

namespace kelmor::modAbout {

// The author and address the library's own about boxes name (and the defaults of
// nvkMain.ShowAboutBoxEx in the type library), and the dedication line.
inline constexpr wchar_t kAuthorName[] = L"Vestrimo";
inline constexpr wchar_t kAuthorEMail[] = L"nevkit@vestrimo.example";
inline constexpr wchar_t kDevote[] = L"Посвящается Освель";

// The arguments, in their order. Pictures are borrowed for the call; null means not given.
struct AboutBoxArguments {
    std::wstring Title;
    IPictureDisp* Icon = nullptr;
    IPictureDisp* SmallIcon = nullptr;
    LONG VerMajor = 1;
    LONG VerMinor = 0;
    LONG VerRevision = 0;
    std::wstring Author;
    std::wstring AuthorEMail;  // empty: no e-mail row
    std::wstring Devote;
    std::wstring Description;  // empty: no description page
    IPictureDisp* Picture = nullptr;
    std::wstring PictureToolTipText;
};

// Shows the about box and returns when the user has closed it. Every step that fails is skipped
// and the box shows what could be filled; no error reaches the caller.
void RealShowAboutBox(const AboutBoxArguments& args);

}  // namespace kelmor::modAbout
