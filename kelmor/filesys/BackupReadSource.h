// The backup data of an open file or directory as the platform's BackupRead and BackupSeek
// deliver them. A platform that does not offer backup reading (it answers the first header
// read "not supported") gets the stand-in's data instead, which has the same layout: the walk
// over this source never learns which of the two it read.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "filesys/core/StreamWalk.h"

namespace kelmor {

// A pair of functions shaped like BackupRead and BackupSeek.
struct BackupFunctions {
    BOOL(WINAPI* read)
    (HANDLE file, LPBYTE buffer, DWORD bytesToRead, LPDWORD bytesRead, BOOL abort, BOOL processSecurity,
     LPVOID* context);
    BOOL(WINAPI* seek)
    (HANDLE file, DWORD lowBytesToSeek, DWORD highBytesToSeek, LPDWORD lowBytesSeeked,
     LPDWORD highBytesSeeked, LPVOID* context);
};

// The platform's own BackupRead and BackupSeek.
const BackupFunctions& PlatformBackup();

class BackupReadSource final : public core::BackupSource {
public:
    // `file` stays the caller's: it must stay open until Release.
    BackupReadSource(HANDLE file, bool processSecurity, const BackupFunctions& platform = PlatformBackup());
    BackupReadSource(const BackupReadSource&) = delete;
    BackupReadSource& operator=(const BackupReadSource&) = delete;

    bool Read(std::span<std::byte> into, std::size_t& read) override;
    std::uint64_t Seek(std::uint64_t count) override;
    void Release() override;

    // True once the platform said it cannot read backup data and the stand-in took over.
    bool UsesStandIn() const { return standIn_; }

private:
    HANDLE file_;
    BOOL processSecurity_;
    const BackupFunctions* functions_;
    LPVOID context_ = nullptr;  // kept by the functions between calls; freed by the abort call
    bool started_ = false;
    bool standIn_ = false;
};

}  // namespace kelmor
