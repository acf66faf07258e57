#include "StreamDeletion.h"

#include <string>

#include "AnsiText.h"

namespace tessel {

DWORD DeleteStreamA(const std::wstring& path) {
    if (path.find(L'\0') != std::wstring::npos) return ERROR_INVALID_NAME;
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    std::string ansi;
    if (const DWORD status = kelmor::ToAnsi(path.data(), path.size(), ansi); status != ERROR_SUCCESS)
        return status;
    if (DeleteFileA(ansi.c_str())) return ERROR_SUCCESS;
    return GetLastError();
}

}  // namespace tessel
