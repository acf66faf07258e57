// The walk over backup data: one record per header in order, names read whole into the fixed
// buffer, data skipped by its declared size, and every way the data can end.
#include <gtest/gtest.h>

#include <stdexcept>
#include <initializer_list>
#include <utility>

#include "CraftedBackup.h"
#include "filesys/core/StreamRecord.h"

namespace {

using namespace kelmor::core;
using kelmor::test::AlternateName;
using kelmor::test::ByteSource;
using kelmor::test::CraftedBackup;
using kelmor::test::Filler;
using kelmor::test::ImageSource;
using kelmor::test::Repeat;

struct Seen {
    StreamHeader header;
    std::u16string name;
};

struct Walked {
    WalkEnd end;
    std::vector<Seen> records;
};

Walked Walk(BackupSource& source) {
    Walked w;
    w.end = WalkBackupStreams(source, [&](const StreamHeader& h, std::span<const std::byte> name) {
        EXPECT_EQ(h.nameSize, name.size());
        w.records.push_back({h, StreamName(h, name)});
        return true;
    });
    return w;
}

TEST(StreamWalk, OneRecordPerHeaderInOrderWithEachStreamsDataSkipped) {
    CraftedBackup data;
    data.Stream(kBackupSecurityData, kStreamContainsSecurity, u"", Filler(60))
        .Stream(kBackupData, 0, u"", Filler(11))
        .Stream(kBackupAlternateData, 0, AlternateName(u"abc"), Filler(5));
    ByteSource source(data.bytes());
    const Walked w = Walk(source);

    EXPECT_EQ(WalkEnd::Normal, w.end);
    ASSERT_EQ(3u, w.records.size());
    EXPECT_EQ(kBackupSecurityData, w.records[0].header.streamId);
    EXPECT_EQ(kStreamContainsSecurity, w.records[0].header.attributes);
    EXPECT_EQ(u"", w.records[0].name);
    EXPECT_EQ(kBackupData, w.records[1].header.streamId);
    EXPECT_EQ(11u, w.records[1].header.size);
    EXPECT_EQ(u"::$DATA", w.records[1].name);
    EXPECT_EQ(kBackupAlternateData, w.records[2].header.streamId);
    EXPECT_EQ(u":abc:$DATA", w.records[2].name);
    EXPECT_EQ((std::vector<std::uint64_t>{60, 11, 5}), source.seeks);
    EXPECT_EQ(1, source.releases);
    EXPECT_EQ(data.bytes().size(), source.position);
}

TEST(StreamWalk, NoHeaderAtAllIsANormalEndWithoutRecords) {
    ByteSource source({});
    const Walked w = Walk(source);
    EXPECT_EQ(WalkEnd::Normal, w.end);
    EXPECT_TRUE(w.records.empty());
    EXPECT_EQ(1, source.releases);
}

TEST(StreamWalk, DataThatEndEarlyOrFailingReadsFailTheWalkAfterTheRecordsSoFar) {
    // A header cut short after the first stream.
    {
        CraftedBackup data;
        data.Stream(kBackupData, 0, u"", Filler(8)).Header(kBackupAlternateData, 0, 4, 20).Cut(10);
        ByteSource source(data.bytes());
        const Walked w = Walk(source);
        EXPECT_EQ(WalkEnd::ReadFailed, w.end);
        ASSERT_EQ(1u, w.records.size());
        EXPECT_EQ(u"::$DATA", w.records[0].name);
        EXPECT_EQ(1, source.releases);
    }
    // A whole header whose name is cut short: no record with a partial name.
    {
        CraftedBackup data;
        data.Stream(kBackupData, 0, u"", Filler(8))
            .Stream(kBackupAlternateData, 0, AlternateName(u"abcdef"))
            .Cut(6);
        ByteSource source(data.bytes());
        const Walked w = Walk(source);
        EXPECT_EQ(WalkEnd::ReadFailed, w.end);
        EXPECT_EQ(1u, w.records.size());
    }
    // A failing read: reads alternate header, name, header, name, ...; the read after the last
    // name finds the end (0 bytes), which is the one normal end.
    for (const auto& [failing, records] :
         std::initializer_list<std::pair<int, int>>{{1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 2}, {6, 2}, {7, 3}}) {
        CraftedBackup data;
        data.Stream(kBackupAlternateData, 0, AlternateName(u"one"))
            .Stream(kBackupAlternateData, 0, AlternateName(u"two"))
            .Stream(kBackupAlternateData, 0, AlternateName(u"three"));
        ByteSource source(data.bytes(), failing);
        const Walked w = Walk(source);
        EXPECT_EQ(WalkEnd::ReadFailed, w.end) << failing;
        EXPECT_EQ(static_cast<std::size_t>(records), w.records.size()) << failing;
        EXPECT_EQ(1, source.releases) << failing;
    }
    // Data declared longer than what is there: the skip stops short, and a header read after
    // it would come from the stream's data.
    {
        CraftedBackup data;
        data.Stream(kBackupData, 0, u"", Filler(3), 1000).Stream(kBackupAlternateData, 0, AlternateName(u"x"));
        ByteSource source(data.bytes());
        const Walked w = Walk(source);
        EXPECT_EQ(WalkEnd::ReadFailed, w.end);
        ASSERT_EQ(1u, w.records.size());
        EXPECT_EQ(1000u, w.records[0].header.size);
    }
    // A zero-size stream moves nothing and is no short skip.
    {
        CraftedBackup data;
        data.Stream(kBackupAlternateData, 0, AlternateName(u"empty")).Stream(kBackupData, 0, u"", Filler(2));
        ByteSource source(data.bytes());
        const Walked w = Walk(source);
        EXPECT_EQ(WalkEnd::Normal, w.end);
        EXPECT_EQ(2u, w.records.size());
    }
}

TEST(StreamWalk, LargeDeclaredSizesArriveWholeAndAreSkippedInOneStep) {
    BackupImage image;
    const std::uint64_t sizes[] = {1ull << 32, 1ull << 53, (1ull << 53) + 1, ~0ull};
    int reads = 0;
    for (std::uint64_t size : sizes) {
        image.AddStream(kBackupData, 0, u"", size, [&](std::uint64_t, std::span<std::byte>) {
            ++reads;
            return false;
        });
    }
    ImageSource source(image);
    const Walked w = Walk(source);
    ASSERT_EQ(4u, w.records.size());
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(sizes[i], w.records[i].header.size) << i;
    EXPECT_EQ(0, reads) << "the walk read stream data instead of skipping it";
    EXPECT_EQ(1, source.releases);
}

TEST(StreamWalk, NamesAreReadWholeAndEachRecordHoldsExactlyItsOwn) {
    // The longest name NTFS reports fills the 524-byte buffer exactly.
    const std::u16string longest = AlternateName(Repeat(u'x', 255));
    ASSERT_EQ(kStreamNameUnits, longest.size());
    const std::u16string of250 = AlternateName(Repeat(u'a', 250));
    const std::u16string of200 = AlternateName(Repeat(u'b', 200));
    CraftedBackup data;
    data.Stream(kBackupAlternateData, 0, longest, Filler(3))
        .Stream(kBackupAlternateData, 0, of250, Filler(2))
        .Stream(kBackupAlternateData, 0, of200, Filler(1));
    ByteSource source(data.bytes());
    const Walked w = Walk(source);
    ASSERT_EQ(3u, w.records.size());
    EXPECT_EQ(longest, w.records[0].name);
    EXPECT_EQ(of250, w.records[1].name);
    EXPECT_EQ(of200, w.records[2].name);
    EXPECT_EQ(Repeat(u'b', 200), StreamShortName(w.records[2].name));
}

TEST(StreamWalk, AnOddNameSizeStillKeepsTheStreamsApart) {
    CraftedBackup data;
    const std::byte name[] = {std::byte{'a'}, std::byte{0}, std::byte{'b'}, std::byte{0}, std::byte{'c'}};
    data.Header(kBackupAlternateData, 0, 2, 5).Bytes(name).Bytes(Filler(2)).Stream(kBackupData, 0, u"");
    ByteSource source(data.bytes());
    const Walked w = Walk(source);
    ASSERT_EQ(2u, w.records.size());
    EXPECT_EQ(u"ab", w.records[0].name);  // the odd last byte makes no code unit
    EXPECT_EQ(u"::$DATA", w.records[1].name);
}

TEST(StreamWalk, ANameLargerThanTheBufferFailsTheWalkWithoutReadingIt) {
    for (std::uint32_t nameSize : {static_cast<std::uint32_t>(kStreamNameBytes + 2), 0x10000u, 0xFFFFFFFFu}) {
        CraftedBackup data;
        data.Stream(kBackupData, 0, u"", Filler(4))
            .Header(kBackupAlternateData, 0, 0, nameSize)
            .Bytes(Filler(600, 'z'));
        data.Stream(kBackupAlternateData, 0, AlternateName(u"after"));
        ByteSource source(data.bytes());
        const Walked w = Walk(source);
        EXPECT_EQ(WalkEnd::ReadFailed, w.end) << nameSize;
        ASSERT_EQ(1u, w.records.size()) << nameSize;
        EXPECT_EQ(u"::$DATA", w.records[0].name);
        // Nothing of the name was read: the walk stopped right after its header.
        EXPECT_EQ(kStreamHeaderSize + 4 + kStreamHeaderSize, source.position) << nameSize;
        EXPECT_EQ(1, source.releases);
    }
}

TEST(StreamWalk, ARefusedRecordStopsTheWalkAndReleasesTheSource) {
    CraftedBackup data;
    data.Stream(kBackupData, 0, u"", Filler(4))
        .Stream(kBackupAlternateData, 0, AlternateName(u"x"), Filler(4))
        .Stream(kBackupAlternateData, 0, AlternateName(u"y"), Filler(4));
    ByteSource source(data.bytes());
    int calls = 0;
    const WalkEnd end = WalkBackupStreams(
        source, [&](const StreamHeader&, std::span<const std::byte>) { return ++calls < 2; });
    EXPECT_EQ(WalkEnd::RecordFailed, end);
    EXPECT_EQ(2, calls);
    EXPECT_EQ((std::vector<std::uint64_t>{4}), source.seeks) << "the refused stream's data were skipped";
    EXPECT_EQ(1, source.releases);

    ByteSource throwing(data.bytes());
    EXPECT_THROW(WalkBackupStreams(throwing,
                                   [](const StreamHeader&, std::span<const std::byte>) -> bool {
                                       throw std::runtime_error("no record");
                                   }),
                 std::runtime_error);
    EXPECT_EQ(1, throwing.releases);
}

}  // namespace
