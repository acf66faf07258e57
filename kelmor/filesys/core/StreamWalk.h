// The walk over the backup data of one file: one call of the sink per stream header, each
// stream's data skipped, never read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "filesys/core/BackupFormat.h"

namespace kelmor::core {

// Where the walk reads backup data from: the platform's backup reading of an open file, a
// stand-in for it, or bytes made by a test. The walk does not know which.
class BackupSource {
public:
    virtual ~BackupSource() = default;
    // Reads up to into.size() bytes at the current position; `read` receives the count (0 at
    // the end of the data). False when the read failed.
    virtual bool Read(std::span<std::byte> into, std::size_t& read) = 0;
    // Skips up to `count` bytes of the data of the current stream, never past its end; the
    // count of bytes it moved.
    virtual std::uint64_t Seek(std::uint64_t count) = 0;
    // Ends the reading: frees what the source kept between calls. Called once, last.
    virtual void Release() = 0;
};

// Receives each header with exactly the name bytes that followed it (a view of the walk's name
// buffer, valid during the call). False when the record could not be made: the walk stops.
using StreamSink = std::function<bool(const StreamHeader& header, std::span<const std::byte> name)>;

enum class WalkEnd {
    Normal,        // the data ended where a header would begin
    ReadFailed,    // a read failed, or a header, name or stream's data ended early
    RecordFailed,  // the sink refused a record
};

// Walks the backup data of `source` to its end:
//  - the 20-byte header buffer is cleared before each read; a header read that gives 0 bytes
//    is the normal end of the data; a failed read or a header cut short is a failed walk (a
//    locked region, an I/O error, a file the platform cannot read whole): the records made
//    so far are not the file's whole list;
//  - the name (the header's name size in bytes) is read into a buffer of 524 bytes, reused for
//    every stream; a failed or short name read fails the walk, so a record never carries bytes
//    that were not read for it;
//  - a name size larger than the buffer does not occur in the platform's data: such a header
//    fails the walk (nothing is written beyond the buffer, and data whose headers are no
//    longer trustworthy are not read further);
//  - each stream's data is skipped with one Seek of its declared size, so a walk costs the
//    same whatever the streams' sizes; a skip that moves less than that size would make the
//    next header read come from the stream's data: it fails the walk.
// The source is released at the end, whatever the end (an exception from the sink included).
WalkEnd WalkBackupStreams(BackupSource& source, const StreamSink& sink);

}  // namespace kelmor::core
