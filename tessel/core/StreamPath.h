// Rules for the stream paths the stream lister views and deletes: which record names may be
// deleted at all, and the path a stream is opened by. Portable: texts are UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace tessel::core {

// True for the name of an alternate data stream as the system's backup data gives it:
// ":" + a non-empty name without "\", "/", ":" or NUL + ":$DATA". Anything else (an empty name,
// which would name the file itself, or "\..\x", which would name another file) is refused.
bool IsAlternateStreamName(std::u16string_view name);

// The path a program opens or deletes a stream by. An alternate data stream is named by the file's
// path, a colon and the stream's own name ("C:\x\a.txt:abc" for ":abc:$DATA"): the same stream as
// the full name on NTFS, and the form every program understands, Wine included, where a stream a
// Windows program wrote is the file "a.txt:abc" beside a.txt. Any other name is appended as it is.
std::u16string StreamPath(std::u16string_view path, std::u16string_view name);

}  // namespace tessel::core
