// The readers' arithmetic: row lengths, and the decoders' byte reader.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "pictures/core/DIBImage.h"
#include "pictures/core/Decoding.h"

namespace {

using namespace kelmor::core;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

struct ScanlineCase {
    std::int32_t width;
    std::int32_t bpp;
    std::optional<std::int32_t> length;
};

// 8 bits: a byte per pixel; 24 bits: three. Rows are padded to 4 bytes; other depths give 0. At the edges
// of the range the arithmetic overflows (empty); negative widths round toward minus infinity.
TEST(PictureArithmetic, ScanlineLengthPadsRowsToFourBytes) {
    // clang-format off
    const ScanlineCase cases[] = {
        {1, 8, 4}, {2, 8, 4}, {3, 8, 4}, {4, 8, 4}, {5, 8, 8}, {0, 8, 0},
        {1, 24, 4}, {2, 24, 8}, {3, 24, 12}, {4, 24, 12}, {5, 24, 16}, {0, 24, 0},
        {5, 1, 0}, {5, 4, 0}, {5, 16, 0}, {5, 32, 0}, {5, 0, 0}, {5, -8, 0}, {kMax, 32, 0},
        {kMax - 3, 8, kMax - 3}, {kMax - 2, 8, {}}, {kMax, 8, {}},
        {715827881, 24, 2147483644}, {715827882, 24, {}}, {kMax, 24, {}},
        {-1, 8, 0}, {-5, 8, -4}, {-1, 24, 0}, {kMin, 8, kMin}, {-715827883, 24, {}}};
    // clang-format on
    for (const ScanlineCase& c : cases) {
        EXPECT_EQ(c.length, GetScanlineLength(c.width, c.bpp)) << "width " << c.width << ", bpp " << c.bpp;
    }
}

// The decoders' one byte reader: both byte orders, and nothing (and nothing after) once a read
// would pass the end.
TEST(PictureArithmetic, ByteReaderReadsBothByteOrdersAndStopsAtTheEnd) {
    const std::vector<std::uint8_t> bytes = {'B', 'M', 0xFF, 0xFE, 0x01, 0x02, 0x03};
    ByteReader r(bytes);
    EXPECT_EQ(19778, r.U16LE()) << "the bitmap file signature";
    EXPECT_EQ(0xFFFE, r.U16BE());
    EXPECT_EQ(0x01, r.U8());
    EXPECT_EQ(2u, r.Remaining());
    EXPECT_EQ(std::nullopt, r.U32BE()) << "four bytes wanted, two there";
    EXPECT_TRUE(r.Exhausted());
    EXPECT_EQ(std::nullopt, r.U8()) << "nothing after a failed read";

    ByteReader b(bytes, 2);
    EXPECT_EQ(0xFFFE0102u, b.U32BE());
    EXPECT_EQ(0x03, b.U8());
    EXPECT_EQ(std::nullopt, b.U8());

    ByteReader skip(bytes);
    skip.Skip(6);
    EXPECT_EQ(0x03, skip.U8());
    skip.Skip(0);
    EXPECT_FALSE(skip.Exhausted());
    skip.Skip(1);
    EXPECT_TRUE(skip.Exhausted());
    ByteReader far(bytes);
    far.Skip(std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(std::nullopt, far.U8());
    EXPECT_EQ(std::nullopt, ByteReader({}).U8());
    EXPECT_EQ(std::nullopt, ByteReader(bytes, 7).U8());
    EXPECT_EQ(std::nullopt, ByteReader(bytes, 6).U16LE());
}

}  // namespace
