// Any bytes as backup data. The walk must stay inside its buffers (ASan watches), hand each
// record exactly its header's name bytes, release the source once, and the records it found
// must come back the same when written out again as backup data and walked once more.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "CraftedBackup.h"
#include "filesys/core/StreamRecord.h"

namespace {

using namespace kelmor::core;

struct Found {
    StreamHeader header;
    std::u16string name;
};

std::vector<Found> WalkAll(BackupSource& source) {
    std::vector<Found> found;
    WalkBackupStreams(source, [&](const StreamHeader& h, std::span<const std::byte> name) {
        if (name.size() != h.nameSize || name.size() > kStreamNameBytes) std::abort();
        std::u16string full = StreamName(h, name);
        if (StreamShortName(full).size() > full.size()) std::abort();
        found.push_back({h, std::move(full)});
        return true;
    });
    return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
    kelmor::test::ByteSource source(bytes);
    const std::vector<Found> found = WalkAll(source);
    if (source.releases != 1 || source.position > size) std::abort();

    BackupImage image;
    for (const Found& f : found) {
        // Only the names the data gave; a record's own "::$DATA" is not a name of the data.
        const std::u16string name = f.header.nameSize ? f.name : std::u16string();
        image.AddStream(f.header.streamId, f.header.attributes, name, f.header.size,
                        [](std::uint64_t, std::span<std::byte>) -> bool { std::abort(); });
    }
    kelmor::test::ImageSource again(image);
    const std::vector<Found> second = WalkAll(again);
    if (second.size() != found.size()) std::abort();
    for (std::size_t i = 0; i < found.size(); ++i) {
        const StreamHeader& a = found[i].header;
        const StreamHeader& b = second[i].header;
        if (a.streamId != b.streamId || a.attributes != b.attributes || a.size != b.size) std::abort();
        // A single odd name byte makes an empty name that backup data cannot say again.
        const bool sayable = a.nameSize == 0 || !found[i].name.empty();
        if (sayable && found[i].name != second[i].name) std::abort();
    }
    return 0;
}
