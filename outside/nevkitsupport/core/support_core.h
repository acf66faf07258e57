// Portable part of NevkitSupport0100: the number, text and path rules that need no platform.
// The DLL's exported functions are thin adapters over these; the rules are documented in
// README.md beside this folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nksupport {

// Status of every library function: 0 on success, negative on failure (HRESULT values).
enum class Status : std::int32_t {
    Ok = 0,
    BadArgument = static_cast<std::int32_t>(0x800A0005u),  // runtime error 5: invalid argument
    Overflow = static_cast<std::int32_t>(0x800A0006u),     // runtime error 6: overflow
    OutOfMemory = static_cast<std::int32_t>(0x8007000Eu),  // E_OUTOFMEMORY
};

// --- Numbers -------------------------------------------------------------------------------

// Whole number in decimal, digits grouped by three with a blank: "-2 147 483 648".
std::u16string FormatLong(std::int32_t value);

// A double as a whole number (rounded to nearest, exact halves to even), grouped like
// FormatLong. NaN is a bad argument, an infinity an overflow.
Status FormatInt64(double value, std::u16string& out);

// A double with at most four decimals after a point, trailing zeros dropped, the whole part
// grouped like FormatLong: 1234.5 -> "1 234.5", 1.0 / 3 -> "0.3333".
Status FormatDouble(double value, std::u16string& out);

// A byte count: below 1024 "<n> bytes" ("1 byte"), else two decimals in the largest binary
// unit that keeps the number below 1024: "1.50 KB", "2.00 GB" (KB, MB, GB, TB, PB, EB).
Status FormatByteSize(double bytes, std::u16string& out);

// "major.minor.revision" in plain decimal; negative parts are bad arguments.
Status FormatVersion(std::int32_t major, std::int32_t minor, std::int32_t revision, std::u16string& out);

// Error number for display: decimal and its 32-bit hexadecimal form, "5 (0x00000005)".
std::u16string FormatErrorNumber(std::int32_t number);

// "0x" and eight upper-case hexadecimal digits of the 32-bit pattern: -1 -> "0xFFFFFFFF".
std::u16string HexEx4(std::int32_t value);

// (high << 16) | (low & 0xFFFF) as a signed 32-bit value. Each half must fit 16 bits, signed
// or unsigned (-32768 .. 65535); anything else would lose bits and is a bad argument.
Status MakeLong(std::int32_t low, std::int32_t high, std::int32_t& out);

// The 64-bit pattern taken as an unsigned count, rounded to the nearest double.
double LargeIntegerToDouble(std::int64_t raw);

// --- Texts and paths -----------------------------------------------------------------------

// True for the characters that trimming removes: blank, tab, LF, VT, FF, CR.
bool IsTrimmable(char16_t c);
std::u16string_view Trim(std::u16string_view text);

// Joins a folder and a name with exactly one backslash between them (see README.md).
std::u16string BuildFileName(std::u16string_view folder, std::u16string_view name);

// The last path component (after the last '\' or '/'; after "X:" for a drive-relative name).
std::u16string_view FileNamePart(std::u16string_view path);
// The folder of a path without its trailing separator ("C:\x\a.exe" -> "C:\x"), keeping the
// separator of a root ("C:\a.exe" -> "C:\").
std::u16string_view FolderPart(std::u16string_view path);
// The file name without its extension ("C:\x\Tessel.exe" -> "Tessel").
std::u16string_view BaseNameWithoutExtension(std::u16string_view path);
// The path with its extension replaced by ".ini" (or ".ini" appended when it has none).
std::u16string SettingsFilePath(std::u16string_view executablePath);

// "#123" names a resource by number (1 .. 65535); anything else is a name.
std::optional<std::uint16_t> ResourceNumber(std::u16string_view name);

// --- System descriptions -------------------------------------------------------------------

struct OsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
    std::uint8_t productType = 1;  // 1 workstation, 2 domain controller, 3 server
    std::u16string servicePack;    // "Service Pack 1" or empty
};

// "Windows 10", with withVersion " (version 10.0, build 19045)", with withServicePack and a
// service pack a second line after CR LF holding it.
std::u16string OsFullName(const OsVersion& version, bool withVersion, bool withServicePack);

// The preferred load address (ImageBase) from the start of a PE file: the DOS header, the PE
// signature and the optional header of a PE32 or PE32+ image. nullopt when the bytes are not
// such an image or stop too early.
std::optional<std::uint64_t> PreferredImageBase(std::span<const std::byte> head);

}  // namespace nksupport
