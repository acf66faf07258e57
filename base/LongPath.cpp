#include "LongPath.h"

#include <windows.h>

namespace kelmor {
namespace {

bool Slash(wchar_t c) { return c == L'\\' || c == L'/'; }

bool DriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "\\?\" or "\\.\": a path the system takes as it stands.
bool DevicePrefixed(std::wstring_view path) {
    return path.size() >= 4 && Slash(path[0]) && Slash(path[1]) && (path[2] == L'?' || path[2] == L'.') &&
           Slash(path[3]);
}

}  // namespace

std::wstring ExtendedLengthForm(std::wstring_view fullPath) {
    const std::wstring path(fullPath);
    if (DevicePrefixed(path)) return path;
    if (path.size() >= 3 && DriveLetter(path[0]) && path[1] == L':' && Slash(path[2])) return L"\\\\?\\" + path;
    if (path.size() >= 3 && Slash(path[0]) && Slash(path[1]) && !Slash(path[2]))
        return L"\\\\?\\UNC\\" + path.substr(2);
    return path;
}

std::wstring ForWideFileApi(const std::wstring& path) {
    if (path.size() < kLongPathFrom || path.find(L'\0') != std::wstring::npos || DevicePrefixed(path))
        return path;
    std::wstring full(path.size() + 16, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return path;  // the system's own call will then say what is wrong
        if (n < full.size()) {
            full.resize(n);
            break;
        }
        full.resize(n);
    }
    return ExtendedLengthForm(full);
}

}  // namespace kelmor
