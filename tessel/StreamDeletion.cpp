#include "StreamDeletion.h"

#include <string>

namespace tessel {

DWORD DeleteStreamA(const std::wstring& path) {
    if (path.find(L'\0') != std::wstring::npos) return ERROR_INVALID_NAME;
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    const int length = static_cast<int>(path.size());
    BOOL lossy = FALSE;
    const int bytes =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), length, nullptr, 0, nullptr, &lossy);
    if (bytes <= 0 || lossy) return ERROR_NO_UNICODE_TRANSLATION;
    std::string ansi(static_cast<size_t>(bytes), '\0');
    lossy = FALSE;
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), length, ansi.data(), bytes, nullptr,
                            &lossy) != bytes ||
        lossy)
        return ERROR_NO_UNICODE_TRANSLATION;
    if (DeleteFileA(ansi.c_str())) return ERROR_SUCCESS;
    return GetLastError();
}

}  // namespace tessel
