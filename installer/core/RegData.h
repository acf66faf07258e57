// The registry data of a self-registering COM server as NSIS installer commands: the keys and
// values its DllRegisterServer wrote below HKEY_CLASSES_ROOT, rewritten for the server's place
// on the user's machine, and the keys its DllUnregisterServer removes again.
//
// The 64-bit installer cannot load the 32-bit servers it installs, so it writes their data
// itself. The data is taken from the 64-bit build of the same server (same sources, same class
// table): the 32-bit build writes the same keys and values except its own path and the platform
// key of its type library ("win32" where the 64-bit build writes "win64").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace installer::core {

enum class ValueKind { String, ExpandString, Dword };

struct RegValue {
    std::u16string name;  // empty: the key's default value
    ValueKind kind = ValueKind::String;
    std::u16string text;       // String and ExpandString
    std::uint32_t number = 0;  // Dword
};

// One key as the server left it, its path relative to HKEY_CLASSES_ROOT.
struct RegKey {
    std::u16string path;
    std::vector<RegValue> values;
    bool hasSubkeys = false;
};

// Where the server's file was when it registered itself, and where the installer puts it.
struct Relocation {
    std::u16string builtPath;   // the file's full path as the server wrote it
    std::u16string targetPath;  // NSIS text of the installed path, e.g. "$INSTDIR\x86\Kelmor0200.dll"
    bool toWin32 = false;       // the type library's platform key "win64" becomes "win32"
};

// A key the uninstaller removes with everything below it; ifEmpty: only when nothing is left
// in it (a type library id shared by several versions).
struct OwnedKey {
    std::u16string path;
    bool ifEmpty = false;
};

// NSIS string literal in double quotes: "$" as "$$", the quote and CR, LF and tab as "$\".
std::u16string NsisQuote(std::u16string_view text);

// A value as an NSIS literal, the server's path (and its folder, as a whole path component)
// replaced by the target's, which stays unquoted NSIS text.
std::u16string RelocatedValue(std::u16string_view value, const Relocation& to);

// A key's path where the target writes it.
std::u16string TargetKey(std::u16string_view path, const Relocation& to);

// The keys the server owns, in the order they were written: below CLSID, Interface and AppID
// the id's key, below TypeLib the version's key (and the id's key once empty), elsewhere (a
// ProgID) the key below the root.
std::vector<OwnedKey> OwnedKeys(const std::vector<RegKey>& keys);

// NSIS commands, one per line, for the root "HKCR" in the installer's current registry view.
std::u16string InstallCommands(const std::vector<RegKey>& keys, const Relocation& to);
std::u16string UninstallCommands(const std::vector<OwnedKey>& keys);

}  // namespace installer::core
