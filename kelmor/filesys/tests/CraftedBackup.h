// Backup data made by tests: bytes in the platform's layout, built stream by stream, and
// sources that serve them to the walk while counting what the walk asked for.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "filesys/core/BackupFormat.h"
#include "filesys/core/BackupImage.h"
#include "filesys/core/StreamWalk.h"

namespace kelmor::test {

inline std::u16string Repeat(char16_t c, std::size_t n) {
    return std::u16string(n, c);
}

// ":" + name + ":$DATA", the full name of an alternate data stream.
inline std::u16string AlternateName(std::u16string_view name) {
    return u":" + std::u16string(name) + u":$DATA";
}

inline std::vector<std::byte> Filler(std::size_t n, unsigned char value = 0xA5) {
    return std::vector<std::byte>(n, static_cast<std::byte>(value));
}

// Flat backup data: each stream's header, name and data, one after the other.
class CraftedBackup {
public:
    // A whole stream; the header's size is the data's size unless `declaredSize` says more (the
    // data then end early, as in cut-off backup data).
    CraftedBackup& Stream(std::uint32_t id, std::uint32_t attributes, std::u16string_view name,
                          std::vector<std::byte> data = {}, std::uint64_t declaredSize = 0) {
        const std::uint64_t size = std::max<std::uint64_t>(declaredSize, data.size());
        Append(core::EncodeStreamPrefix(id, attributes, size, name));
        Append(data);
        return *this;
    }
    // A bare header with any name size (its name bytes, if any, are added with Bytes).
    CraftedBackup& Header(std::uint32_t id, std::uint32_t attributes, std::uint64_t size,
                          std::uint32_t nameSize) {
        const core::StreamHeaderBytes h = core::EncodeStreamHeader({id, attributes, size, nameSize});
        bytes_.insert(bytes_.end(), h.begin(), h.end());
        return *this;
    }
    CraftedBackup& Bytes(std::span<const std::byte> more) {
        Append(more);
        return *this;
    }
    // Drops the last `n` bytes (cuts the data short).
    CraftedBackup& Cut(std::size_t n) {
        bytes_.resize(bytes_.size() - std::min(n, bytes_.size()));
        return *this;
    }
    const std::vector<std::byte>& bytes() const { return bytes_; }

private:
    void Append(std::span<const std::byte> more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); }
    std::vector<std::byte> bytes_;
};

// A source over flat bytes: reads on, skips forward but never past the end. Counts releases,
// remembers every skip asked for, and can fail its n-th read (1-based; 0 never).
class ByteSource final : public core::BackupSource {
public:
    explicit ByteSource(std::span<const std::byte> bytes, int failingRead = 0)
        : bytes_(bytes), failingRead_(failingRead) {}

    bool Read(std::span<std::byte> into, std::size_t& read) override {
        read = 0;
        if (++reads == failingRead_) return false;
        read = std::min(into.size(), bytes_.size() - position);
        if (read) std::memcpy(into.data(), bytes_.data() + position, read);
        position += read;
        return true;
    }
    std::uint64_t Seek(std::uint64_t count) override {
        seeks.push_back(count);
        const auto moved = static_cast<std::size_t>(std::min<std::uint64_t>(count, bytes_.size() - position));
        position += moved;
        return moved;
    }
    void Release() override { ++releases; }

    int reads = 0;
    int releases = 0;
    std::size_t position = 0;
    std::vector<std::uint64_t> seeks;

private:
    std::span<const std::byte> bytes_;
    int failingRead_;
};

// A source over a backup image (streams whose data need not exist).
class ImageSource final : public core::BackupSource {
public:
    explicit ImageSource(core::BackupImage& image) : image_(image) {}
    bool Read(std::span<std::byte> into, std::size_t& read) override { return image_.Read(into, read); }
    std::uint64_t Seek(std::uint64_t count) override { return image_.Seek(count); }
    void Release() override { ++releases; }
    int releases = 0;

private:
    core::BackupImage& image_;
};

}  // namespace kelmor::test
