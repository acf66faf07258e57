#include "filesys/core/BackupImage.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kelmor::core {

void BackupImage::AddStream(std::uint32_t streamId, std::uint32_t attributes, std::u16string_view name,
                            std::vector<std::byte> content) {
    Stream s;
    s.prefix = EncodeStreamPrefix(streamId, attributes, content.size(), name);
    s.size = content.size();
    s.content = std::move(content);
    streams_.push_back(std::move(s));
}

void BackupImage::AddStream(std::uint32_t streamId, std::uint32_t attributes, std::u16string_view name,
                            std::uint64_t size, ContentReader content) {
    Stream s;
    s.prefix = EncodeStreamPrefix(streamId, attributes, size, name);
    s.size = size;
    s.reader = std::move(content);
    streams_.push_back(std::move(s));
}

void BackupImage::NextStreamIfDone() {
    while (current_ < streams_.size() && prefixAt_ == streams_[current_].prefix.size() &&
           dataAt_ == streams_[current_].size) {
        ++current_;
        prefixAt_ = 0;
        dataAt_ = 0;
    }
}

bool BackupImage::Read(std::span<std::byte> into, std::size_t& read) {
    read = 0;
    NextStreamIfDone();
    while (read < into.size() && current_ < streams_.size()) {
        const Stream& s = streams_[current_];
        const std::span<std::byte> rest = into.subspan(read);
        std::size_t n = 0;
        if (prefixAt_ < s.prefix.size()) {
            n = std::min(s.prefix.size() - prefixAt_, rest.size());
            std::memcpy(rest.data(), s.prefix.data() + prefixAt_, n);
            prefixAt_ += n;
        } else {
            n = static_cast<std::size_t>(std::min<std::uint64_t>(s.size - dataAt_, rest.size()));
            if (s.reader) {
                if (!s.reader(dataAt_, rest.first(n))) return false;
            } else {
                std::memcpy(rest.data(), s.content.data() + dataAt_, n);
            }
            dataAt_ += n;
        }
        read += n;
        NextStreamIfDone();
    }
    return true;
}

std::uint64_t BackupImage::Seek(std::uint64_t count) {
    NextStreamIfDone();
    if (current_ >= streams_.size()) return 0;
    const Stream& s = streams_[current_];
    if (prefixAt_ < s.prefix.size()) return 0;
    const std::uint64_t moved = std::min(count, s.size - dataAt_);
    dataAt_ += moved;
    return moved;
}

}  // namespace kelmor::core
