#include "StreamDeletion.h"

#include <string>

#include "AnsiText.h"
#include "LongPath.h"
#include "ProgramText.h"
#include "core/StreamPath.h"

namespace tessel {

DWORD DeleteStream(const std::wstring& path, const std::wstring& name) {
    if (!core::IsAlternateStreamName(U16(name))) return ERROR_INVALID_NAME;
    const std::wstring streamPath = Wide(core::StreamPath(U16(path), U16(name)));
    if (streamPath.find(L'\0') != std::wstring::npos) return ERROR_INVALID_NAME;
    if (path.empty()) return ERROR_PATH_NOT_FOUND;
    std::string ansi;
    if (const DWORD status = kelmor::ToAnsi(streamPath.data(), streamPath.size(), ansi); status != ERROR_SUCCESS)
        return status;
    if (DeleteFileW(kelmor::ForWideFileApi(streamPath).c_str())) return ERROR_SUCCESS;
    return GetLastError();
}

}  // namespace tessel
