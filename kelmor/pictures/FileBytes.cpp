#include "FileBytes.h"

#include <windows.h>

#include <algorithm>
#include <new>

#include "Owners.h"

namespace kelmor {

bool ReadFileBytes(const std::wstring& fileName, std::vector<std::uint8_t>& out, std::size_t limit) {
    out.clear();
    // A name with a NUL inside would name a shorter path to the system.
    if (fileName.empty() || fileName.find(L'\0') != std::wstring::npos) return false;
    const HANDLE raw = CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return false;
    UniqueHandle file(raw);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return false;
    const auto fileSize = static_cast<unsigned long long>(size.QuadPart);
    if (fileSize > SIZE_MAX / 2) return false;
    const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(fileSize), limit);
    try {
        out.resize(wanted);
    } catch (const std::bad_alloc&) {
        out.clear();
        return false;
    }
    std::size_t total = 0;
    while (total < wanted) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wanted - total, 1u << 30));
        DWORD read = 0;
        if (!ReadFile(file.get(), out.data() + total, chunk, &read, nullptr)) {
            out.clear();
            return false;
        }
        if (read == 0) break;  // the file became shorter meanwhile
        total += read;
    }
    out.resize(total);
    return true;
}

}  // namespace kelmor
