// Deleting a stream by its path (the file's path followed by the stream's name) through the
// system's ANSI file deletion.
#pragma once

#include <windows.h>

#include <string>

namespace tessel {

// Deletes the stream or file at `path` with DeleteFileA. The path is converted to the ANSI
// code page (UTF-8 included) exactly or not at all, by kelmor::ToAnsi: a character the code
// page cannot hold would be replaced by a look-alike (best fit) and the deletion could hit
// another stream, so such a path fails with ERROR_NO_UNICODE_TRANSLATION and nothing is deleted; a path with
// an embedded NUL (which the system would cut short) fails with ERROR_INVALID_NAME. Returns ERROR_SUCCESS or
// the system's error code, taken right after the failing call.
DWORD DeleteStreamA(const std::wstring& path);

}  // namespace tessel
