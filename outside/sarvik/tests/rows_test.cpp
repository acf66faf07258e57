// The delivered layout: row lengths and the 32-bit limit, index unpacking, colour over white.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "PngRows.h"

namespace {

TEST(SarvikRows, RowLengthsArePaddedToFourAndRefusedOutsideThirtyTwoBits) {
    struct Case { std::int64_t width; int bpp; std::int32_t length; };
    for (const Case c : {Case{1, 8, 4}, Case{4, 8, 4}, Case{5, 8, 8}, Case{1, 24, 4}, Case{2, 24, 8},
                         Case{3, 24, 12}, Case{5, 24, 16}, Case{715827881, 24, 2147483644}}) {
        const auto length = sarvik::RowLength(c.width, c.bpp);
        ASSERT_TRUE(length) << c.width << "x" << c.bpp;
        EXPECT_EQ(c.length, *length) << c.width << "x" << c.bpp;
    }
    EXPECT_FALSE(sarvik::RowLength(0, 8));
    EXPECT_FALSE(sarvik::RowLength(-1, 24));
    EXPECT_FALSE(sarvik::RowLength(4, 32));
    EXPECT_FALSE(sarvik::RowLength(715827882, 24));  // 2147483646 bytes, padded to 2^31
    EXPECT_FALSE(sarvik::RowLength(2147483646, 8));  // padded to 2^31

    EXPECT_TRUE(sarvik::ImageFits(4, 536870911, 8));
    EXPECT_FALSE(sarvik::ImageFits(4, 536870912, 8));  // exactly 2^31 bytes
    EXPECT_FALSE(sarvik::ImageFits(65536, 65536, 24));
    EXPECT_FALSE(sarvik::ImageFits(1, 0, 24));
}

TEST(SarvikRows, IndicesUnpackHighBitsFirstAndPaddingIsZeroed) {
    struct Case { int bits; std::vector<std::uint8_t> packed; std::size_t width; std::vector<std::uint8_t> indices; };
    const Case cases[] = {
        {1, {0b10110000}, 5, {1, 0, 1, 1, 0, 0, 0, 0}},
        {1, {0xFF, 0x80}, 9, {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0}},
        {2, {0b11100100, 0b01000000}, 5, {3, 2, 1, 0, 1, 0, 0, 0}},
        {4, {0xA5, 0xF0}, 3, {10, 5, 15, 0}},
        {8, {7, 200, 9}, 3, {7, 200, 9, 0}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> out(c.indices.size(), 0xCD);
        sarvik::UnpackIndexRow(c.packed.data(), c.width, c.bits, out.data(), out.size());
        EXPECT_EQ(c.indices, out) << c.bits << " bits, width " << c.width;
    }
}

TEST(SarvikRows, ColoursAreTakenOverWhite) {
    // Opaque unchanged, transparent white, half way rounded to nearest; padding zeroed.
    const std::uint8_t bgra[] = {10, 20, 30, 255, 10, 20, 30, 0, 0, 100, 255, 128};
    std::vector<std::uint8_t> out(12, 0xCD);
    sarvik::BgraRowOverWhite(bgra, 3, out.data(), out.size());
    EXPECT_EQ((std::vector<std::uint8_t>{10, 20, 30, 255, 255, 255, 127, 177, 255, 0, 0, 0}), out);

    // Blue in the low byte: red 0x10, green 0x20, blue 0x30 in memory as 30 20 10 00.
    EXPECT_EQ(0x00102030u, sarvik::PaletteEntry(0xFF102030u));
    EXPECT_EQ(0x00FFFFFFu, sarvik::PaletteEntry(0x00000000u));
    EXPECT_EQ(0x007F7F7Fu, sarvik::PaletteEntry(0x80000000u));
}

}  // namespace
