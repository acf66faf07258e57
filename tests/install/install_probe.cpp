// Checks an installation made by the x64 installer from inside the Wine prefix it went into,
// driven by install_test.sh in three phases:
//
//   install_probe --gtest_filter=Installed.* INSTDIR       registry, shortcuts, programs list
//   install_probe --gtest_filter=Launch.* INSTDIR FILE DIR the context-menu commands start Tessel
//   install_probe --gtest_filter=Removed.* INSTDIR         nothing of it is left
//   install_probe --gtest_filter=InUse.* INSTDIR FILE -     the uninstaller while Tessel runs
//   install_probe --gtest_filter=HeldByScript.* INSTDIR    ... while a script holds the library
//   install_probe --gtest_filter=Refuses.* INSTDIR SETUP -  the x86 installer on 64-bit Windows
//
// The library's classes and interfaces come from its own class table, so every class the
// library has is checked: built for 64 bits (the x64 installer), in the 64-bit view against
// INSTDIR and in the 32-bit view against INSTDIR\x86; built for 32 bits (the x86 installer in a
// 32-bit prefix), in the one registry against INSTDIR.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ClassTable.h"
#include "Server.h"
#include "TesselDriver.h"
#include "WindowSupport.h"
#include "frmMainControls.h"
#include "Text.h"

namespace {

using kelmor::GuidText;
using Microsoft::WRL::ComPtr;

std::wstring g_dir;   // the installation folder
std::wstring g_file;  // a file and a folder for the context-menu commands
std::wstring g_folder;

constexpr wchar_t kMenuKey[] = L"NevkitTessel";
constexpr wchar_t kMenuText[] = L"Потоки NTFS";
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\NevkitTessel";
constexpr wchar_t kAppPathKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tessel.exe";

// The registry views an installer fills, each with the folder of its servers: on a 64-bit
// system (the x64 installer, checked by the 64-bit probe) both; on a 32-bit system (the x86
// installer, checked by the 32-bit probe) the one registry, which has no views.
struct View {
    const char* name;
    REGSAM flag;
    std::wstring serverDir;
    const wchar_t* platform;  // the type library's platform key
};
std::vector<View> Views() {
#ifdef _WIN64
    return {{"64-bit view", KEY_WOW64_64KEY, g_dir, L"win64"},
            {"32-bit view", KEY_WOW64_32KEY, g_dir + L"\\x86", L"win32"}};
#else
    return {{"32-bit system", 0, g_dir, L"win32"}};
#endif
}

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = KEY_WOW64_64KEY) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// A text value; "<missing>" when the key or the value is not there or holds no text.
std::wstring Text(HKEY root, const std::wstring& path, const wchar_t* name, REGSAM view = KEY_WOW64_64KEY) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS)
        return L"<missing>";
    std::wstring text(4096, L'\0');
    DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t)), type = 0;
    const LSTATUS status =
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return L"<missing>";
    text.resize(size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

std::optional<DWORD> Number(HKEY root, const std::wstring& path, const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &value,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// A key and everything below it as "path|value name" -> "type:data", the paths relative to
// the key; `from` in the data replaced by `to`.
using Tree = std::map<std::wstring, std::wstring>;
void ReadTree(HKEY key, const std::wstring& path, const std::wstring& from, const std::wstring& to,
              Tree& out) {
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameLength = 512, type = 0, size = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size + 2);
        nameLength = 512;
        RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size);
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        for (size_t at = text.find(from); !from.empty() && at != std::wstring::npos; at = text.find(from, at))
            text.replace(at, from.size(), to), at += to.size();
        out[path + L"|" + name] = std::to_wstring(type) + L":" + text;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameLength = 512;
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
        out[path + L"\\" + name + L"|<key>"] = L"";
        ReadTree(child, path + L"\\" + name, from, to, out);
        RegCloseKey(child);
    }
}
Tree TreeOf(const std::wstring& path, REGSAM view, const std::wstring& from = {},
            const std::wstring& to = {}) {
    Tree tree;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return tree;
    ReadTree(key, L"", from, to, tree);
    RegCloseKey(key);
    return tree;
}

// The keys of both servers that hold no shared data: class ids, ProgIDs, interfaces.
std::vector<std::wstring> ServerKeys() {
    std::vector<std::wstring> keys;
    for (const kelmor::ClassEntry& c : kelmor::Classes()) {
        keys.push_back(L"CLSID\\" + GuidText(*c.clsid));
        keys.push_back(std::wstring(L"Kelmor0200.") + c.name);
    }
    for (const kelmor::InterfaceEntry& i : kelmor::OwnedInterfaces())
        keys.push_back(L"Interface\\" + GuidText(*i.iid));
    keys.push_back(L"CLSID\\" + GuidText(derodor::kClsidEventLogger));
    keys.push_back(derodor::kProgId);
    return keys;
}

std::wstring TypeLibKey() {
    return L"TypeLib\\" + GuidText(kelmor::kLibId) + L"\\" + std::to_wstring(kelmor::kLibMajor) + L"." +
           std::to_wstring(kelmor::kLibMinor);
}

std::wstring ProgramPath() {
    return g_dir + L"\\Tessel.exe";
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    if (FAILED(SHGetKnownFolderPath(id, 0, nullptr, &path))) return L"<no folder>";
    std::wstring out = path;
    CoTaskMemFree(path);
    return out;
}

std::vector<std::wstring> Shortcuts() {
    return {KnownFolder(FOLDERID_CommonPrograms) + L"\\Tessel.lnk",
            KnownFolder(FOLDERID_SendTo) + L"\\" + kMenuText + L".lnk"};
}

// The program a shortcut starts ("<unreadable>" when it cannot be read).
std::wstring ShortcutTarget(const std::wstring& path) {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    wchar_t target[MAX_PATH] = {};
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
        FAILED(link.As(&file)) || FAILED(file->Load(path.c_str(), STGM_READ)) ||
        FAILED(link->GetPath(target, MAX_PATH, nullptr, 0)))
        return L"<unreadable>";
    return target;
}

// The file version ("1.0.0.27") and the company of a program's version block.
std::pair<std::wstring, std::wstring> VersionOf(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<BYTE> block(size);
    if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return {L"<none>", L"<none>"};
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    std::wstring version = L"<none>";
    if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed)
        version = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                  std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                  std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
                  std::to_wstring(LOWORD(fixed->dwFileVersionLS));
    WORD* translation = nullptr;
    std::wstring company = L"<none>";
    if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                       &length) &&
        length >= 4) {
        wchar_t query[64];
        swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\CompanyName", translation[0], translation[1]);
        wchar_t* text = nullptr;
        if (VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&text), &length) && text)
            company = text;
    }
    return {version, company};
}

ULONGLONG FolderBytes(const std::wstring& folder) {
    ULONGLONG total = 0;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            total += FolderBytes(folder + L"\\" + name);
        else
            total += (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return total;
}

// Installed -------------------------------------------------------------------------------

TEST(Installed, EveryClassOfTheLibraryLeadsToItsServerInBothViews) {
    for (const View& view : Views()) {
        SCOPED_TRACE(view.name);
        const std::wstring dll = view.serverDir + L"\\Kelmor0200.dll";
        for (const kelmor::ClassEntry& c : kelmor::Classes()) {
            SCOPED_TRACE(c.name);
            const std::wstring clsidKey = L"CLSID\\" + GuidText(*c.clsid);
            const std::wstring progId = std::wstring(L"Kelmor0200.") + c.name;
            EXPECT_EQ(dll, Text(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", nullptr, view.flag));
            EXPECT_EQ(L"Apartment",
                      Text(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", L"ThreadingModel", view.flag));
            EXPECT_EQ(GuidText(*c.clsid), Text(HKEY_CLASSES_ROOT, progId + L"\\CLSID", nullptr, view.flag));
            EXPECT_EQ(progId, Text(HKEY_CLASSES_ROOT, clsidKey + L"\\ProgID", nullptr, view.flag));
        }
        for (const kelmor::InterfaceEntry& i : kelmor::OwnedInterfaces())
            EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT,
                                  L"Interface\\" + GuidText(*i.iid) + L"\\ProxyStubClsid32", view.flag))
                << "interface " << GuidText(*i.iid).c_str();
        EXPECT_EQ(dll, Text(HKEY_CLASSES_ROOT, TypeLibKey() + L"\\0\\" + view.platform, nullptr, view.flag));

        const std::wstring logger = L"CLSID\\" + GuidText(derodor::kClsidEventLogger);
        EXPECT_EQ(view.serverDir + L"\\Derodor.dll",
                  Text(HKEY_CLASSES_ROOT, logger + L"\\InprocServer32", nullptr, view.flag));
        EXPECT_EQ(GuidText(derodor::kClsidEventLogger),
                  Text(HKEY_CLASSES_ROOT, std::wstring(derodor::kProgId) + L"\\CLSID", nullptr, view.flag));
    }
}

// The 64-bit servers registered themselves; the 32-bit data was written by the installer. It
// must be the same, but for the servers' folder.
TEST(Installed, The32BitDataIsWhatTheServersWriteThemselvesButForTheirFolder) {
#ifndef _WIN64
    GTEST_SKIP() << "the x86 installer's servers register themselves";
#endif
    for (const std::wstring& key : ServerKeys()) {
        SCOPED_TRACE(std::string(key.begin(), key.end()));
        const Tree own = TreeOf(key, KEY_WOW64_64KEY);
        ASSERT_FALSE(own.empty());
        EXPECT_EQ(own, TreeOf(key, KEY_WOW64_32KEY, g_dir + L"\\x86\\", g_dir + L"\\"));
    }
}

TEST(Installed, TheContextMenusOfFilesAndFoldersStartTheProgramOnTheItem) {
    for (const wchar_t* type : {L"*", L"Directory"}) {
        const std::wstring key = std::wstring(type) + L"\\shell\\" + kMenuKey;
        EXPECT_EQ(kMenuText, Text(HKEY_CLASSES_ROOT, key, nullptr)) << type;
        EXPECT_EQ(L"\"" + ProgramPath() + L"\" \"%1\"", Text(HKEY_CLASSES_ROOT, key + L"\\command", nullptr))
            << type;
    }
}

TEST(Installed, StartMenuAndSendToShortcutsStartTheProgram) {
    for (const std::wstring& shortcut : Shortcuts())
        EXPECT_EQ(ProgramPath(), ShortcutTarget(shortcut)) << shortcut.c_str();
}

TEST(Installed, TheInstalledProgramsListNamesPublisherVersionSizeAndTheUninstaller) {
    const auto [version, company] = VersionOf(ProgramPath());
    ASSERT_NE(L"<none>", version);
    EXPECT_NE(std::wstring::npos, Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName").find(L"Tessel"));
    EXPECT_EQ(version, Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion"));
    EXPECT_EQ(company, Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher"));
    EXPECT_EQ(g_dir, Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"InstallLocation"));
    const std::wstring uninstaller = L"\"" + g_dir + L"\\uninstall.exe\"";
    EXPECT_EQ(uninstaller, Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString"));
    EXPECT_EQ(uninstaller + L" /S", Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString"));
    const std::optional<DWORD> size = Number(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize");
    ASSERT_TRUE(size.has_value());
    // Measured by the installer, which may round per file.
    const ULONGLONG kilobytes = FolderBytes(g_dir) / 1024;
    EXPECT_LE(kilobytes, *size + 16ULL) << "the folder holds " << kilobytes << " KB";
    EXPECT_GE(kilobytes + 16, *size) << "the folder holds " << kilobytes << " KB";
}

// Launch ----------------------------------------------------------------------------------

// The menu command of `type` run on `item` as the shell runs it: the main window shows the
// item; closing it ends the program.
void ExpectMenuCommandShows(const wchar_t* type, const std::wstring& item) {
    std::wstring line =
        Text(HKEY_CLASSES_ROOT, std::wstring(type) + L"\\shell\\" + kMenuKey + L"\\command", nullptr);
    const size_t at = line.find(L"%1");
    ASSERT_NE(std::wstring::npos, at) << "command: " << line.c_str();
    line.replace(at, 2, item);

    // The command as the shell splits it: the quoted program, then its arguments.
    ASSERT_EQ(L'"', line.front()) << "command: " << line.c_str();
    const size_t close = line.find(L'"', 1);
    ASSERT_NE(std::wstring::npos, close) << "command: " << line.c_str();
    const std::wstring program = line.substr(1, close - 1);
    const size_t rest = line.find_first_not_of(L' ', close + 1);
    const std::wstring arguments = rest == std::wstring::npos ? L"" : line.substr(rest);

    tessel::test::TesselProcess tessel;
    ASSERT_TRUE(tessel.Start(program, arguments)) << "error " << GetLastError();
    const HWND window = tessel.WaitMainWindow(30000);
    ASSERT_TRUE(window) << "no main window for " << line.c_str();
    EXPECT_EQ(item, kelmor::test::WindowText(GetDlgItem(window, tessel::frmMainControls::kTxtFileName)));
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(tessel.WaitExit(15000)) << "the program did not end";
}

TEST(Launch, TheFileMenuCommandShowsTheFile) {
    ExpectMenuCommandShows(L"*", g_file);
    // The program's own entry, which the uninstaller removes again.
    EXPECT_EQ(ProgramPath(), Text(HKEY_CURRENT_USER, kAppPathKey, nullptr));
}

TEST(Launch, TheFolderMenuCommandShowsTheFolder) {
    ExpectMenuCommandShows(L"Directory", g_folder);
}

// Refuses ---------------------------------------------------------------------------------

// The x86 installer (FILE) on a 64-bit system: a message naming the x64 installer, exit code 2
// (interactive and silent), nothing installed.
TEST(Refuses, TheX86InstallerOnA64BitSystemNamesTheX64InstallerAndInstallsNothing) {
    std::wstring x64Setup = g_file.substr(g_file.find_last_of(L'\\') + 1);
    const size_t arch = x64Setup.rfind(L"-x86-");
    ASSERT_NE(std::wstring::npos, arch) << "not an x86 installer: " << g_file.c_str();
    x64Setup.replace(arch, 5, L"-x64-");

    tessel::test::TesselProcess setup;
    ASSERT_TRUE(setup.Start(g_file, L"")) << "error " << GetLastError();
    const HWND box = setup.WaitDialog(60000);
    ASSERT_TRUE(box) << "no message";
    const tessel::test::MessageBoxView message = tessel::test::ReadMessageBox(box);
    EXPECT_NE(std::wstring::npos, message.text.find(x64Setup)) << message.text.c_str();
    EXPECT_NE(std::wstring::npos, message.text.find(L"32-разрядной Windows")) << message.text.c_str();
    tessel::test::PressButton(box, IDOK);
    DWORD code = 0;
    ASSERT_TRUE(setup.WaitExit(30000, &code));
    EXPECT_EQ(2u, code);

    tessel::test::TesselProcess silent;
    ASSERT_TRUE(silent.Start(g_file, L"/S"));
    ASSERT_TRUE(silent.WaitExit(60000, &code));
    EXPECT_EQ(2u, code);

    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(g_dir.c_str())) << g_dir.c_str();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

// InUse -----------------------------------------------------------------------------------

// Every file below `folder`, with its size and time of last change.
std::map<std::wstring, std::wstring> Listing(const std::wstring& folder) {
    std::map<std::wstring, std::wstring> files;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const auto& [path, data] : Listing(folder + L"\\" + name)) files[name + L"\\" + path] = data;
        } else {
            files[name] = std::to_wstring(found.nFileSizeLow) + L" " +
                          std::to_wstring(found.ftLastWriteTime.dwLowDateTime);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

// The silent uninstaller, run in place (so that its exit code is its own), ends with exit code 2
// and changes no file; the registration is checked by the Installed phase afterwards.
void ExpectSilentUninstallChangesNothing() {
    const auto before = Listing(g_dir);
    ASSERT_TRUE(before.count(L"Kelmor0200.dll"));
    tessel::test::TesselProcess uninstaller;
    ASSERT_TRUE(uninstaller.Start(g_dir + L"\\uninstall.exe", L"/S _?=" + g_dir));
    DWORD code = 0;
    ASSERT_TRUE(uninstaller.WaitExit(120000, &code)) << "the uninstaller did not end";
    EXPECT_EQ(2u, code);
    EXPECT_EQ(before, Listing(g_dir));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

// Tessel started from the installation folder on FILE holds the program and the library.
TEST(InUse, TheSilentUninstallerChangesNothingWhileTesselRuns) {
    tessel::test::TesselProcess tessel;
    ASSERT_TRUE(tessel.Start(ProgramPath(), L"\"" + g_file + L"\""));
    const HWND window = tessel.WaitMainWindow(60000);
    ASSERT_TRUE(window) << "Tessel did not show its window";
    ExpectSilentUninstallChangesNothing();
    EXPECT_TRUE(tessel.Running());
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(tessel.WaitExit(15000)) << "Tessel did not end";
}

// A script started by install_test.sh holds a library of the installation (for the x64
// installer: the 32-bit script host, x86\Kelmor0200.dll).
TEST(HeldByScript, TheSilentUninstallerChangesNothing) {
    ExpectSilentUninstallChangesNothing();
}

// The uninstaller's message box (a dialog with a message text) or its wizard window (one
// without); null after the timeout.
HWND WaitUninstallerWindow(const tessel::test::TesselProcess& uninstaller, bool messageBox, HWND other = nullptr) {
    HWND found = nullptr;
    kelmor::test::WaitUntil(
        [&] {
            for (HWND w : uninstaller.Windows(L"#32770"))
                if (w != other && (GetDlgItem(w, 0xFFFF) != nullptr) == messageBox) found = w;
            return found != nullptr || !uninstaller.Running();
        },
        60000);
    return found;
}

// Interactively, the uninstaller names the file in use and asks again on "Retry" while the
// program still runs; "Cancel" leaves everything as it was.
TEST(InUse, TheUninstallerAsksToCloseTheProgramAndCancelChangesNothing) {
    tessel::test::TesselProcess tessel;
    ASSERT_TRUE(tessel.Start(ProgramPath(), L"\"" + g_file + L"\""));
    ASSERT_TRUE(tessel.WaitMainWindow(60000)) << "Tessel did not show its window";
    const auto before = Listing(g_dir);

    tessel::test::TesselProcess uninstaller;
    ASSERT_TRUE(uninstaller.Start(g_dir + L"\\uninstall.exe", L"_?=" + g_dir));
    const HWND wizard = WaitUninstallerWindow(uninstaller, false);
    ASSERT_TRUE(wizard) << "no uninstaller window";
    tessel::test::PressButton(wizard, IDOK);  // "Удалить" on the confirmation page
    HWND box = WaitUninstallerWindow(uninstaller, true);
    ASSERT_TRUE(box) << "no question";
    EXPECT_NE(std::wstring::npos, tessel::test::ReadMessageBox(box).text.find(ProgramPath()))
        << tessel::test::ReadMessageBox(box).text.c_str();
    tessel::test::PressButton(box, IDRETRY);
    box = WaitUninstallerWindow(uninstaller, true, box);
    ASSERT_TRUE(box) << "no second question after Retry";
    tessel::test::PressButton(box, IDCANCEL);
    // The wizard reports the cancelled removal and waits to be closed ("Отмена" the one button
    // left enabled).
    kelmor::test::WaitUntil(
        [&] { return IsWindowEnabled(GetDlgItem(wizard, IDCANCEL)) || !uninstaller.Running(); }, 30000);
    if (uninstaller.Running()) tessel::test::PressButton(wizard, IDCANCEL);
    DWORD code = 0;
    ASSERT_TRUE(uninstaller.WaitExit(60000, &code)) << "the uninstaller did not end";
    EXPECT_NE(0u, code);
    EXPECT_EQ(before, Listing(g_dir));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    uninstaller.DismissDialogs();
}

// Removed ---------------------------------------------------------------------------------

TEST(Removed, NoClassProgIdInterfaceOrTypeLibraryKeyIsLeftInEitherView) {
    for (const View& view : Views()) {
        SCOPED_TRACE(view.name);
        for (const std::wstring& key : ServerKeys())
            EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key, view.flag)) << key.c_str();
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"TypeLib\\" + GuidText(kelmor::kLibId), view.flag));
    }
}

TEST(Removed, NoMenuShortcutProgramsEntryOrProgramPathIsLeft) {
    for (const wchar_t* type : {L"*", L"Directory"})
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(type) + L"\\shell\\" + kMenuKey)) << type;
    for (const std::wstring& shortcut : Shortcuts())
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(shortcut.c_str())) << shortcut.c_str();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    // The program writes its own App Paths entry when it starts.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAppPathKey));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fwprintf(stderr, L"usage: install_probe --gtest_filter=PHASE.* INSTDIR [FILE FOLDER]\n");
        return 2;
    }
    g_dir = argv[1];
    if (argc >= 4) {
        g_file = argv[2];
        g_folder = argv[3];
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    // A phase name that matches no test must not pass.
    if (testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        fwprintf(stderr, L"install_probe: no test matches the filter\n");
        return 1;
    }
    return result;
}
