// Paths for the wide file functions of the platform. Without the extended-length prefix they
// refuse a path of MAX_PATH characters or more (a folder's path from 248 on), unless the program
// declares itself long-path aware; with it they take up to 32,767. Only the path handed to the
// system changes: callers keep and report the path as they were given it.
#pragma once

#include <string>
#include <string_view>

namespace kelmor {

// Paths shorter than this go to the system as they are (a folder's path must leave room for a
// file name of 8.3 form inside MAX_PATH).
constexpr std::size_t kLongPathFrom = 248;

// The extended-length form of a full path: "\\?\" before a drive path ("C:\x"), "\\?\UNC\" in
// place of the two backslashes of a network path ("\\server\share\x"); a path that already has a
// "\\?\" or "\\.\" prefix, and anything not full (relative, drive-relative, rooted without a
// drive), unchanged. Pure text work: the path must already be normalised (backslashes only, no
// "." or ".." parts), since the prefix turns the system's normalising off.
std::wstring ExtendedLengthForm(std::wstring_view fullPath);

// `path` as the wide file functions take it: unchanged when shorter than kLongPathFrom or when it
// holds a NUL; otherwise made full and normalised the way the system would do it
// (GetFullPathNameW, which takes long paths) and given the extended-length prefix.
std::wstring ForWideFileApi(const std::wstring& path);

}  // namespace kelmor
