// The program and its host: system kind and name, the program's path, title, settings file
// and app path registration, user and computer names, error texts.
#include "support.h"

#include <vector>

using namespace nksupport;
using namespace nksupport::win;

namespace {

// The real version numbers: RtlGetVersion does not pretend an older system the way
// GetVersionEx does for programs without a compatibility manifest.
bool QueryOsVersion(RTL_OSVERSIONINFOEXW& info) {
    info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOEXW*);
    if (const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")));
        if (rtlGetVersion && rtlGetVersion(&info) == 0) return true;
    }
    info = {};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    return GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
}

// The program's path in its long form when the system can resolve it.
LONG ProgramLongPath(std::wstring& path) {
    std::wstring modulePath;
    if (const LONG status = ModulePath(nullptr, modulePath); status != kOk) return status;
    DWORD error = 0;
    if (!LongPath(modulePath, path, error)) path = std::move(modulePath);
    return kOk;
}

std::wstring Hex4(WORD value) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring text(4, L'0');
    for (int i = 3; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    return text;
}

// FileDescription of the file's version resource, in the languages it lists and then in
// US English and Russian with the usual code pages; empty when it has none.
std::wstring FileDescription(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return {};

    struct Translation {
        WORD language;
        WORD codePage;
    };
    std::vector<Translation> translations;
    void* listed = nullptr;
    UINT listedBytes = 0;
    if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &listed, &listedBytes) && listed) {
        const auto* entries = static_cast<const Translation*>(listed);
        translations.assign(entries, entries + listedBytes / sizeof(Translation));
    }
    translations.push_back({0x0409, 1200});
    translations.push_back({0x0409, 1252});
    translations.push_back({0x0419, 1200});
    translations.push_back({0x0419, 1251});

    for (const Translation& t : translations) {
        const std::wstring query =
            L"\\StringFileInfo\\" + Hex4(t.language) + Hex4(t.codePage) + L"\\FileDescription";
        void* value = nullptr;
        UINT length = 0;
        if (VerQueryValueW(data.data(), query.c_str(), &value, &length) && value && length > 0) {
            const std::wstring description(static_cast<const wchar_t*>(value));
            const std::u16string trimmed(Trim(ToU16(description)));
            if (!trimmed.empty()) return ToWide(trimmed);
        }
    }
    return {};
}

// One value of the settings file, or with a NULL key the key names of a section as a list of
// NUL-terminated names. The buffer grows until the text fits.
std::wstring ReadProfile(const std::wstring& section, const wchar_t* key, const std::wstring& file) {
    std::vector<wchar_t> buffer(1024);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length =
            GetPrivateProfileStringW(section.c_str(), key, L"", buffer.data(), size, file.c_str());
        // A cut text comes back with size - 1 (a value) or size - 2 (a list) characters.
        if (length + 2 < size) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

bool SectionHasKey(const std::wstring& section, const std::wstring& key, const std::wstring& file) {
    const std::wstring names = ReadProfile(section, nullptr, file);
    for (std::size_t start = 0; start < names.size();) {
        const std::size_t end = names.find(L'\0', start);
        const std::size_t length = (end == std::wstring::npos ? names.size() : end) - start;
        if (CompareStringOrdinal(names.data() + start, static_cast<int>(length), key.data(),
                                 static_cast<int>(key.size()), TRUE) == CSTR_EQUAL) {
            return true;
        }
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return false;
}

// The system's message text for a code, without the line break that ends it; empty when
// the system has none.
std::wstring SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 || !text) return {};
    UniqueLocal owner(text);
    std::wstring message(text, length);
    while (!message.empty() && IsTrimmable(static_cast<char16_t>(message.back()))) message.pop_back();
    return message;
}

}  // namespace

extern "C" {

LONG __stdcall nkIsHostWinNT(VARIANT_BOOL* result) {
    if (!result) return kBadArgument;
    *result = VARIANT_FALSE;
    RTL_OSVERSIONINFOEXW info;
    if (!QueryOsVersion(info)) return LastErrorStatus();
    *result = ToVariantBool(info.dwPlatformId == VER_PLATFORM_WIN32_NT);
    return kOk;
}

// A compiled program never runs hosted inside its development environment.
LONG __stdcall nkIsInIDE(VARIANT_BOOL* result) {
    if (!result) return kBadArgument;
    *result = VARIANT_FALSE;
    return kOk;
}

// Records the program under HKCU\...\App Paths\<file name>: the default value is its full path,
// "Path" its folder. The result tells whether both were written; a registry that refuses is
// no failure of the call, the program simply runs without the entry.
LONG __stdcall nkRegisterAppPath(VARIANT_BOOL* result) {
    if (!result) return kBadArgument;
    *result = VARIANT_FALSE;
    return Guarded([&]() -> LONG {
        std::wstring path;
        if (const LONG status = ModulePath(nullptr, path); status != kOk) return status;
        const std::u16string path16 = ToU16(path);
        const std::wstring fileName = ToWide(FileNamePart(path16));
        const std::wstring folder = ToWide(FolderPart(path16));
        const std::wstring keyName = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + fileName;

        UniqueHKey key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, keyName.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            key.put(), nullptr) != ERROR_SUCCESS) {
            return kOk;
        }
        auto setText = [&](const wchar_t* name, const std::wstring& value) {
            const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
            return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  bytes) == ERROR_SUCCESS;
        };
        const bool written = setText(nullptr, path) && setText(L"Path", folder);
        *result = ToVariantBool(written);
        return kOk;
    });
}

LONG __stdcall nkGetEXEModuleFullFileName(BSTR* result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    return Guarded([&]() -> LONG {
        std::wstring path;
        if (const LONG status = ModulePath(nullptr, path); status != kOk) return status;
        return PutText(std::wstring_view(path), result);
    });
}

// The program file's name with its extension, in its long form: "Tessel.exe".
LONG __stdcall nkGetEXEModulePrettyFileName(BSTR* result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    return Guarded([&]() -> LONG {
        std::wstring path;
        if (const LONG status = ProgramLongPath(path); status != kOk) return status;
        return PutText(FileNamePart(ToU16(path)), result);
    });
}

// The program's title: the FileDescription of its version resource, else its file name
// without extension.
LONG __stdcall nkGetThunderMainTitle(BSTR* result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    return Guarded([&]() -> LONG {
        std::wstring path;
        if (const LONG status = ProgramLongPath(path); status != kOk) return status;
        const std::wstring description = FileDescription(path);
        if (!description.empty()) return PutText(std::wstring_view(description), result);
        return PutText(BaseNameWithoutExtension(ToU16(path)), result);
    });
}

// A value from the program's settings file (its path with the extension ".ini"), or the
// default exactly as given when the file, the section or the key is missing.
LONG __stdcall nkReadStringFromPrivateINI(BSTR section, BSTR key, BSTR defaultValue, BSTR* result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    return Guarded([&]() -> LONG {
        const std::wstring sectionName = FromBstr(section);
        const std::wstring keyName = FromBstr(key);
        // An empty section or key would make the system list names instead of reading a value.
        if (sectionName.empty() || keyName.empty() || HasNul(sectionName) || HasNul(keyName))
            return kBadArgument;
        std::wstring programPath;
        if (const LONG status = ModulePath(nullptr, programPath); status != kOk) return status;
        const std::wstring file = ToWide(SettingsFilePath(ToU16(programPath)));
        // The system trims the default it is given; asking for the key first keeps the caller's
        // default unchanged.
        if (!SectionHasKey(sectionName, keyName, file)) return PutText(FromBstr(defaultValue), result);
        return PutText(ReadProfile(sectionName, keyName.c_str(), file), result);
    });
}

LONG __stdcall nkGetUserName(BSTR* result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    return Guarded([&]() -> LONG {
        std::vector<wchar_t> buffer(257);
        for (;;) {
            DWORD size = static_cast<DWORD>(buffer.size());
            if (GetUserNameW(buffer.data(), &size)) return PutText(std::wstring_view(buffer.data()), result);
            const DWORD error = GetLastError();
            if (error != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size()) return Win32Status(error);
            buffer.resize(size);
        }
    });
}

LONG __stdcall nkGetComputerName(BSTR* result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    return Guarded([&]() -> LONG {
        std::vector<wchar_t> buffer(MAX_COMPUTERNAME_LENGTH + 1);
        for (;;) {
            DWORD size = static_cast<DWORD>(buffer.size());
            if (GetComputerNameW(buffer.data(), &size))
                return PutText(std::wstring_view(buffer.data(), size), result);
            const DWORD error = GetLastError();
            if (error != ERROR_BUFFER_OVERFLOW || size <= buffer.size()) return Win32Status(error);
            buffer.resize(size);
        }
    });
}

// The system's name; withVersion (-1) adds the version and build numbers, withServicePack
// (-1) a second line with the service pack when there is one. 0 leaves a part out.
LONG __stdcall nkGetHostOSFullName(LONG withVersion, LONG withServicePack, BSTR* result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    if (!IsTruthValue(withVersion) || !IsTruthValue(withServicePack)) return kBadArgument;
    return Guarded([&]() -> LONG {
        RTL_OSVERSIONINFOEXW info;
        if (!QueryOsVersion(info)) return LastErrorStatus();
        OsVersion version;
        version.major = info.dwMajorVersion;
        version.minor = info.dwMinorVersion;
        version.build = info.dwBuildNumber;
        version.productType = info.wProductType;
        version.servicePack = ToU16(info.szCSDVersion);
        return PutText(OsFullName(version, withVersion != 0, withServicePack != 0), result);
    });
}

// The system's text for a Win32 error code (or an HRESULT made of one); empty when it has none.
LONG __stdcall nkGetAPIErrorDescription(LONG code, BSTR* result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    return Guarded([&]() -> LONG {
        const auto value = static_cast<DWORD>(code);
        std::wstring message = SystemMessage(value);
        if (message.empty() && HRESULT_FACILITY(value) == FACILITY_WIN32 && (value & 0x80000000u)) {
            message = SystemMessage(HRESULT_CODE(value));
        }
        return PutText(std::wstring_view(message), result);
    });
}

// The multimedia library's text for one of its error codes (MMSYSERR_, WAVERR_, MIDIERR_,
// MCIERR_); empty when it has none. winmm.dll is loaded only for this call, from the system
// folder.
LONG __stdcall nkGetWinMMErrorDescription(LONG code, BSTR* result) {
    if (!result) return kBadArgument;
    *result = nullptr;
    return Guarded([&]() -> LONG {
        std::vector<wchar_t> folder(MAX_PATH);
        for (;;) {
            const UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
            if (length == 0) return LastErrorStatus();
            if (length < folder.size()) break;
            folder.resize(length);
        }
        const std::wstring path = std::wstring(folder.data()) + L"\\winmm.dll";
        UniqueModule winmm(LoadLibraryW(path.c_str()));
        if (!winmm) return LastErrorStatus();

        using GetErrorTextFn = UINT(WINAPI*)(UINT, wchar_t*, UINT);
        using MciErrorStringFn = BOOL(WINAPI*)(DWORD, wchar_t*, UINT);
        auto find = [&](const char* name) {
            return reinterpret_cast<void (*)()>(GetProcAddress(winmm.get(), name));
        };
        const auto waveText = reinterpret_cast<GetErrorTextFn>(find("waveOutGetErrorTextW"));
        const auto midiText = reinterpret_cast<GetErrorTextFn>(find("midiOutGetErrorTextW"));
        const auto mciText = reinterpret_cast<MciErrorStringFn>(find("mciGetErrorStringW"));

        // These functions cut a long text without saying so: a full buffer is tried again larger.
        const auto value = static_cast<UINT>(code);
        for (std::vector<wchar_t> buffer(256);; buffer.resize(buffer.size() * 2)) {
            const UINT size = static_cast<UINT>(buffer.size());
            buffer[0] = L'\0';
            bool found = (waveText && waveText(value, buffer.data(), size) == MMSYSERR_NOERROR) ||
                         (midiText && midiText(value, buffer.data(), size) == MMSYSERR_NOERROR) ||
                         (value >= MCIERR_BASE && mciText && mciText(value, buffer.data(), size));
            if (!found) buffer[0] = L'\0';
            buffer.back() = L'\0';
            const std::wstring_view text(buffer.data());
            if (text.size() + 1 < buffer.size() || buffer.size() >= 0x10000) return PutText(text, result);
        }
    });
}

}  // extern "C"
