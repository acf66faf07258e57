// NevkitSupport0100.dll as its callers see it: exports, statuses, texts, resources, icons,
// windows, pictures, the settings file, the module walk, locales.
#include "NevkitSupport0100.h"

#include <gtest/gtest.h>
#include <olectl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwctype>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr LONG kBad = static_cast<LONG>(0x800A0005u);
constexpr LONG kOverflow = static_cast<LONG>(0x800A0006u);

std::string Hex(LONG status) {
    char text[16];
    snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(status));
    return text;
}
#define EXPECT_STATUS(expected, call) EXPECT_EQ(Hex(expected), Hex(call)) << #call
#define ASSERT_STATUS(expected, call) ASSERT_EQ(Hex(expected), Hex(call)) << #call

// Owner of a BSTR handed to or received from the library.
class Text {
public:
    Text() = default;
    explicit Text(const std::wstring& text)
        : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    ~Text() { SysFreeString(b_); }
    BSTR get() const { return b_; }
    BSTR* out() {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    std::wstring str() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

private:
    BSTR b_ = nullptr;
};

// Runs one text function of the library and returns its text, failing the test on a bad status.
std::wstring Call(const std::function<LONG(BSTR*)>& function) {
    Text result;
    const LONG status = function(result.out());
    EXPECT_STATUS(0, status);
    return result.str();
}

std::wstring Folder(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring ProgramPath() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path;
}

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    std::wstring folder(buffer, length);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

template <class T>
struct Released {
    void operator()(T* p) const {
        if (p) p->Release();
    }
};
using PictureOwner = std::unique_ptr<IPictureDisp, Released<IPictureDisp>>;

struct PictureFacts {
    bool valid = false;
    SHORT type = 0;
    OLE_HANDLE handle = 0;
};

PictureFacts Facts(IPictureDisp* disp) {
    PictureFacts facts;
    IPicture* picture = nullptr;
    if (!disp || FAILED(disp->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture)))) return facts;
    facts.valid = SUCCEEDED(picture->get_Type(&facts.type)) && SUCCEEDED(picture->get_Handle(&facts.handle));
    picture->Release();
    return facts;
}

// Width and height of an icon, and the colour of its middle pixel (0x00RRGGBB).
struct IconFacts {
    int width = 0;
    int height = 0;
    DWORD middle = 0;
};

IconFacts IconOf(HICON icon) {
    IconFacts facts;
    ICONINFO info;
    if (!GetIconInfo(icon, &info)) return facts;
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    facts.width = bitmap.bmWidth;
    facts.height = bitmap.bmHeight;
    BITMAPINFO header = {};
    header.bmiHeader.biSize = sizeof(header.bmiHeader);
    header.bmiHeader.biWidth = bitmap.bmWidth;
    header.bmiHeader.biHeight = -bitmap.bmHeight;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(static_cast<std::size_t>(bitmap.bmWidth) *
                              static_cast<std::size_t>(bitmap.bmHeight));
    const HDC dc = GetDC(nullptr);
    if (!pixels.empty() && GetDIBits(dc, info.hbmColor, 0, static_cast<UINT>(bitmap.bmHeight), pixels.data(),
                                     &header, DIB_RGB_COLORS)) {
        facts.middle = pixels[pixels.size() / 2 + static_cast<std::size_t>(bitmap.bmWidth) / 2] & 0x00FFFFFF;
    }
    ReleaseDC(nullptr, dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return facts;
}

constexpr const char* kExports[] = {"nkIsHostWinNT",
                                    "nkIsInIDE",
                                    "nkRegisterAppPath",
                                    "nkGetEXEModuleFullFileName",
                                    "nkGetEXEModulePrettyFileName",
                                    "nkGetThunderMainTitle",
                                    "nkReadStringFromPrivateINI",
                                    "nkGetUserName",
                                    "nkGetComputerName",
                                    "nkGetHostOSFullName",
                                    "nkLoadResTextA",
                                    "nkLoadResIcon",
                                    "nkLoadResIconSmall",
                                    "nkLoadResIconEx",
                                    "nkLoadResIconSmallEx",
                                    "nkSetWindowIconAll",
                                    "nkGetWindowIcon",
                                    "nkGetWindowIconSmall",
                                    "nkCenterFormEx",
                                    "nkGetBitmapFromHandle",
                                    "nkFormatLong",
                                    "nkFormatDouble",
                                    "nkFormatInt64",
                                    "nkFormatByteSize",
                                    "nkFormatVersion",
                                    "nkHexEx4",
                                    "nkMakeLong",
                                    "nkLargeIntegerToDouble",
                                    "nkGetErrorNumber",
                                    "nkGetStringFromPointerA",
                                    "nkGetStringFromPointerW",
                                    "nkTrimEx",
                                    "nkOemToAnsi",
                                    "nkBuildFileName",
                                    "nkIsFileExist",
                                    "nkGetLongFileName",
                                    "nkGetAPIErrorDescription",
                                    "nkGetWinMMErrorDescription",
                                    "nkCreateToolhelp32Snapshot",
                                    "nkModule32First",
                                    "nkModule32Next",
                                    "nkGetModulePreferredBaseAddr",
                                    "nkEnableDebugPrivilege",
                                    "nkOutputDebugString"};

TEST(Exports, EveryFunctionByItsUndecoratedNameAndNothingElse) {
    const std::wstring path = Folder(ProgramPath()) + L"\\NevkitSupport0100.dll";
    const HMODULE dll = LoadLibraryW(path.c_str());
    ASSERT_NE(dll, nullptr) << "GetLastError " << GetLastError();
    for (const char* name : kExports) EXPECT_NE(GetProcAddress(dll, name), nullptr) << name;

    const auto* base = reinterpret_cast<const BYTE*>(dll);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    EXPECT_EQ(exports->NumberOfNames, std::size(kExports));
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        const std::string name = reinterpret_cast<const char*>(base + names[i]);
        EXPECT_EQ(name.find('@'), std::string::npos) << name;
    }
    FreeLibrary(dll);
}

TEST(Arguments, NullResultPointersAreRefused) {
    Text a(L"a");
    const HMODULE program = GetModuleHandleW(nullptr);
    LARGE_INTEGER count = {};
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    const std::vector<std::pair<const char*, std::function<LONG()>>> calls = {
        {"nkIsHostWinNT", [] { return nkIsHostWinNT(nullptr); }},
        {"nkIsInIDE", [] { return nkIsInIDE(nullptr); }},
        {"nkRegisterAppPath", [] { return nkRegisterAppPath(nullptr); }},
        {"nkGetEXEModuleFullFileName", [] { return nkGetEXEModuleFullFileName(nullptr); }},
        {"nkGetEXEModulePrettyFileName", [] { return nkGetEXEModulePrettyFileName(nullptr); }},
        {"nkGetThunderMainTitle", [] { return nkGetThunderMainTitle(nullptr); }},
        {"nkReadStringFromPrivateINI",
         [&] { return nkReadStringFromPrivateINI(a.get(), a.get(), a.get(), nullptr); }},
        {"nkGetUserName", [] { return nkGetUserName(nullptr); }},
        {"nkGetComputerName", [] { return nkGetComputerName(nullptr); }},
        {"nkGetHostOSFullName", [] { return nkGetHostOSFullName(-1, -1, nullptr); }},
        {"nkLoadResTextA", [&] { return nkLoadResTextA(a.get(), a.get(), nullptr); }},
        {"nkLoadResIcon", [&] { return nkLoadResIcon(a.get(), nullptr); }},
        {"nkLoadResIconSmall", [&] { return nkLoadResIconSmall(a.get(), nullptr); }},
        {"nkLoadResIconEx", [&] { return nkLoadResIconEx(a.get(), program, nullptr); }},
        {"nkLoadResIconSmallEx", [&] { return nkLoadResIconSmallEx(a.get(), program, nullptr); }},
        {"nkSetWindowIconAll", [] { return nkSetWindowIconAll(nullptr, nullptr, nullptr); }},
        {"nkGetWindowIcon", [] { return nkGetWindowIcon(GetDesktopWindow(), nullptr); }},
        {"nkGetWindowIconSmall", [] { return nkGetWindowIconSmall(GetDesktopWindow(), nullptr); }},
        {"nkCenterFormEx", [] { return nkCenterFormEx(GetDesktopWindow(), nullptr); }},
        {"nkGetBitmapFromHandle", [] { return nkGetBitmapFromHandle(nullptr, nullptr); }},
        {"nkFormatLong", [] { return nkFormatLong(1, nullptr); }},
        {"nkFormatDouble", [] { return nkFormatDouble(1, nullptr); }},
        {"nkFormatInt64", [] { return nkFormatInt64(1, nullptr); }},
        {"nkFormatByteSize", [] { return nkFormatByteSize(1, nullptr); }},
        {"nkFormatVersion", [] { return nkFormatVersion(1, 2, 3, nullptr); }},
        {"nkHexEx4", [] { return nkHexEx4(1, nullptr); }},
        {"nkMakeLong", [] { return nkMakeLong(1, 2, nullptr); }},
        {"nkLargeIntegerToDouble", [&] { return nkLargeIntegerToDouble(count, nullptr); }},
        {"nkGetErrorNumber", [] { return nkGetErrorNumber(1, nullptr); }},
        {"nkGetStringFromPointerA", [] { return nkGetStringFromPointerA("x", nullptr); }},
        {"nkGetStringFromPointerW", [] { return nkGetStringFromPointerW(L"x", nullptr); }},
        {"nkTrimEx", [&] { return nkTrimEx(a.get(), nullptr); }},
        {"nkOemToAnsi", [&] { return nkOemToAnsi(a.get(), nullptr); }},
        {"nkBuildFileName", [&] { return nkBuildFileName(a.get(), a.get(), nullptr); }},
        {"nkIsFileExist", [&] { return nkIsFileExist(a.get(), nullptr); }},
        {"nkGetLongFileName", [&] { return nkGetLongFileName(a.get(), nullptr); }},
        {"nkGetAPIErrorDescription", [] { return nkGetAPIErrorDescription(2, nullptr); }},
        {"nkGetWinMMErrorDescription", [] { return nkGetWinMMErrorDescription(2, nullptr); }},
        {"nkCreateToolhelp32Snapshot", [] { return nkCreateToolhelp32Snapshot(8, 0, nullptr); }},
        {"nkModule32First", [&] { return nkModule32First(GetCurrentProcess(), &entry, nullptr); }},
        {"nkModule32Next", [&] { return nkModule32Next(GetCurrentProcess(), &entry, nullptr); }},
        {"nkGetModulePreferredBaseAddr",
         [&] { return nkGetModulePreferredBaseAddr(0, reinterpret_cast<LONG_PTR>(program), nullptr); }},
        {"nkEnableDebugPrivilege", [] { return nkEnableDebugPrivilege(-1, nullptr); }},
        {"nkOutputDebugString", [&] { return nkOutputDebugString(a.get(), nullptr); }},
    };
    EXPECT_EQ(calls.size(), std::size(kExports));
    for (const auto& [name, call] : calls) EXPECT_EQ(Hex(kBad), Hex(call())) << name;
}

TEST(Arguments, AFailureLeavesTheEmptyValue) {
    BSTR text = reinterpret_cast<BSTR>(1);
    EXPECT_STATUS(kBad, nkFormatInt64(std::numeric_limits<double>::quiet_NaN(), &text));
    EXPECT_EQ(text, nullptr);
    LONG number = 7;
    EXPECT_STATUS(kBad, nkMakeLong(0x10000, 0, &number));
    EXPECT_EQ(number, 0);
    VARIANT_BOOL flag = VARIANT_TRUE;
    EXPECT_STATUS(kBad, nkEnableDebugPrivilege(1, &flag));
    EXPECT_EQ(flag, VARIANT_FALSE);
    IPictureDisp* picture = reinterpret_cast<IPictureDisp*>(1);
    EXPECT_STATUS(kBad,
                  nkGetBitmapFromHandle(reinterpret_cast<HBITMAP>(GetStockObject(BLACK_BRUSH)), &picture));
    EXPECT_EQ(picture, nullptr);
    HANDLE snapshot = nullptr;
    EXPECT_STATUS(kBad, nkCreateToolhelp32Snapshot(0, 0, &snapshot));
    EXPECT_EQ(snapshot, INVALID_HANDLE_VALUE);
    LONG_PTR address = 1;
    EXPECT_STATUS(kBad, nkGetModulePreferredBaseAddr(0, 0, &address));
    EXPECT_EQ(address, 0);
}

TEST(Numbers, TextsCrossAsBstr) {
    EXPECT_EQ(Call([](BSTR* r) { return nkFormatLong(INT_MIN, r); }), L"-2 147 483 648");
    EXPECT_EQ(Call([](BSTR* r) { return nkFormatInt64(4294967296.0, r); }), L"4 294 967 296");
    EXPECT_EQ(Call([](BSTR* r) { return nkFormatDouble(312.5, r); }), L"312.5");
    EXPECT_EQ(Call([](BSTR* r) { return nkFormatByteSize(1536, r); }), L"1.50 KB");
    EXPECT_EQ(Call([](BSTR* r) { return nkFormatVersion(2, 5, 0, r); }), L"2.5.0");
    EXPECT_EQ(Call([](BSTR* r) { return nkHexEx4(-1, r); }), L"0xFFFFFFFF");
    EXPECT_EQ(Call([](BSTR* r) { return nkGetErrorNumber(5, r); }), L"5 (0x00000005)");
    Text text;
    EXPECT_STATUS(kOverflow, nkFormatDouble(std::numeric_limits<double>::infinity(), text.out()));
    EXPECT_STATUS(kBad, nkFormatByteSize(-1, text.out()));
    EXPECT_STATUS(kBad, nkFormatVersion(1, -1, 0, text.out()));
}

TEST(Numbers, MakeLongAndLargeIntegerByValue) {
    LONG value = 0;
    EXPECT_STATUS(0, nkMakeLong(-2, 0, &value));
    EXPECT_EQ(value, 65534);
    EXPECT_STATUS(0, nkMakeLong(2, 2, &value));
    EXPECT_EQ(value, 0x00020002);
    EXPECT_STATUS(kBad, nkMakeLong(0, 0x10000, &value));

    double result = 0;
    LARGE_INTEGER count;
    count.QuadPart = 0x100000000ll;
    EXPECT_STATUS(0, nkLargeIntegerToDouble(count, &result));
    EXPECT_EQ(result, 4294967296.0);
    count.QuadPart = -1;  // every bit set: the largest unsigned count
    EXPECT_STATUS(0, nkLargeIntegerToDouble(count, &result));
    EXPECT_EQ(result, 18446744073709551616.0);
    count.QuadPart = (1ll << 53) + 1;
    EXPECT_STATUS(0, nkLargeIntegerToDouble(count, &result));
    EXPECT_EQ(result, 9007199254740992.0);
}

TEST(Texts, TrimAndJoin) {
    EXPECT_EQ(Call([](BSTR* r) { return nkTrimEx(nullptr, r); }), L"");
    Text blanks(L" \t \r\n ");
    EXPECT_EQ(Call([&](BSTR* r) { return nkTrimEx(blanks.get(), r); }), L"");
    Text inner(std::wstring(L"  a\0b  ", 7));
    EXPECT_EQ(Call([&](BSTR* r) { return nkTrimEx(inner.get(), r); }), std::wstring(L"a\0b", 3));
    Text folder(L"C:\\x\\"), name(L"y.txt");
    EXPECT_EQ(Call([&](BSTR* r) { return nkBuildFileName(folder.get(), name.get(), r); }), L"C:\\x\\y.txt");
    EXPECT_EQ(Call([&](BSTR* r) { return nkBuildFileName(nullptr, name.get(), r); }), L"y.txt");
}

TEST(Texts, StringsFromPointers) {
    EXPECT_EQ(
        Call([](BSTR* r) { return nkGetStringFromPointerW(L"\u041F\u0440\u0438\u0432\u0435\u0442", r); }),
        L"\u041F\u0440\u0438\u0432\u0435\u0442");
    EXPECT_EQ(Call([](BSTR* r) { return nkGetStringFromPointerW(L"", r); }), L"");
    EXPECT_EQ(Call([](BSTR* r) { return nkGetStringFromPointerA("abc\0def", r); }), L"abc");
    Text text;
    EXPECT_STATUS(kBad, nkGetStringFromPointerA(nullptr, text.out()));
    EXPECT_STATUS(kBad, nkGetStringFromPointerW(nullptr, text.out()));
    if (GetACP() == 1251) {
        EXPECT_EQ(Call([](BSTR* r) { return nkGetStringFromPointerA("\xCF\xF0\xE8\xE2\xE5\xF2", r); }),
                  L"\u041F\u0440\u0438\u0432\u0435\u0442");
    }
}

// The ANSI code page's text of some bytes, as a caller reading an OEM file as ANSI gets it.
std::wstring AnsiText(const char* bytes) {
    wchar_t buffer[64] = {};
    MultiByteToWideChar(CP_ACP, 0, bytes, -1, buffer, 64);
    return buffer;
}

TEST(Texts, OemToAnsiNeverBestFits) {
    if (GetACP() != 1251 || GetOEMCP() != 866) GTEST_SKIP() << "needs ANSI 1251 / OEM 866 (LANG=ru_RU.UTF-8)";
    // "Привет" in code page 866.
    Text oem(AnsiText("\x8F\xE0\xA8\xA2\xA5\xE2"));
    EXPECT_EQ(Call([&](BSTR* r) { return nkOemToAnsi(oem.get(), r); }),
              L"\u041F\u0440\u0438\u0432\u0435\u0442");
    EXPECT_EQ(Call([](BSTR* r) { return nkOemToAnsi(nullptr, r); }), L"");
    Text result;
    // 0xC9 is a box-drawing corner in 866, which 1251 has no place for.
    Text box(AnsiText("\xC9"));
    EXPECT_STATUS(kBad, nkOemToAnsi(box.get(), result.out()));
    EXPECT_EQ(result.get(), nullptr);
    // A character that 1251 cannot hold is refused, not replaced by '?'.
    Text japanese(L"\u65E5\u672C");
    EXPECT_STATUS(kBad, nkOemToAnsi(japanese.get(), result.out()));
}

class TempFile {
public:
    explicit TempFile(const std::wstring& path) : path_(path) {
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    ~TempFile() { DeleteFileW(path_.c_str()); }
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

TEST(Paths, FileExistence) {
    VARIANT_BOOL exists = VARIANT_FALSE;
    Text program(ProgramPath());
    EXPECT_STATUS(0, nkIsFileExist(program.get(), &exists));
    EXPECT_EQ(exists, VARIANT_TRUE);
    Text folder(Folder(ProgramPath()));
    EXPECT_STATUS(0, nkIsFileExist(folder.get(), &exists));
    EXPECT_EQ(exists, VARIANT_FALSE) << "a folder is no file";
    Text missing(Folder(ProgramPath()) + L"\\no such file.bin");
    EXPECT_STATUS(0, nkIsFileExist(missing.get(), &exists));
    EXPECT_EQ(exists, VARIANT_FALSE);
    Text pattern(Folder(ProgramPath()) + L"\\*.exe");
    EXPECT_STATUS(0, nkIsFileExist(pattern.get(), &exists));
    EXPECT_EQ(exists, VARIANT_FALSE) << "a pattern names no file";
    EXPECT_STATUS(0, nkIsFileExist(nullptr, &exists));
    EXPECT_EQ(exists, VARIANT_FALSE);
    Text cut(ProgramPath() + std::wstring(L"\0x", 2));
    EXPECT_STATUS(kBad, nkIsFileExist(cut.get(), &exists));
}

TEST(Paths, LongFileName) {
    const TempFile file(TempFolder() + L"\\nevkit long file name test.data");
    wchar_t shortName[MAX_PATH * 2] = {};
    ASSERT_NE(GetShortPathNameW(file.path().c_str(), shortName, MAX_PATH * 2), 0u);
    Text input(shortName);
    const std::wstring longName = Call([&](BSTR* r) { return nkGetLongFileName(input.get(), r); });
    EXPECT_EQ(_wcsicmp(longName.c_str(), file.path().c_str()), 0) << "short " << shortName;
    EXPECT_NE(longName.find(L"nevkit long file name test.data"), std::wstring::npos);

    // A path the system cannot resolve comes back unchanged.
    Text missing(L"C:\\no\\such\\FOLDER~1\\file.txt");
    EXPECT_EQ(Call([&](BSTR* r) { return nkGetLongFileName(missing.get(), r); }),
              L"C:\\no\\such\\FOLDER~1\\file.txt");
    EXPECT_EQ(Call([](BSTR* r) { return nkGetLongFileName(nullptr, r); }), L"");
}

TEST(Program, PathNameAndTitle) {
    EXPECT_EQ(Call([](BSTR* r) { return nkGetEXEModuleFullFileName(r); }), ProgramPath());
    EXPECT_EQ(Call([](BSTR* r) { return nkGetEXEModulePrettyFileName(r); }), L"nevkitsupport_dll_test.exe");
    // The description of the program's own version resource.
    EXPECT_EQ(Call([](BSTR* r) { return nkGetThunderMainTitle(r); }),
              L"\u041F\u0440\u043E\u0432\u0435\u0440\u043A\u0430 \u043E\u043F\u043E\u0440\u043D\u043E\u0439 "
              L"\u0431\u0438\u0431\u043B\u0438\u043E\u0442\u0435\u043A\u0438");
    VARIANT_BOOL flag = VARIANT_FALSE;
    EXPECT_STATUS(0, nkIsHostWinNT(&flag));
    EXPECT_EQ(flag, VARIANT_TRUE);
    flag = VARIANT_TRUE;
    EXPECT_STATUS(0, nkIsInIDE(&flag));
    EXPECT_EQ(flag, VARIANT_FALSE);
}

TEST(Program, AppPathRegistration) {
    const std::wstring key =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\nevkitsupport_dll_test.exe";
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    VARIANT_BOOL written = VARIANT_FALSE;
    EXPECT_STATUS(0, nkRegisterAppPath(&written));
    EXPECT_EQ(written, VARIANT_TRUE);
    auto read = [&](const wchar_t* name) {
        wchar_t value[4096] = {};
        DWORD bytes = sizeof(value);
        RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &bytes);
        return std::wstring(value);
    };
    EXPECT_EQ(read(nullptr), ProgramPath());
    EXPECT_EQ(read(L"Path"), Folder(ProgramPath()));
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
}

// The program's settings file, written for one test as UTF-16 with a byte order mark.
class SettingsFile {
public:
    explicit SettingsFile(const std::wstring& contents) {
        path_ = ProgramPath();
        path_ = path_.substr(0, path_.rfind(L'.')) + L".ini";
        std::wstring text = L"\uFEFF" + contents;
        const HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
        CloseHandle(file);
    }
    ~SettingsFile() { DeleteFileW(path_.c_str()); }

private:
    std::wstring path_;
};

std::wstring ReadSetting(const wchar_t* section, const wchar_t* key, const std::wstring& fallback) {
    Text s(section), k(key), d(fallback);
    return Call([&](BSTR* r) { return nkReadStringFromPrivateINI(s.get(), k.get(), d.get(), r); });
}

TEST(Settings, ValuesOfTheFileBesideTheProgram) {
    const std::wstring longValue(5000, L'x');
    const SettingsFile file(
        L"[Shell]\r\nProgram=Notepad \u041F\u043B\u044E\u0441.exe\r\nEmpty=\r\n[Long]\r\nValue=" + longValue +
        L"\r\n");
    EXPECT_EQ(ReadSetting(L"Shell", L"Program", L"Write.EXE"), L"Notepad \u041F\u043B\u044E\u0441.exe");
    EXPECT_EQ(ReadSetting(L"shell", L"PROGRAM", L"Write.EXE"), L"Notepad \u041F\u043B\u044E\u0441.exe");
    EXPECT_EQ(ReadSetting(L"Long", L"Value", L""), longValue) << "longer than any fixed buffer";
    EXPECT_EQ(ReadSetting(L"Shell", L"Empty", L"Write.EXE"), L"") << "a present empty value is no default";
}

TEST(Settings, DefaultComesBackExactly) {
    const SettingsFile file(L"[Shell]\r\nProgram=x\r\n");
    EXPECT_EQ(ReadSetting(L"Shell", L"Viewer", L"Write.EXE"), L"Write.EXE");
    EXPECT_EQ(ReadSetting(L"Other", L"Program", L"  Write.EXE  "), L"  Write.EXE  ");
    EXPECT_EQ(ReadSetting(L"Shell", L"Viewer", L""), L"");
    Text section(L"Shell"), empty, text;
    EXPECT_STATUS(kBad, nkReadStringFromPrivateINI(empty.get(), section.get(), nullptr, text.out()));
    EXPECT_STATUS(kBad, nkReadStringFromPrivateINI(section.get(), empty.get(), nullptr, text.out()));
}

TEST(Settings, MissingFileGivesTheDefault) {
    EXPECT_EQ(ReadSetting(L"Shell", L"Program", L"Write.EXE"), L"Write.EXE");
}

TEST(System, NamesOfUserComputerAndSystem) {
    wchar_t user[512] = {};
    DWORD size = 512;
    ASSERT_TRUE(GetUserNameW(user, &size));
    EXPECT_EQ(Call([](BSTR* r) { return nkGetUserName(r); }), user);
    wchar_t computer[512] = {};
    size = 512;
    ASSERT_TRUE(GetComputerNameW(computer, &size));
    EXPECT_EQ(Call([](BSTR* r) { return nkGetComputerName(r); }), computer);

    const std::wstring full = Call([](BSTR* r) { return nkGetHostOSFullName(-1, -1, r); });
    EXPECT_EQ(full.rfind(L"Windows", 0), 0u) << full;
    EXPECT_NE(full.find(L", build "), std::wstring::npos) << full;
    const std::wstring bare = Call([](BSTR* r) { return nkGetHostOSFullName(0, 0, r); });
    EXPECT_EQ(bare.find(L"(version"), std::wstring::npos) << bare;
    EXPECT_EQ(full.rfind(bare, 0), 0u);
    Text text;
    EXPECT_STATUS(kBad, nkGetHostOSFullName(1, -1, text.out()));
    EXPECT_STATUS(kBad, nkGetHostOSFullName(-1, 2, text.out()));
}

TEST(System, ErrorTexts) {
    const std::wstring notFound =
        Call([](BSTR* r) { return nkGetAPIErrorDescription(ERROR_FILE_NOT_FOUND, r); });
    EXPECT_FALSE(notFound.empty());
    EXPECT_FALSE(std::iswspace(notFound.back())) << "the closing line break is dropped";
    EXPECT_EQ(Call([](BSTR* r) { return nkGetAPIErrorDescription(static_cast<LONG>(0x80070002u), r); }),
              notFound);
    EXPECT_EQ(Call([](BSTR* r) { return nkGetAPIErrorDescription(0x2FFFFFF0, r); }), L"")
        << "no text, no failure";

    EXPECT_FALSE(Call([](BSTR* r) { return nkGetWinMMErrorDescription(MMSYSERR_NOMEM, r); }).empty());
    EXPECT_FALSE(
        Call([](BSTR* r) { return nkGetWinMMErrorDescription(MCIERR_INVALID_DEVICE_ID, r); }).empty());
    EXPECT_EQ(Call([](BSTR* r) { return nkGetWinMMErrorDescription(0x7FFF0000, r); }), L"");
}

TEST(Resources, EightBitTextOfTheProgram) {
    Text name(L"DESCRIPTION"), type(L"TEXT_DATABLOCK"), lower(L"description");
    const std::wstring text = Call([&](BSTR* r) { return nkLoadResTextA(name.get(), type.get(), r); });
    EXPECT_EQ(text.size(), 11u) << "the text ends at its NUL";
    if (GetACP() == 1251) {
        EXPECT_EQ(text, L"\u041F\u0440\u0438\u0432\u0435\u0442, \u043C\u0438\u0440");
    }
    EXPECT_EQ(Call([&](BSTR* r) { return nkLoadResTextA(lower.get(), type.get(), r); }), text);
    Text number(L"#7"), rcdata(L"#10");
    EXPECT_EQ(Call([&](BSTR* r) { return nkLoadResTextA(number.get(), rcdata.get(), r); }), L"abc");

    Text missing(L"NO_SUCH_TEXT"), result;
    const LONG status = nkLoadResTextA(missing.get(), type.get(), result.out());
    EXPECT_LT(status, 0);
    EXPECT_EQ(HRESULT_FACILITY(status), FACILITY_WIN32) << Hex(status);
    EXPECT_EQ(result.get(), nullptr);
    EXPECT_STATUS(kBad, nkLoadResTextA(nullptr, type.get(), result.out()));
}

TEST(Icons, LargeAndSmallImagesOfAGroup) {
    Text name(L"A_MAIN");
    IPictureDisp* raw = nullptr;
    ASSERT_STATUS(0, nkLoadResIcon(name.get(), &raw));
    const PictureOwner large(raw);
    ASSERT_STATUS(0, nkLoadResIconSmall(name.get(), &raw));
    const PictureOwner small(raw);
    const PictureFacts largeFacts = Facts(large.get());
    const PictureFacts smallFacts = Facts(small.get());
    ASSERT_TRUE(largeFacts.valid && smallFacts.valid);
    EXPECT_EQ(largeFacts.type, PICTYPE_ICON);
    EXPECT_EQ(smallFacts.type, PICTYPE_ICON);
    const IconFacts big = IconOf(reinterpret_cast<HICON>(static_cast<UINT_PTR>(largeFacts.handle)));
    const IconFacts little = IconOf(reinterpret_cast<HICON>(static_cast<UINT_PTR>(smallFacts.handle)));
    EXPECT_EQ(big.width, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(little.width, GetSystemMetrics(SM_CXSMICON));
    // Each size is its own image of the group, not the other one scaled.
    EXPECT_EQ(big.middle, 0xFF0000u);
    EXPECT_EQ(little.middle, 0x0000FFu);
}

TEST(Icons, FromAGivenModule) {
    Text name(L"A_MAIN"), numbered(L"#32000");
    IPictureDisp* raw = nullptr;
    ASSERT_STATUS(0, nkLoadResIconSmallEx(name.get(), GetModuleHandleW(nullptr), &raw));
    const PictureOwner picture(raw);
    EXPECT_EQ(Facts(picture.get()).type, PICTYPE_ICON);

    // The library itself has no such icon.
    raw = reinterpret_cast<IPictureDisp*>(1);
    const LONG status = nkLoadResIconEx(name.get(), GetModuleHandleW(L"NevkitSupport0100.dll"), &raw);
    EXPECT_LT(status, 0) << Hex(status);
    EXPECT_EQ(raw, nullptr);
    EXPECT_LT(nkLoadResIcon(numbered.get(), &raw), 0);
    EXPECT_STATUS(kBad, nkLoadResIconEx(name.get(), nullptr, &raw));
    EXPECT_STATUS(kBad, nkLoadResIcon(nullptr, &raw));
}

// A plain top-level window of the test, destroyed with the object.
class TestWindow {
public:
    explicit TestWindow(int width = 300, int height = 200, HWND parent = nullptr) {
        static const bool registered = [] {
            WNDCLASSW type = {};
            type.lpfnWndProc = DefWindowProcW;
            type.hInstance = GetModuleHandleW(nullptr);
            type.lpszClassName = kClass;
            return RegisterClassW(&type) != 0;
        }();
        const DWORD style = parent ? WS_CHILD : WS_OVERLAPPEDWINDOW;
        window_ = !registered ? nullptr
                              : CreateWindowExW(0, kClass, L"test", style, 0, 0, width, height, parent,
                                                nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~TestWindow() {
        if (window_) DestroyWindow(window_);
    }
    HWND get() const { return window_; }

private:
    static constexpr const wchar_t* kClass = L"NevkitSupportTestWindow";
    HWND window_ = nullptr;
};

TEST(Windows, IconsSetReadBackAndRemoved) {
    const TestWindow window;
    ASSERT_NE(window.get(), nullptr);
    Text name(L"A_MAIN");
    IPictureDisp* raw = nullptr;
    ASSERT_STATUS(0, nkLoadResIcon(name.get(), &raw));
    const PictureOwner large(raw);
    ASSERT_STATUS(0, nkLoadResIconSmall(name.get(), &raw));
    const PictureOwner small(raw);
    const auto largeIcon = reinterpret_cast<HICON>(static_cast<UINT_PTR>(Facts(large.get()).handle));
    const auto smallIcon = reinterpret_cast<HICON>(static_cast<UINT_PTR>(Facts(small.get()).handle));

    EXPECT_STATUS(0, nkSetWindowIconAll(window.get(), largeIcon, smallIcon));
    ASSERT_STATUS(0, nkGetWindowIcon(window.get(), &raw));
    const PictureOwner readLarge(raw);
    ASSERT_STATUS(0, nkGetWindowIconSmall(window.get(), &raw));
    const PictureOwner readSmall(raw);
    const PictureFacts readLargeFacts = Facts(readLarge.get());
    ASSERT_TRUE(readLargeFacts.valid);
    // The picture owns a copy: releasing it must not take the window's icon away.
    EXPECT_NE(reinterpret_cast<HICON>(static_cast<UINT_PTR>(readLargeFacts.handle)), largeIcon);
    EXPECT_EQ(IconOf(reinterpret_cast<HICON>(static_cast<UINT_PTR>(readLargeFacts.handle))).width,
              GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(IconOf(reinterpret_cast<HICON>(static_cast<UINT_PTR>(Facts(readSmall.get()).handle))).width,
              GetSystemMetrics(SM_CXSMICON));

    EXPECT_STATUS(0, nkSetWindowIconAll(window.get(), nullptr, nullptr));
    raw = reinterpret_cast<IPictureDisp*>(1);
    EXPECT_STATUS(0, nkGetWindowIcon(window.get(), &raw));
    EXPECT_EQ(raw, nullptr) << "a window without icons gives no picture";
    EXPECT_EQ(SendMessageW(window.get(), WM_GETICON, ICON_SMALL, 0), 0);

    EXPECT_STATUS(kBad, nkSetWindowIconAll(window.get(), reinterpret_cast<HICON>(GetStockObject(BLACK_BRUSH)),
                                           nullptr));
    HWND gone = nullptr;
    {
        const TestWindow closed;
        gone = closed.get();
    }
    EXPECT_STATUS(kBad, nkSetWindowIconAll(gone, nullptr, nullptr));
    EXPECT_STATUS(kBad, nkGetWindowIcon(gone, &raw));
}

TEST(Windows, CentredOnTheWorkArea) {
    const TestWindow window(300, 200);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(window.get(), MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& area = monitor.rcWork;
    VARIANT_BOOL moved = VARIANT_FALSE;
    EXPECT_STATUS(0, nkCenterFormEx(window.get(), &moved));
    EXPECT_EQ(moved, VARIANT_TRUE);
    RECT frame;
    GetWindowRect(window.get(), &frame);
    EXPECT_NEAR((frame.left + frame.right) / 2.0, (area.left + area.right) / 2.0, 1.0);
    EXPECT_NEAR((frame.top + frame.bottom) / 2.0, (area.top + area.bottom) / 2.0, 1.0);
    EXPECT_EQ(frame.right - frame.left, 300);

    // Larger than the screen: the top-left corner stays on it.
    const TestWindow huge(area.right - area.left + 400, area.bottom - area.top + 400);
    EXPECT_STATUS(0, nkCenterFormEx(huge.get(), &moved));
    GetWindowRect(huge.get(), &frame);
    EXPECT_EQ(frame.left, area.left);
    EXPECT_EQ(frame.top, area.top);
}

TEST(Windows, ChildCentredInItsParent) {
    const TestWindow parent(400, 300);
    const TestWindow child(100, 50, parent.get());
    ASSERT_NE(child.get(), nullptr);
    VARIANT_BOOL moved = VARIANT_FALSE;
    EXPECT_STATUS(0, nkCenterFormEx(child.get(), &moved));
    RECT client, frame;
    GetClientRect(parent.get(), &client);
    GetWindowRect(child.get(), &frame);
    MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&frame), 2);
    EXPECT_NEAR((frame.left + frame.right) / 2.0, client.right / 2.0, 1.0);
    EXPECT_NEAR((frame.top + frame.bottom) / 2.0, client.bottom / 2.0, 1.0);
}

TEST(Pictures, BitmapIsTakenOver) {
    const HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, nullptr);
    ASSERT_NE(bitmap, nullptr);
    IPictureDisp* raw = nullptr;
    ASSERT_STATUS(0, nkGetBitmapFromHandle(bitmap, &raw));
    const PictureFacts facts = Facts(raw);
    EXPECT_EQ(facts.type, PICTYPE_BITMAP);
    EXPECT_EQ(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(facts.handle)), bitmap) << "the same handle";
    raw->Release();
    EXPECT_EQ(GetObjectType(bitmap), 0u) << "releasing the picture deletes the bitmap";

    const HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_STATUS(kBad, nkGetBitmapFromHandle(reinterpret_cast<HBITMAP>(brush), &raw));
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH)) << "a refused handle stays the caller's";
    DeleteObject(brush);
}

// The ImageBase field of a PE file, read here with the system's header structures.
ULONGLONG ImageBaseOfFile(const std::wstring& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    std::vector<BYTE> head(4096);
    DWORD read = 0;
    ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &read, nullptr);
    CloseHandle(file);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(head.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(head.data() + dos->e_lfanew);
    return nt->OptionalHeader.ImageBase;
}

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

TEST(Modules, WalkOfTheOwnProcess) {
    const DWORD process = GetCurrentProcessId();
    HANDLE snapshot = nullptr;
    ASSERT_STATUS(0, nkCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, static_cast<LONG>(process), &snapshot));
    ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> names;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    VARIANT_BOOL filled = VARIANT_FALSE;
    EXPECT_STATUS(0, nkModule32First(snapshot, &entry, &filled));
    while (filled == VARIANT_TRUE) {
        names.push_back(Lower(entry.szModule));
        LONG_PTR preferred = 0;
        EXPECT_STATUS(0,
                      nkGetModulePreferredBaseAddr(static_cast<LONG>(process),
                                                   reinterpret_cast<LONG_PTR>(entry.modBaseAddr), &preferred))
            << names.back();
        EXPECT_NE(preferred, 0) << names.back();
        if (names.back() == L"nevkitsupport_dll_test.exe") {
            EXPECT_EQ(static_cast<ULONGLONG>(preferred), ImageBaseOfFile(ProgramPath()));
        }
        EXPECT_STATUS(0, nkModule32Next(snapshot, &entry, &filled));
        ASSERT_LT(names.size(), 1000u);
    }
    EXPECT_EQ(filled, VARIANT_FALSE);
    EXPECT_STATUS(0, nkModule32Next(snapshot, &entry, &filled)) << "the end stays the end";
    CloseHandle(snapshot);

    auto has = [&](const wchar_t* name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    EXPECT_TRUE(has(L"ntdll.dll"));
    EXPECT_TRUE(has(L"kernel32.dll"));
    EXPECT_TRUE(has(L"nevkitsupport_dll_test.exe"));
    EXPECT_TRUE(has(L"nevkitsupport0100.dll"));
}

TEST(Modules, WalkRefusesWrongRecordsAndHandles) {
    HANDLE snapshot = nullptr;
    ASSERT_STATUS(0, nkCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0, &snapshot));
    MODULEENTRY32W entry = {};
    entry.dwSize = 548;  // the size of the 8-bit record of a 32-bit process: too small here
    VARIANT_BOOL filled = VARIANT_TRUE;
    EXPECT_STATUS(kBad, nkModule32First(snapshot, &entry, &filled));
    EXPECT_EQ(filled, VARIANT_FALSE);
    EXPECT_EQ(entry.szModule[0], L'\0') << "the record is left alone";
    EXPECT_STATUS(kBad, nkModule32First(snapshot, nullptr, &filled));
    CloseHandle(snapshot);
    entry.dwSize = sizeof(entry);
    EXPECT_STATUS(kBad, nkModule32First(INVALID_HANDLE_VALUE, &entry, &filled));

    EXPECT_STATUS(kBad, nkCreateToolhelp32Snapshot(0x100, 0, &snapshot));
    const LONG status = nkCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0x7FFFFFF0, &snapshot);
    EXPECT_LT(status, 0) << "no such process: " << Hex(status);
    EXPECT_EQ(snapshot, INVALID_HANDLE_VALUE);
}

TEST(Modules, PreferredAddressOfARelocatedCopy) {
    // A second copy of the library cannot load where the first one is: it is relocated, and its
    // preferred address is still the one its file asks for.
    const std::wstring original = Folder(ProgramPath()) + L"\\NevkitSupport0100.dll";
    const std::wstring copy =
        TempFolder() + L"\\nevkitsupport_copy_" + std::to_wstring(GetCurrentProcessId()) + L"_test.dll";
    ASSERT_TRUE(CopyFileW(original.c_str(), copy.c_str(), FALSE)) << "error " << GetLastError();
    const HMODULE first = GetModuleHandleW(L"NevkitSupport0100.dll");
    const HMODULE second = LoadLibraryW(copy.c_str());
    ASSERT_NE(second, nullptr);
    ASSERT_NE(first, second);
    const LONG process = static_cast<LONG>(GetCurrentProcessId());
    LONG_PTR firstPreferred = 0, secondPreferred = 0;
    EXPECT_STATUS(0,
                  nkGetModulePreferredBaseAddr(process, reinterpret_cast<LONG_PTR>(first), &firstPreferred));
    EXPECT_STATUS(
        0, nkGetModulePreferredBaseAddr(process, reinterpret_cast<LONG_PTR>(second), &secondPreferred));
    const auto fileBase = static_cast<LONG_PTR>(ImageBaseOfFile(original));
    EXPECT_EQ(firstPreferred, fileBase);
    EXPECT_EQ(secondPreferred, fileBase);
    FreeLibrary(second);
    DeleteFileW(copy.c_str());
}

TEST(Modules, PreferredAddressOfSomethingElse) {
    LONG_PTR preferred = 1;
    static const char notAnImage[8192] = {};
    const LONG process = static_cast<LONG>(GetCurrentProcessId());
    EXPECT_LT(nkGetModulePreferredBaseAddr(process, reinterpret_cast<LONG_PTR>(notAnImage), &preferred), 0);
    EXPECT_EQ(preferred, 0);
    EXPECT_LT(nkGetModulePreferredBaseAddr(0x7FFFFFF0, reinterpret_cast<LONG_PTR>(GetModuleHandleW(nullptr)),
                                           &preferred),
              0);
}

TEST(Process, DebugPrivilegeAndDebugOutput) {
    VARIANT_BOOL result = VARIANT_FALSE;
    EXPECT_STATUS(0, nkEnableDebugPrivilege(-1, &result));
    EXPECT_STATUS(0, nkEnableDebugPrivilege(0, &result));
    EXPECT_STATUS(kBad, nkEnableDebugPrivilege(2, &result));

    Text text(L"nevkitsupport test \u0442\u0435\u043A\u0441\u0442");
    EXPECT_STATUS(0, nkOutputDebugString(text.get(), &result));
    EXPECT_EQ(result, IsDebuggerPresent() ? VARIANT_TRUE : VARIANT_FALSE);
    Text cut(std::wstring(L"a\0b", 3));
    EXPECT_STATUS(kBad, nkOutputDebugString(cut.get(), &result));
}

}  // namespace
