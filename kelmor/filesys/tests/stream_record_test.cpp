// The record rules: header layout, names, short names, kinds and flags.
#include <gtest/gtest.h>

#include "CraftedBackup.h"
#include "filesys/core/StreamRecord.h"

namespace {

using namespace kelmor::core;

std::vector<std::byte> Utf16(std::u16string_view text) {
    const std::vector<std::byte> prefix = EncodeStreamPrefix(0, 0, 0, text);
    return {prefix.begin() + kStreamHeaderSize, prefix.end()};
}

TEST(StreamRecord, HeaderIsTwentyLittleEndianBytes) {
    const unsigned char raw[kStreamHeaderSize] = {0x04, 0x00, 0x00, 0x00,  // dwStreamId 4
                                                  0x09, 0x00, 0x00, 0x80,  // dwStreamAttributes 0x80000009
                                                  0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88,  // Size
                                                  0x0C, 0x02, 0x00, 0x00};  // dwStreamNameSize 524
    std::array<std::byte, kStreamHeaderSize> bytes;
    std::memcpy(bytes.data(), raw, bytes.size());
    const StreamHeader h = DecodeStreamHeader(bytes);
    EXPECT_EQ(4u, h.streamId);
    EXPECT_EQ(0x80000009u, h.attributes);
    EXPECT_EQ(0x8807060504030201ull, h.size);
    EXPECT_EQ(524u, h.nameSize);
    EXPECT_EQ(bytes, EncodeStreamHeader(h));
}

TEST(StreamRecord, NamesFollowTheKindWhenTheHeaderGivesNone) {
    EXPECT_EQ(u"::$DATA", StreamName({kBackupData, 0, 10, 0}, {}));
    EXPECT_EQ(u"", StreamName({kBackupSecurityData, 2, 10, 0}, {}));
    EXPECT_EQ(u"", StreamName({kBackupAlternateData, 0, 10, 0}, {}));
    EXPECT_EQ(u"", StreamName({10, 0, 0, 0}, {}));
    EXPECT_EQ(u"", StreamName({kBackupInvalid, 0, 0, 0}, {}));
    // A given name is the name, whatever the kind, exactly as its bytes read.
    const std::u16string withNul(u"a\0b", 3);
    EXPECT_EQ(withNul, StreamName({kBackupData, 0, 0, 6}, Utf16(withNul)));
    EXPECT_EQ(u":\u0436\u4E2D:$DATA",
              StreamName({kBackupAlternateData, 0, 0, 18}, Utf16(u":\u0436\u4E2D:$DATA")));
    // Never more than the header's name size, however much the caller hands over.
    EXPECT_EQ(u":a", StreamName({kBackupAlternateData, 0, 0, 4}, Utf16(u":a:$DATA")));
}

TEST(StreamRecord, ShortNameIsTheTextBetweenTheFirstTwoColons) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u":abc:$DATA", u"abc"}, {u"::$DATA", u""},     {u"", u""},       {u":abc", u"abc"},
        {u"abc", u"abc"},        {u":a:b:$DATA", u"a"}, {u"x:y:z", u"y"}, {u":", u""},
    };
    for (const auto& [name, shortName] : cases) {
        EXPECT_EQ(shortName, StreamShortName(name)) << std::string(name.begin(), name.end());
    }
}

TEST(StreamRecord, EachKnownKindMatchesExactlyOneKindTestAndOthersNone) {
    const std::uint32_t kinds[] = {
        kBackupInvalid, kBackupData,         kBackupEaData,   kBackupSecurityData, kBackupAlternateData,
        kBackupLink,    kBackupPropertyData, kBackupObjectId, kBackupReparseData,  kBackupSparseBlock};
    for (std::int32_t id = -1; id <= 11; ++id) {
        int matches = 0;
        for (std::uint32_t kind : kinds) matches += IsStreamKind(id, kind) ? 1 : 0;
        EXPECT_EQ(id >= 0 && id <= 9 ? 1 : 0, matches) << id;
    }
    EXPECT_TRUE(IsStreamKind(3, kBackupSecurityData));
    EXPECT_FALSE(IsStreamKind(static_cast<std::int32_t>(0x80000001u), kBackupData));
}

TEST(StreamRecord, AttributeTestsReadSingleBits) {
    EXPECT_TRUE(HasStreamAttribute(9, kStreamModifiedWhenRead));
    EXPECT_FALSE(HasStreamAttribute(9, kStreamContainsSecurity));
    EXPECT_FALSE(HasStreamAttribute(9, kStreamContainsProperties));
    EXPECT_TRUE(HasStreamAttribute(9, kStreamSparseAttribute));
    for (std::uint32_t bit : {kStreamModifiedWhenRead, kStreamContainsSecurity, kStreamContainsProperties,
                              kStreamSparseAttribute}) {
        EXPECT_TRUE(HasStreamAttribute(-1, bit)) << bit;
        EXPECT_FALSE(HasStreamAttribute(0x7FFFFFF0, bit)) << bit;
    }
}

}  // namespace
