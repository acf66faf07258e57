// The registry data of a COM server as installer commands: NSIS quoting, the server's path
// replaced by the installed one, the 32-bit platform key, and the keys the uninstaller removes.
#include <gtest/gtest.h>

#include "core/RegData.h"

namespace {

using namespace installer::core;

const Relocation kTo32{u"Z:\\b\\bin\\Kelmor0200.dll", u"$INSTDIR\\x86\\Kelmor0200.dll", true};

TEST(RegDataQuoting, DollarQuoteAndLineBreaksAreEscapedOtherTextIsKept) {
    EXPECT_EQ(u"\"\"", NsisQuote(u""));
    EXPECT_EQ(u"\"Nevkit - Библиотека общих функций 2.00\"",
              NsisQuote(u"Nevkit - Библиотека общих функций 2.00"));
    EXPECT_EQ(u"\"$$INSTDIR $\\\"x$\\\" a$\\r$\\nb$\\tc\"", NsisQuote(u"$INSTDIR \"x\" a\r\nb\tc"));
    // A backslash is no escape in NSIS.
    EXPECT_EQ(u"\"CLSID\\{1}\\\"", NsisQuote(u"CLSID\\{1}\\"));
}

TEST(RegDataRelocation, TheServersPathAndFolderBecomeTheTargetsUnquoted) {
    EXPECT_EQ(u"\"$INSTDIR\\x86\\Kelmor0200.dll\"", RelocatedValue(u"Z:\\b\\bin\\Kelmor0200.dll", kTo32));
    // The folder alone (a type library's help folder), and as the folder of another file.
    EXPECT_EQ(u"\"$INSTDIR\\x86\"", RelocatedValue(u"Z:\\b\\bin", kTo32));
    EXPECT_EQ(u"\"$INSTDIR\\x86\\Other.dll,1\"", RelocatedValue(u"Z:\\b\\bin\\Other.dll,1", kTo32));
    // Inside other text, which stays escaped.
    EXPECT_EQ(u"\"$\\\"$INSTDIR\\x86\\Kelmor0200.dll$\\\" $$1\"",
              RelocatedValue(u"\"Z:\\b\\bin\\Kelmor0200.dll\" $1", kTo32));
    // Only a whole path component is the folder.
    EXPECT_EQ(u"\"Z:\\b\\bin2\\x.dll\"", RelocatedValue(u"Z:\\b\\bin2\\x.dll", kTo32));
    EXPECT_EQ(u"\"Apartment\"", RelocatedValue(u"Apartment", kTo32));
}

TEST(RegDataRelocation, ABuildFolderWithADollarIsStillFound) {
    const Relocation to{u"Z:\\$b\\K.dll", u"$INSTDIR\\K.dll", false};
    EXPECT_EQ(u"\"$INSTDIR\\K.dll\"", RelocatedValue(u"Z:\\$b\\K.dll", to));
    EXPECT_EQ(u"\"Z:\\$$c\"", RelocatedValue(u"Z:\\$c", to));
}

TEST(RegDataRelocation, OnlyTheTypeLibrarysPlatformKeyBecomesWin32) {
    EXPECT_EQ(u"TypeLib\\{L}\\6.3\\0\\win32", TargetKey(u"TypeLib\\{L}\\6.3\\0\\win64", kTo32));
    EXPECT_EQ(u"Typelib\\{L}\\6.3\\0\\win32", TargetKey(u"Typelib\\{L}\\6.3\\0\\WIN64", kTo32));
    EXPECT_EQ(u"TypeLib\\{L}\\6.3\\0\\win64", TargetKey(u"TypeLib\\{L}\\6.3\\0\\win64", Relocation{}));
    EXPECT_EQ(u"CLSID\\{C}\\x\\y\\win64", TargetKey(u"CLSID\\{C}\\x\\y\\win64", kTo32));
    EXPECT_EQ(u"TypeLib\\win64", TargetKey(u"TypeLib\\win64", kTo32));
}

// What the library writes, in the order a registry reads it back.
std::vector<RegKey> LibraryKeys() {
    return {
        {u"CLSID", {}, true},
        {u"CLSID\\{C1}", {{u"", ValueKind::String, u"Kelmor0200.nvkMain"}}, true},
        {u"CLSID\\{C1}\\InprocServer32",
         {{u"", ValueKind::String, u"Z:\\b\\bin\\Kelmor0200.dll"},
          {u"ThreadingModel", ValueKind::String, u"Apartment"}},
         false},
        {u"CLSID\\{C1}\\Programmable", {}, false},
        {u"Interface", {}, true},
        {u"Interface\\{I1}", {{u"", ValueKind::String, u"_nvkMain"}}, true},
        {u"Interface\\{I1}\\TypeLib", {{u"Version", ValueKind::String, u"6.3"}}, false},
        {u"Kelmor0200.nvkMain", {{u"", ValueKind::String, u"Kelmor0200.nvkMain"}}, true},
        {u"Kelmor0200.nvkMain\\CLSID", {{u"", ValueKind::String, u"{C1}"}}, false},
        {u"TypeLib", {}, true},
        {u"TypeLib\\{L}", {}, true},
        {u"TypeLib\\{L}\\6.3", {{u"", ValueKind::String, u"Nevkit"}}, true},
        {u"TypeLib\\{L}\\6.3\\0", {}, true},
        {u"TypeLib\\{L}\\6.3\\0\\win64", {{u"", ValueKind::String, u"Z:\\b\\bin\\Kelmor0200.dll"}}, false},
        {u"TypeLib\\{L}\\6.3\\HELPDIR", {{u"", ValueKind::String, u"Z:\\b\\bin"}}, false},
    };
}

TEST(RegDataCommands, TheInstallerWritesEveryValueAndTheKeysThatHoldNothing) {
    std::vector<RegKey> keys = LibraryKeys();
    keys.push_back({u"Other",
                    {{u"Count", ValueKind::Dword, u"", 4000000000u},
                     {u"Path", ValueKind::ExpandString, u"%SystemRoot%\\x"}},
                    false});
    EXPECT_EQ(
        u"WriteRegStr HKCR \"CLSID\\{C1}\" \"\" \"Kelmor0200.nvkMain\"\n"
        u"WriteRegStr HKCR \"CLSID\\{C1}\\InprocServer32\" \"\" \"$INSTDIR\\x86\\Kelmor0200.dll\"\n"
        u"WriteRegStr HKCR \"CLSID\\{C1}\\InprocServer32\" \"ThreadingModel\" \"Apartment\"\n"
        u"WriteRegStr HKCR \"CLSID\\{C1}\\Programmable\" \"RegDataKey\" \"\"\n"
        u"DeleteRegValue HKCR \"CLSID\\{C1}\\Programmable\" \"RegDataKey\"\n"
        u"WriteRegStr HKCR \"Interface\\{I1}\" \"\" \"_nvkMain\"\n"
        u"WriteRegStr HKCR \"Interface\\{I1}\\TypeLib\" \"Version\" \"6.3\"\n"
        u"WriteRegStr HKCR \"Kelmor0200.nvkMain\" \"\" \"Kelmor0200.nvkMain\"\n"
        u"WriteRegStr HKCR \"Kelmor0200.nvkMain\\CLSID\" \"\" \"{C1}\"\n"
        u"WriteRegStr HKCR \"TypeLib\\{L}\\6.3\" \"\" \"Nevkit\"\n"
        u"WriteRegStr HKCR \"TypeLib\\{L}\\6.3\\0\\win32\" \"\" \"$INSTDIR\\x86\\Kelmor0200.dll\"\n"
        u"WriteRegStr HKCR \"TypeLib\\{L}\\6.3\\HELPDIR\" \"\" \"$INSTDIR\\x86\"\n"
        u"WriteRegDWORD HKCR \"Other\" \"Count\" 4000000000\n"
        u"WriteRegExpandStr HKCR \"Other\" \"Path\" \"%SystemRoot%\\x\"\n",
        InstallCommands(keys, kTo32));
}

TEST(RegDataCommands, TheUninstallerRemovesTheServersOwnKeysNeverTheSharedOnes) {
    std::vector<RegKey> keys = LibraryKeys();
    // A second version of the same type library and a ProgID written twice in other cases.
    keys.push_back({u"TypeLib\\{L}\\6.4\\0\\win64", {{u"", ValueKind::String, u"x"}}, false});
    keys.push_back({u"KELMOR0200.NVKMAIN\\CurVer", {{u"", ValueKind::String, u"x"}}, false});
    const std::vector<OwnedKey> owned = OwnedKeys(keys);
    EXPECT_EQ(
        u"DeleteRegKey HKCR \"CLSID\\{C1}\"\n"
        u"DeleteRegKey HKCR \"Interface\\{I1}\"\n"
        u"DeleteRegKey HKCR \"Kelmor0200.nvkMain\"\n"
        u"DeleteRegKey HKCR \"TypeLib\\{L}\\6.3\"\n"
        u"DeleteRegKey HKCR \"TypeLib\\{L}\\6.4\"\n"
        u"DeleteRegKey /ifempty HKCR \"TypeLib\\{L}\"\n",
        UninstallCommands(owned));
}

}  // namespace
