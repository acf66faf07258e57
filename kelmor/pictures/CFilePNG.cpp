#include "CFilePNG.h"

#include <cstdint>
#include <string>

#include "AnsiText.h"
#include "Module.h"
#include "PictureSignatures.h"

namespace kelmor {

namespace {

using NameFunction = std::int32_t(__stdcall*)(const char* fileName);
using GetterFunction = std::int32_t(__stdcall*)();
using LoadFunction = std::int32_t(__stdcall*)(const char* fileName, std::uint8_t* bits, std::uint8_t* palette);

// Sarvik's six functions; all null when the library or one of them is missing.
struct Sarvik {
    NameFunction IsPNG = nullptr;
    NameFunction PNGUpdateInfo = nullptr;
    GetterFunction PNGGetBPP = nullptr;
    GetterFunction PNGGetWidth = nullptr;
    GetterFunction PNGGetHeight = nullptr;
    LoadFunction PNGLoad = nullptr;
};

template <typename Function>
bool Bind(HMODULE library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return function != nullptr;
}

// Sarvik.dll from the folder of this library, by its full path, never through the search order
// (a DLL of that name in the current folder or on the PATH is not ours). Its own imports come
// from the system folder. The library stays loaded for the process.
Sarvik LoadSarvik() {
    const std::wstring self = Module::Path();
    const std::size_t slash = self.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    const std::wstring path = self.substr(0, slash + 1) + L"Sarvik.dll";
    HMODULE library = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library && GetLastError() == ERROR_INVALID_PARAMETER) {
        // A system without the search flags: the full path still decides which file is loaded.
        library = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    if (!library) return {};
    Sarvik s;
    if (Bind(library, "IsPNG", s.IsPNG) && Bind(library, "PNGUpdateInfo", s.PNGUpdateInfo) &&
        Bind(library, "PNGGetBPP", s.PNGGetBPP) && Bind(library, "PNGGetWidth", s.PNGGetWidth) &&
        Bind(library, "PNGGetHeight", s.PNGGetHeight) && Bind(library, "PNGLoad", s.PNGLoad))
        return s;
    FreeLibrary(library);
    return {};
}

// Bound once, at the first use, for every thread.
const Sarvik& Library() {
    static const Sarvik sarvik = LoadSarvik();
    return sarvik;
}

// The name as Sarvik takes it: text of the ANSI code page, exactly. Empty for a name that has a
// NUL inside (Sarvik would read a shorter path) or a character without an exact form there.
std::string SarvikName(const std::wstring& fileName) {
    std::string name;
    if (fileName.empty() || fileName.find(L'\0') != std::wstring::npos) return {};
    if (ToAnsi(fileName.data(), fileName.size(), name) != 0) return {};
    return name;
}

}  // namespace

bool CFilePNG::Recognise(const PictureFile& file) {
    if (!IsPngSignature(file.Bytes())) return false;
    const Sarvik& sarvik = Library();
    return sarvik.IsPNG && !SarvikName(file.Name()).empty();
}

bool CFilePNG::ReadImage(const PictureFile& file, core::DIBImage& record) {
    const Sarvik& sarvik = Library();
    const std::string name = SarvikName(file.Name());
    if (!sarvik.PNGLoad || name.empty() || sarvik.PNGUpdateInfo(name.c_str()) == 0) return false;
    record.BPP = sarvik.PNGGetBPP();
    record.Width = sarvik.PNGGetWidth();
    record.Height = sarvik.PNGGetHeight();
    // Sarvik writes as many bytes as the depth it reported needs: a depth other than the two it
    // may report would not match any buffer sized here, so such a picture is not loaded.
    if (record.BPP != 8 && record.BPP != 24) return false;
    const auto length = core::GetScanlineLength(record.Width, record.BPP);
    if (!length || *length < 1 || record.Height < 1 || record.Height > INT32_MAX / *length) return false;
    record.Bits.assign(static_cast<std::size_t>(*length) * static_cast<std::size_t>(record.Height), 0);
    record.Palette.fill(0);
    // The palette entries are blue, green, red, 0: in memory exactly the record's 32-bit entries.
    auto* palette = record.BPP == 8 ? reinterpret_cast<std::uint8_t*>(record.Palette.data()) : nullptr;
    return sarvik.PNGLoad(name.c_str(), record.Bits.data(), palette) != 0;
}

}  // namespace kelmor
