#include "PictureFile.h"

#include <algorithm>
#include <atomic>

#include "Owners.h"

namespace kelmor {
namespace {

std::atomic<std::uint64_t> g_serial{0};

}  // namespace

PictureFile::PictureFile(std::wstring name) : name_(std::move(name)), serial_(++g_serial) {}

PictureFile::~PictureFile() {
    if (!memory_) return;
    if (bytes_) GlobalUnlock(memory_);
    GlobalFree(memory_);
}

std::span<const std::uint8_t> PictureFile::Bytes() const {
    Read();
    return {bytes_, length_};
}

HGLOBAL PictureFile::Global() const {
    Read();
    return length_ ? memory_ : nullptr;
}

void PictureFile::Read() const {
    if (read_) return;
    read_ = true;
    // A name with a NUL inside would name a shorter path to the system.
    if (name_.empty() || name_.find(L'\0') != std::wstring::npos) return;
    const HANDLE raw = CreateFileW(name_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (raw == INVALID_HANDLE_VALUE) return;
    UniqueHandle file(raw);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) return;
    if (static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX / 2) return;
    const auto wanted = static_cast<std::size_t>(size.QuadPart);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, wanted);
    if (!memory) return;
    auto* bytes = static_cast<std::uint8_t*>(GlobalLock(memory));
    if (!bytes) {
        GlobalFree(memory);
        return;
    }
    std::size_t total = 0;
    bool failed = false;
    while (total < wanted) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wanted - total, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes + total, chunk, &got, nullptr)) {
            failed = true;
            break;
        }
        if (got == 0) break;  // the file became shorter meanwhile
        total += got;
    }
    if (failed || total == 0) {
        GlobalUnlock(memory);
        GlobalFree(memory);
        return;
    }
    if (total < wanted) {
        // Only the bytes read: the loader's stream takes its length from the memory's size.
        GlobalUnlock(memory);
        HGLOBAL shorter = GlobalReAlloc(memory, total, GMEM_MOVEABLE);
        if (shorter) memory = shorter;
        bytes = static_cast<std::uint8_t*>(GlobalLock(memory));
        if (!bytes) {
            GlobalFree(memory);
            return;
        }
    }
    memory_ = memory;
    bytes_ = bytes;
    length_ = total;
}

}  // namespace kelmor
