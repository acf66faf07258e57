// Backup data made up from streams whose kinds, names and sizes are known, read and skipped
// the way the platform's backup reading reads and skips its own: bytes come on across stream
// boundaries, and a skip moves only through the data of the stream it starts in. The stand-in
// for platforms without backup reading serves a file's streams through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "filesys/core/BackupFormat.h"

namespace kelmor::core {

class BackupImage {
public:
    // Fills all of `into` with a stream's data from `offset`; false when that failed.
    using ContentReader = std::function<bool(std::uint64_t offset, std::span<std::byte> into)>;

    // A stream whose data the image holds.
    void AddStream(std::uint32_t streamId, std::uint32_t attributes, std::u16string_view name,
                   std::vector<std::byte> content);
    // A stream of `size` bytes whose data `content` reads when (and only when) they are read.
    void AddStream(std::uint32_t streamId, std::uint32_t attributes, std::u16string_view name,
                   std::uint64_t size, ContentReader content);

    // Reads up to into.size() bytes on from the current position; `read` is 0 at the end.
    // False when a stream's data could not be read (`read` then counts what came before).
    bool Read(std::span<std::byte> into, std::size_t& read);
    // Skips up to `count` bytes of the data of the stream the position is in, stopping at its
    // end; nothing moves while the position is in a header or a name. Returns the bytes moved.
    std::uint64_t Seek(std::uint64_t count);

    std::size_t StreamCount() const { return streams_.size(); }

private:
    struct Stream {
        std::vector<std::byte> prefix;  // header and name
        std::uint64_t size = 0;         // bytes of data
        std::vector<std::byte> content;
        ContentReader reader;  // set: the data are read through it
    };

    // Moves on to the next stream once the current one is passed.
    void NextStreamIfDone();

    std::vector<Stream> streams_;
    std::size_t current_ = 0;   // the stream the position is in
    std::size_t prefixAt_ = 0;  // position in its header and name
    std::uint64_t dataAt_ = 0;  // position in its data, once the prefix is passed
};

}  // namespace kelmor::core
