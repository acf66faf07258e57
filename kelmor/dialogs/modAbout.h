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
// The picture's tooltip the type library gives when a caller leaves it out.
inline constexpr wchar_t kPictureToolTip[] = L"Освель";

// The text a late-bound caller meant. The type library holds its text defaults as code page 1251
// bytes, which the platform decodes in the system's ANSI code page `codePage`: where that is not
// 1251, a left-out argument arrives as other characters ("Освель" as "Îñâåëü" under 1252). A
// `received` text that is exactly `meant` so decoded is taken as `meant`; any other text stays.
std::wstring MeantDefault(const std::wstring& received, const wchar_t* meant, UINT codePage);

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
