// The readers' arithmetic: row lengths, shifts with their overflow, and 16-bit reads.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "pictures/core/DIBImage.h"

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

struct ShiftCase {
    std::int32_t value;
    std::int32_t n;
    std::optional<std::int32_t> left;
    std::optional<std::int32_t> right;
};

TEST(PictureArithmetic, ShiftsMultiplyAndDivideByPowersOfTwoWithinTheRange) {
    // Negative values divide toward zero; counts outside 0..31 are refused.
    const ShiftCase cases[] = {
        {1, 0, 1, 1},
        {5, 1, 10, 2},
        {255, 8, 65280, 0},
        {0x12345678, 4, {}, 0x01234567},
        {1, 30, 1 << 30, 0},
        {1, 31, {}, 0},
        {-1, 31, kMin, 0},
        {kMin, 31, {}, -1},
        {kMax, 1, {}, kMax / 2},
        {-5, 1, -10, -2},
        {-1, 1, -2, 0},
        {-0x40000000, 1, kMin, -0x20000000},
        {-0x40000001, 1, {}, -0x20000000},
        {1, -1, {}, {}},
        {1, 32, {}, {}},
    };
    for (const ShiftCase& c : cases) {
        EXPECT_EQ(c.left, ShiftLeft(c.value, c.n)) << c.value << " << " << c.n;
        EXPECT_EQ(c.right, ShiftRight(c.value, c.n)) << c.value << " >> " << c.n;
    }
}

TEST(PictureArithmetic, ReadWordTakesTwoBytesInEitherOrderOrNothingFromShortInput) {
    const std::vector<std::uint8_t> bytes = {'B', 'M', 0xFF, 0xFE};
    EXPECT_EQ(19778, ReadWord(bytes, 0, true)) << "the bitmap file signature";
    EXPECT_EQ(0x424D, ReadWord(bytes, 0, false));
    EXPECT_EQ(0xFEFF, ReadWord(bytes, 2, true));
    EXPECT_EQ(0xFFFE, ReadWord(bytes, 2, false));
    EXPECT_EQ(0xFF4D, ReadWord(bytes, 1, true));
    for (bool littleEndian : {true, false}) {
        EXPECT_EQ(std::nullopt, ReadWord(bytes, 3, littleEndian));
        EXPECT_EQ(std::nullopt, ReadWord(bytes, 5, littleEndian));
        EXPECT_EQ(std::nullopt, ReadWord(bytes, std::numeric_limits<std::size_t>::max(), littleEndian));
        EXPECT_EQ(std::nullopt, ReadWord({}, 0, littleEndian));
    }
}

}  // namespace
