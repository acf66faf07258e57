#include "StreamDeletion.h"

#include <string>

#include "AnsiText.h"
#include "ProgramText.h"
#include "core/StreamPath.h"

namespace tessel {

std::wstring DeletionPath(const std::wstring& streamPath) {
    if (streamPath.size() < MAX_PATH) return streamPath;
    // "\\?\" paths are taken literally: make the path full and normalised first.
    const DWORD needed = GetFullPathNameW(streamPath.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring full(needed, L'\0');
    const DWORD written = GetFullPathNameW(streamPath.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed) return {};
    full.resize(written);
    return Wide(core::ExtendedLengthPath(U16(full)));
}

DWORD DeleteStream(const std::wstring& path, const std::wstring& name) {
    if (!core::IsAlternateStreamName(U16(name))) return ERROR_INVALID_NAME;
    const std::wstring streamPath = Wide(core::StreamPath(U16(path), U16(name)));
    if (streamPath.find(L'\0') != std::wstring::npos) return ERROR_INVALID_NAME;
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    std::string ansi;
    if (const DWORD status = kelmor::ToAnsi(streamPath.data(), streamPath.size(), ansi); status != ERROR_SUCCESS)
        return status;
    const std::wstring target = DeletionPath(streamPath);
    if (target.empty()) {
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_INVALID_NAME;
    }
    if (DeleteFileW(target.c_str())) return ERROR_SUCCESS;
    return GetLastError();
}

}  // namespace tessel
