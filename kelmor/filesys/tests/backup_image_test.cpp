// Made-up backup data served the way the platform serves its own: the exact layout, reads
// across stream boundaries, skips that stay inside one stream's data, data read only on demand.
#include <gtest/gtest.h>

#include "CraftedBackup.h"

namespace {

using namespace kelmor::core;
using kelmor::test::AlternateName;
using kelmor::test::CraftedBackup;
using kelmor::test::Filler;

std::vector<std::byte> ReadAll(BackupImage& image, std::size_t chunk) {
    std::vector<std::byte> out;
    std::vector<std::byte> buffer(chunk);
    for (;;) {
        std::size_t read = 0;
        EXPECT_TRUE(image.Read(buffer, read));
        if (read == 0) return out;
        out.insert(out.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(read));
    }
}

std::vector<std::byte> Counting(std::size_t n) {
    std::vector<std::byte> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::byte>(i * 7 + 1);
    return v;
}

TEST(BackupImage, ReadsTheExactLayoutInAnyChunkSize) {
    CraftedBackup expected;
    expected.Stream(kBackupSecurityData, kStreamContainsSecurity, u"", Counting(37))
        .Stream(kBackupData, 0, u"", Counting(5))
        .Stream(kBackupData, 0, u"", {})
        .Stream(kBackupAlternateData, 0, AlternateName(u"n"), Counting(3));
    for (std::size_t chunk : {1u, 3u, 20u, 64u, 4096u}) {
        BackupImage image;
        image.AddStream(kBackupSecurityData, kStreamContainsSecurity, u"", Counting(37));
        image.AddStream(kBackupData, 0, u"", 5, [](std::uint64_t offset, std::span<std::byte> into) {
            const std::vector<std::byte> all = Counting(5);
            std::copy_n(all.begin() + static_cast<std::ptrdiff_t>(offset), into.size(), into.begin());
            return true;
        });
        image.AddStream(kBackupData, 0, u"", std::vector<std::byte>{});
        image.AddStream(kBackupAlternateData, 0, AlternateName(u"n"), Counting(3));
        EXPECT_EQ(expected.bytes(), ReadAll(image, chunk)) << chunk;
    }
}

TEST(BackupImage, SkipsMoveOnlyThroughTheCurrentStreamsData) {
    BackupImage image;
    image.AddStream(kBackupData, 0, u"", Counting(10));
    image.AddStream(kBackupAlternateData, 0, AlternateName(u"s"), Counting(4));
    std::array<std::byte, kStreamHeaderSize> header;
    std::size_t read = 0;

    EXPECT_EQ(0u, image.Seek(5)) << "a skip before the header is read";
    ASSERT_TRUE(image.Read(header, read));
    ASSERT_EQ(kStreamHeaderSize, read);
    EXPECT_EQ(3u, image.Seek(3));
    std::array<std::byte, 2> two;
    ASSERT_TRUE(image.Read(two, read));
    EXPECT_EQ(Counting(10)[3], two[0]);
    EXPECT_EQ(5u, image.Seek(1000)) << "a skip stops at the end of the stream";
    EXPECT_EQ(0u, image.Seek(1000)) << "and goes no further";

    ASSERT_TRUE(image.Read(header, read));
    const StreamHeader next = DecodeStreamHeader(header);
    EXPECT_EQ(kBackupAlternateData, next.streamId);
    EXPECT_EQ(0u, image.Seek(4)) << "a skip inside the name";
    std::vector<std::byte> name(next.nameSize);
    ASSERT_TRUE(image.Read(name, read));
    EXPECT_EQ(4u, image.Seek(~0ull));
    ASSERT_TRUE(image.Read(header, read));
    EXPECT_EQ(0u, read) << "the end of the data";
    EXPECT_EQ(0u, image.Seek(1));
}

TEST(BackupImage, DataAreReadOnlyWhenAskedForAndAFailingReadFails) {
    std::vector<std::pair<std::uint64_t, std::size_t>> asked;
    bool fail = false;
    BackupImage image;
    image.AddStream(kBackupData, 0, u"", 1ull << 40, [&](std::uint64_t offset, std::span<std::byte> into) {
        asked.push_back({offset, into.size()});
        std::fill(into.begin(), into.end(), std::byte{0x5A});
        return !fail;
    });
    std::array<std::byte, kStreamHeaderSize> header;
    std::size_t read = 0;
    ASSERT_TRUE(image.Read(header, read));
    EXPECT_EQ(1ull << 40, DecodeStreamHeader(header).size);
    EXPECT_EQ(1000u, image.Seek(1000));
    std::array<std::byte, 8> some;
    ASSERT_TRUE(image.Read(some, read));
    EXPECT_EQ(8u, read);
    EXPECT_EQ((std::vector<std::pair<std::uint64_t, std::size_t>>{{1000, 8}}), asked);
    EXPECT_EQ((1ull << 40) - 1008, image.Seek(~0ull));
    EXPECT_EQ(1u, asked.size()) << "a skip reads nothing";

    BackupImage failing;
    failing.AddStream(kBackupData, 0, u"", 4, [](std::uint64_t, std::span<std::byte>) { return false; });
    std::array<std::byte, 30> buffer;
    EXPECT_FALSE(failing.Read(buffer, read));
    EXPECT_EQ(kStreamHeaderSize, read) << "what came before the failing data counts";
}

}  // namespace
