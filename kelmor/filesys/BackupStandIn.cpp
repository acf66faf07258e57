#include "BackupStandIn.h"

#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "Owners.h"
#include "filesys/core/BackupImage.h"

namespace kelmor {
namespace {

using core::BackupImage;

// NtQueryInformationFile's class for the list of a file's data streams, and the answers that
// ask for a larger buffer.
constexpr ULONG kFileStreamInformation = 22;
constexpr NTSTATUS kStatusBufferOverflow = static_cast<NTSTATUS>(0x80000005L);
constexpr NTSTATUS kStatusInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
constexpr NTSTATUS kStatusBufferTooSmall = static_cast<NTSTATUS>(0xC0000023L);
// Layout of one FILE_STREAM_INFORMATION entry: next-entry offset, name length in bytes,
// stream size, allocation size, then the name.
constexpr size_t kStreamEntryNameOffset = 24;

using QueryInformationFileFn = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);
using OpenFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, ULONG, ULONG);
using StatusToErrorFn = ULONG(NTAPI*)(NTSTATUS);

template <class Fn>
Fn NtFunction(const char* name) {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(ntdll, name))) : nullptr;
}

// Fills `into` from `offset` of an open file; false, with the last error set, when the file
// has fewer bytes there (it shrank since the reading began) or cannot be read.
bool ReadAt(HANDLE file, std::uint64_t offset, std::span<std::byte> into) {
    while (!into.empty()) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(into.size(), 1u << 20));
        DWORD got = 0;
        if (!ReadFile(file, into.data(), ask, &got, &at)) return false;
        if (got == 0) {
            SetLastError(ERROR_HANDLE_EOF);
            return false;
        }
        into = into.subspan(got);
        offset += got;
    }
    return true;
}

// Data of a named stream of the open file, opened relative to it by its listed name.
bool ReadNamedStream(HANDLE file, const std::u16string& name, std::uint64_t offset,
                     std::span<std::byte> into) {
    static const auto open = NtFunction<OpenFileFn>("NtOpenFile");
    if (!open || name.size() > 0x7FFF) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return false;
    }
    UNICODE_STRING path;
    path.Buffer = const_cast<PWSTR>(reinterpret_cast<const wchar_t*>(name.data()));
    path.Length = path.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes{};
    attributes.Length = sizeof attributes;
    attributes.RootDirectory = file;
    attributes.ObjectName = &path;
    attributes.Attributes = OBJ_CASE_INSENSITIVE;
    HANDLE stream = nullptr;
    IO_STATUS_BLOCK io{};
    const NTSTATUS status = open(&stream, FILE_READ_DATA | SYNCHRONIZE, &attributes, &io,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 FILE_SYNCHRONOUS_IO_NONALERT | FILE_NON_DIRECTORY_FILE);
    if (status < 0) {
        static const auto toError = NtFunction<StatusToErrorFn>("RtlNtStatusToDosError");
        SetLastError(toError ? toError(status) : ERROR_OPEN_FAILED);
        return false;
    }
    UniqueHandle owner(stream);
    return ReadAt(stream, offset, into);
}

// The security descriptor of the open file (owner, group, DACL), self-relative.
bool ReadSecurity(HANDLE file, std::vector<std::byte>& descriptor) {
    const SECURITY_INFORMATION what =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    descriptor.clear();
    for (;;) {
        DWORD need = 0;
        if (GetKernelObjectSecurity(file, what, descriptor.empty() ? nullptr : descriptor.data(),
                                    static_cast<DWORD>(descriptor.size()), &need))
            break;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || need <= descriptor.size()) return false;
        descriptor.resize(need);
    }
    if (descriptor.empty()) return false;
    descriptor.resize(std::min<size_t>(descriptor.size(), GetSecurityDescriptorLength(descriptor.data())));
    return true;
}

struct ListedStream {
    std::u16string name;
    std::uint64_t size = 0;
};

// The data streams the platform lists for the open file; nothing where it cannot list them.
std::optional<std::vector<ListedStream>> ListStreams(HANDLE file) {
    static const auto query = NtFunction<QueryInformationFileFn>("NtQueryInformationFile");
    if (!query) return std::nullopt;
    // 8-byte aligned, as the entries' 64-bit sizes need.
    std::vector<std::uint64_t> buffer(512);
    IO_STATUS_BLOCK io{};
    NTSTATUS status;
    for (;;) {
        status =
            query(file, &io, buffer.data(), static_cast<ULONG>(buffer.size() * 8), kFileStreamInformation);
        if (status != kStatusBufferOverflow && status != kStatusBufferTooSmall &&
            status != kStatusInfoLengthMismatch)
            break;
        if (buffer.size() >= (64u << 20) / 8) return std::vector<ListedStream>{};
        buffer.resize(buffer.size() * 2);
    }
    if (status < 0) return std::nullopt;

    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    const size_t valid = std::min<size_t>(io.Information, buffer.size() * 8);
    std::vector<ListedStream> streams;
    for (size_t at = 0;;) {
        if (valid < kStreamEntryNameOffset || at > valid - kStreamEntryNameOffset) break;
        ULONG next = 0, nameBytes = 0;
        LONGLONG size = 0;
        memcpy(&next, bytes + at, 4);
        memcpy(&nameBytes, bytes + at + 4, 4);
        memcpy(&size, bytes + at + 8, 8);
        if (nameBytes > valid - at - kStreamEntryNameOffset) break;
        ListedStream s;
        s.name.resize(nameBytes / 2);
        memcpy(s.name.data(), bytes + at + kStreamEntryNameOffset, s.name.size() * 2);
        s.size = static_cast<std::uint64_t>(size);
        streams.push_back(std::move(s));
        // The next entry must start inside the data with room for its fixed part; one that points
        // elsewhere ends the list. The offset is checked against what is left rather than added
        // first: on malformed data the sum could wrap around in a 32-bit build.
        if (next == 0 || next > valid - at - kStreamEntryNameOffset) break;
        at += next;
    }
    return streams;
}

// Where the platform cannot list streams (Wine), a program that wrote "C:\x\a.txt:name" made an
// ordinary file named "a.txt:name" beside a.txt (and "x:name" beside a folder x). Those siblings are
// the streams such programs wrote: each is reported as the named stream ":name:$DATA" with the
// sibling's size, in the order of their names, and read from the sibling.
struct SiblingStream {
    ListedStream listed;
    std::wstring path;
};

std::vector<SiblingStream> SiblingStreams(HANDLE file) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()),
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(n);
    }
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash + 1 == path.size()) return {};  // a volume's root
    const std::wstring prefix = path.substr(slash + 1) + L":";
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW((path + L":*").c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::vector<SiblingStream> streams;
    do {
        const std::wstring sibling = found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || sibling.size() <= prefix.size() ||
            CompareStringOrdinal(sibling.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                 static_cast<int>(prefix.size()), TRUE) != CSTR_EQUAL)
            continue;
        // "a.txt:name:$DATA" names the same stream as "a.txt:name"; any other colon does not name one.
        std::wstring name = sibling.substr(prefix.size());
        const size_t colon = name.find(L':');
        if (colon != std::wstring::npos) {
            if (CompareStringOrdinal(name.c_str() + colon, -1, L":$DATA", -1, TRUE) != CSTR_EQUAL) continue;
            name.resize(colon);
        }
        if (name.empty()) continue;
        SiblingStream s;
        s.listed.name = u":" + std::u16string(name.begin(), name.end()) + u":$DATA";
        s.listed.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        s.path = path.substr(0, slash + 1) + sibling;
        streams.push_back(std::move(s));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(streams.begin(), streams.end(), [](const SiblingStream& a, const SiblingStream& b) {
        const auto* x = reinterpret_cast<const wchar_t*>(a.listed.name.c_str());
        const auto* y = reinterpret_cast<const wchar_t*>(b.listed.name.c_str());
        const int order = CompareStringOrdinal(x, -1, y, -1, TRUE);
        return order == CSTR_LESS_THAN || (order == CSTR_EQUAL && a.listed.name < b.listed.name);
    });
    return streams;
}

// Data of a sibling that stands for a stream.
bool ReadSibling(const std::wstring& path, std::uint64_t offset, std::span<std::byte> into) {
    const HANDLE sibling = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    if (sibling == INVALID_HANDLE_VALUE) return false;
    UniqueHandle owner(sibling);
    return ReadAt(sibling, offset, into);
}

// Takes stock of the open file: the streams the platform's backup reading would report.
DWORD TakeStock(HANDLE file, BOOL processSecurity, std::unique_ptr<BackupImage>& image) {
    // Only the kind and the size: the standard information is one cheap query, where the whole
    // handle information also gathers the volume's serial number and the file's index.
    FILE_STANDARD_INFO info{};
    if (!GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info)) return GetLastError();
    auto made = std::make_unique<BackupImage>();
    if (processSecurity) {
        std::vector<std::byte> descriptor;
        if (!ReadSecurity(file, descriptor)) return GetLastError();
        made->AddStream(core::kBackupSecurityData, core::kStreamContainsSecurity, u"", std::move(descriptor));
    }
    if (!info.Directory) {
        const auto size = static_cast<std::uint64_t>(info.EndOfFile.QuadPart);
        made->AddStream(
            core::kBackupData, 0, u"", size,
            [file](std::uint64_t offset, std::span<std::byte> into) { return ReadAt(file, offset, into); });
    }
    if (auto listed = ListStreams(file)) {
        for (ListedStream& s : *listed) {
            if (s.name == u"::$DATA") continue;  // the unnamed data stream, reported above
            const std::u16string name = s.name;
            made->AddStream(core::kBackupAlternateData, 0, s.name, s.size,
                            [file, name](std::uint64_t offset, std::span<std::byte> into) {
                                return ReadNamedStream(file, name, offset, into);
                            });
        }
    } else {
        for (SiblingStream& s : SiblingStreams(file)) {
            made->AddStream(core::kBackupAlternateData, 0, s.listed.name, s.listed.size,
                            [path = std::move(s.path)](std::uint64_t offset, std::span<std::byte> into) {
                                return ReadSibling(path, offset, into);
                            });
        }
    }
    image = std::move(made);
    return ERROR_SUCCESS;
}

BOOL Failed(DWORD error) {
    SetLastError(error ? error : ERROR_READ_FAULT);
    return FALSE;
}

}  // namespace

BOOL WINAPI BackupStandIn::Read(HANDLE file, LPBYTE buffer, DWORD bytesToRead, LPDWORD bytesRead, BOOL abort,
                                BOOL processSecurity, LPVOID* context) {
    if (bytesRead) *bytesRead = 0;
    if (!context) return Failed(ERROR_INVALID_PARAMETER);
    auto* image = static_cast<BackupImage*>(*context);
    if (abort) {
        delete image;
        *context = nullptr;
        return TRUE;
    }
    if (!bytesRead || (bytesToRead && !buffer)) return Failed(ERROR_INVALID_PARAMETER);
    try {
        if (!image) {
            std::unique_ptr<BackupImage> made;
            if (const DWORD error = TakeStock(file, processSecurity, made)) return Failed(error);
            image = made.release();
            *context = image;
        }
        size_t read = 0;
        const bool ok = image->Read(std::span(reinterpret_cast<std::byte*>(buffer), bytesToRead), read);
        *bytesRead = static_cast<DWORD>(read);
        return ok ? TRUE : Failed(GetLastError());
    } catch (const std::bad_alloc&) {
        return Failed(ERROR_NOT_ENOUGH_MEMORY);
    } catch (...) {
        return Failed(ERROR_INTERNAL_ERROR);
    }
}

BOOL WINAPI BackupStandIn::Seek(HANDLE, DWORD lowBytesToSeek, DWORD highBytesToSeek, LPDWORD lowBytesSeeked,
                                LPDWORD highBytesSeeked, LPVOID* context) {
    if (lowBytesSeeked) *lowBytesSeeked = 0;
    if (highBytesSeeked) *highBytesSeeked = 0;
    auto* image = context ? static_cast<BackupImage*>(*context) : nullptr;
    if (!image) return Failed(ERROR_INVALID_PARAMETER);
    const std::uint64_t count = (static_cast<std::uint64_t>(highBytesToSeek) << 32) | lowBytesToSeek;
    const std::uint64_t moved = image->Seek(count);
    if (lowBytesSeeked) *lowBytesSeeked = static_cast<DWORD>(moved & 0xFFFFFFFFu);
    if (highBytesSeeked) *highBytesSeeked = static_cast<DWORD>(moved >> 32);
    return moved == count ? TRUE : Failed(ERROR_SEEK);
}

const BackupFunctions& BackupStandIn::Functions() {
    static const BackupFunctions standIn{&BackupStandIn::Read, &BackupStandIn::Seek};
    return standIn;
}

}  // namespace kelmor
