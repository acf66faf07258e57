// Deleting an alternate data stream by its path (the file's path followed by the stream's
// name).
#pragma once

#include <windows.h>

#include <string>

namespace tessel {

// Deletes stream `name` of the file or folder at `path`. Refused with ERROR_INVALID_NAME, and
// nothing deleted, unless `name` is an alternate data stream's name (core::IsAlternateStreamName):
// the records come from whatever server is registered for the reader's class, and an empty name
// would delete the file itself, "\..\x" another file.
//
// The stream path must then cross to the ANSI code page exactly (kelmor::ToAnsi), as the
// system's ANSI deletion would need it: a character the code page cannot hold would be replaced
// by a look-alike (best fit) naming another stream, so such a path fails with
// ERROR_NO_UNICODE_TRANSLATION; a path with an embedded NUL fails with ERROR_INVALID_NAME.
// The deletion itself goes through DeleteFileW, a long path in the extended-length form
// ("\\?\", kelmor::ForWideFileApi; DeleteFileA stops at MAX_PATH whatever the manifest says).
// Returns ERROR_SUCCESS or the system's error code, taken right after the failing call.
DWORD DeleteStream(const std::wstring& path, const std::wstring& name);

}  // namespace tessel
