#include "BackupReadSource.h"

#include <algorithm>

#include "BackupStandIn.h"

namespace kelmor {

const BackupFunctions& PlatformBackup() {
    static const BackupFunctions platform{&::BackupRead, &::BackupSeek};
    return platform;
}

BackupReadSource::BackupReadSource(HANDLE file, bool processSecurity, const BackupFunctions& platform)
    : file_(file), processSecurity_(processSecurity ? TRUE : FALSE), functions_(&platform) {}

bool BackupReadSource::Read(std::span<std::byte> into, std::size_t& read) {
    read = 0;
    const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(into.size(), MAXDWORD));
    auto* buffer = reinterpret_cast<LPBYTE>(into.data());
    DWORD got = 0;
    BOOL ok = functions_->read(file_, buffer, ask, &got, FALSE, processSecurity_, &context_);
    if (!ok && !started_) {
        // Only the very first read tells whether the platform can read backup data at all;
        // a failure later on is a failure of this reading.
        const DWORD error = GetLastError();
        if (error == ERROR_NOT_SUPPORTED || error == ERROR_CALL_NOT_IMPLEMENTED) {
            if (context_) functions_->read(file_, nullptr, 0, &got, TRUE, processSecurity_, &context_);
            context_ = nullptr;
            functions_ = &BackupStandIn::Functions();
            standIn_ = true;
            got = 0;
            ok = functions_->read(file_, buffer, ask, &got, FALSE, processSecurity_, &context_);
        }
    }
    started_ = true;
    if (!ok) return false;
    read = std::min<std::size_t>(got, into.size());
    return true;
}

std::uint64_t BackupReadSource::Seek(std::uint64_t count) {
    DWORD lowMoved = 0, highMoved = 0;
    // Stops at the end of the current stream. Its answer is FALSE whenever it moved less than
    // asked, for whatever reason; what counts is how far it moved, which the walk checks.
    functions_->seek(file_, static_cast<DWORD>(count & 0xFFFFFFFFu), static_cast<DWORD>(count >> 32), &lowMoved,
                     &highMoved, &context_);
    return (static_cast<std::uint64_t>(highMoved) << 32) | lowMoved;
}

void BackupReadSource::Release() {
    DWORD got = 0;
    functions_->read(file_, nullptr, 0, &got, TRUE, processSecurity_, &context_);
    context_ = nullptr;
}

}  // namespace kelmor
