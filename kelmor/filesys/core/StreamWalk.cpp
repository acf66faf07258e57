#include "filesys/core/StreamWalk.h"

#include <array>

namespace kelmor::core {
namespace {

// Releases the source when the walk ends, however it ends.
class ReleaseAtEnd {
public:
    explicit ReleaseAtEnd(BackupSource& source) : source_(source) {}
    ~ReleaseAtEnd() { source_.Release(); }
    ReleaseAtEnd(const ReleaseAtEnd&) = delete;
    ReleaseAtEnd& operator=(const ReleaseAtEnd&) = delete;

private:
    BackupSource& source_;
};

}  // namespace

WalkEnd WalkBackupStreams(BackupSource& source, const StreamSink& sink) {
    ReleaseAtEnd release(source);
    StreamHeaderBytes header;
    std::array<std::byte, kStreamNameBytes> name;
    for (;;) {
        header.fill(std::byte{0});
        std::size_t read = 0;
        if (!source.Read(header, read)) return WalkEnd::ReadFailed;
        if (read == 0) return WalkEnd::Normal;
        if (read != header.size()) return WalkEnd::ReadFailed;
        const StreamHeader h = DecodeStreamHeader(header);

        if (h.nameSize > name.size()) return WalkEnd::ReadFailed;
        const std::span<std::byte> nameBytes = std::span(name).first(h.nameSize);
        if (!nameBytes.empty()) {
            read = 0;
            if (!source.Read(nameBytes, read) || read != nameBytes.size()) return WalkEnd::ReadFailed;
        }

        if (!sink(h, nameBytes)) return WalkEnd::RecordFailed;
        if (source.Seek(h.size) < h.size) return WalkEnd::ReadFailed;
    }
}

}  // namespace kelmor::core
