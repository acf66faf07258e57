// The PCX decoder: 256-colour and 24-bit files of every small width round trip through the test
// writer, the run-length edge cases, the header's limits and every way a file can be cut short or
// carry too much.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PcxWriter.h"
#include "pictures/core/PcxDecoder.h"

namespace {

using namespace kelmor::core;
using namespace kelmor::test::pcx;

void ExpectSame(const DIBImage& expected, const DIBImage& actual) {
    EXPECT_EQ(expected.Width, actual.Width);
    EXPECT_EQ(expected.Height, actual.Height);
    EXPECT_EQ(expected.BPP, actual.BPP);
    EXPECT_EQ(expected.Palette, actual.Palette);
    ASSERT_EQ(expected.Bits.size(), actual.Bits.size());
    for (std::size_t i = 0; i < expected.Bits.size(); ++i)
        ASSERT_EQ(expected.Bits[i], actual.Bits[i]) << "first difference at byte " << i;
}

bool Decodes(const Bytes& file) {
    DIBImage image;
    return DecodePcx(file, image);
}

// A one-plane 256-colour file whose body is `body` (run-length bytes as they stand).
Bytes OnePlane(int width, int height, const Bytes& body, int bytesPerLine = 0) {
    Bytes file = Header(width, height, 1, bytesPerLine ? bytesPerLine : (width + 1) & ~1);
    file.insert(file.end(), body.begin(), body.end());
    file.push_back(12);
    for (int i = 0; i < 256 * 3; ++i) file.push_back(static_cast<std::uint8_t>(i));
    return file;
}

Bytes ThreePlanes(int width, int height, const Bytes& body, int bytesPerLine) {
    Bytes file = Header(width, height, 3, bytesPerLine);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

// The first row of a decoded 8-bit picture.
Bytes FirstRow(const Bytes& file) {
    DIBImage image;
    EXPECT_TRUE(DecodePcx(file, image));
    return Bytes(image.Bits.begin(), image.Bits.begin() + image.Width);
}

// ---------------------------------------------------------------- round trips

TEST(PcxDecoder, PicturesOfEveryLayoutRoundTrip) {
    struct Case {
        int planes;
        Content content;
        Options options;
        const char* what;
    };
    const Case cases[] = {
        {1, Content::Photo, {}, "256 colours"},
        {1, Content::Bands, {}, "long runs"},
        {1, Content::Random, {.longestRun = 1}, "runs of one only"},
        {1, Content::Bands, {.longestRun = 3}, "short runs in a row"},
        {1, Content::Photo, {.xMin = 100, .yMin = 7}, "window not at the origin"},
        {1, Content::Random, {.bytesPerLine = 13, .padding = 0xC5}, "scan lines longer than the rows"},
        {3, Content::Photo, {}, "24 bits"},
        {3, Content::Bands, {}, "24 bits, long runs"},
        {3, Content::Bands, {.longestRun = 7}, "24 bits, short runs in a row"},
        {3, Content::Bands, {.runsAcrossLines = true}, "24 bits, runs across scan lines"},
        {3,
         Content::Random,
         {.bytesPerLine = 11, .padding = 0xFF, .runsAcrossLines = true},
         "24 bits, padded"},
    };
    for (const Case& c : cases)
        for (int width : {1, 2, 3, 4, 5, 6, 7, 8, 9, 150, 333})
            for (int height : {1, 2, 5}) {
                SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(width) + " x " +
                             std::to_string(height));
                const Picture picture =
                    Make(width, height, c.planes, c.content, static_cast<std::uint32_t>(width));
                Options options = c.options;
                if (options.bytesPerLine) options.bytesPerLine += width;
                DIBImage image;
                ASSERT_TRUE(DecodePcx(Write(picture, options), image));
                ExpectSame(Expected(picture), image);
            }
}

TEST(PcxDecoder, ReusedRecordGivesTheSamePictureAsAFreshOne) {
    // The decoder overwrites a record's rows in place: nothing of an earlier picture may remain.
    const Picture pictures[] = {Make(301, 40, 3, Content::Random, 1), Make(300, 40, 3, Content::Photo, 2),
                                Make(301, 40, 1, Content::Bands, 3),  Make(77, 3, 1, Content::Random, 4),
                                Make(301, 40, 1, Content::Photo, 5),  Make(5, 2, 3, Content::Random, 6)};
    DIBImage reused;
    reused.Bits.assign(1 << 16, 0xEE);
    for (const Picture& picture : pictures) {
        ASSERT_TRUE(DecodePcx(Write(picture, {.padding = 0x7F}), reused));
        ExpectSame(Expected(picture), reused);
    }
}

// ---------------------------------------------------------------- run-length coding

TEST(PcxDecoder, RunsOfOneAndOfNone) {
    // 0xC1 v writes v once; 0xC0 v writes nothing but takes both bytes; a byte of 0xC0 or above
    // is never a literal.
    struct Case {
        Bytes body;
        Bytes row;
    };
    const Case cases[] = {
        {{0xC1, 0xFF, 0x01, 0x02, 0x03}, {0xFF, 0x01, 0x02, 0x03}},
        {{0xC0, 0x55, 0x01, 0x02, 0x03, 0x04}, {0x01, 0x02, 0x03, 0x04}},
        {{0x01, 0xC0, 0xC0, 0xC3, 0xC0}, {0x01, 0xC0, 0xC0, 0xC0}},
        {{0xBF, 0xC2, 0x00, 0x3F}, {0xBF, 0x00, 0x00, 0x3F}},
        {{0xC4, 0x09}, {0x09, 0x09, 0x09, 0x09}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.row, FirstRow(OnePlane(4, 1, c.body)));

    // Three planes: a run of none in the stream, and one at the very end without its value.
    DIBImage image;
    ASSERT_TRUE(DecodePcx(ThreePlanes(1, 1, {0xC0, 0x11, 0x01, 0xC1, 0x02, 0x03, 0xC0}, 1), image));
    EXPECT_EQ((Bytes{0x03, 0x02, 0x01, 0x00}), image.Bits);
}

TEST(PcxDecoder, OnePlaneRunsStopAtTheEndOfTheScanLine) {
    // Width 3 in scan lines of 4: a run that passes the line's end fills the row to its width and
    // the rest of it is lost; the next bytes still belong to the same scan line.
    const Bytes body = {0x01, 0xC9, 0x07, 0x05, 0x02, 0x03, 0x04, 0x06};
    DIBImage image;
    ASSERT_TRUE(DecodePcx(OnePlane(3, 2, body, 4), image));
    EXPECT_EQ((Bytes{0x01, 0x07, 0x07, 0x00, 0x02, 0x03, 0x04, 0x00}), image.Bits);

    // In the bytes beyond the width, such a run moves nothing: the line still needs its last byte.
    ASSERT_TRUE(DecodePcx(OnePlane(3, 1, {0x01, 0x02, 0x03, 0xC2, 0x08, 0x09}, 4), image));
    EXPECT_EQ((Bytes{0x01, 0x02, 0x03, 0x00}), image.Bits);
    EXPECT_FALSE(Decodes(OnePlane(3, 1, {0x01, 0x02, 0x03, 0xC2, 0x08}, 4)));
}

TEST(PcxDecoder, ThreePlaneRunsCrossScanLinesAndRows) {
    // 2 x 2, planes of 2 bytes: one run paints the first row's three planes and the second row's red.
    const Bytes body = {0xC8, 0x40, 0x01, 0x02, 0x03, 0x04};
    DIBImage image;
    ASSERT_TRUE(DecodePcx(ThreePlanes(2, 2, body, 2), image));
    EXPECT_EQ((Bytes{0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0, 0, 0x03, 0x01, 0x40, 0x04, 0x02, 0x40, 0, 0}),
              image.Bits);
}

// ---------------------------------------------------------------- the header

TEST(PcxDecoder, HeaderSizesAndLimits) {
    const Bytes good = OnePlane(3, 2, {1, 2, 3, 0, 4, 5, 6, 0}, 4);
    ASSERT_TRUE(Decodes(good));
    struct Case {
        std::size_t offset;
        int word;
        DecodeStatus status;
        const char* what;
    };
    constexpr DecodeStatus kOk = DecodeStatus::Ok, kInvalid = DecodeStatus::Invalid,
                           kUnsupported = DecodeStatus::Unsupported;
    const Case cases[] = {
        {4, 32767, kInvalid, "X min above X max"},
        {4, 3, kInvalid, "width 0"},
        {8, 32768, kInvalid, "X max with the sign bit set"},
        {10, 32768, kInvalid, "Y max with the sign bit set"},
        {4, 65535, kInvalid, "X min with the sign bit set"},
        {66, 2, kUnsupported, "scan line shorter than the width"},
        {66, 32768, kInvalid, "scan line length with the sign bit set"},
        {12, 65535, kOk, "horizontal resolution, unused"},
        {14, 40000, kOk, "vertical resolution, unused"},
        {68, 65535, kOk, "palette information, unused"},
    };
    for (const Case& c : cases) {
        Bytes file = good;
        PutWord(file, c.offset, c.word);
        EXPECT_EQ(c.status, DecodePcx(file, *std::make_unique<DIBImage>()).status) << c.what;
    }
    struct ByteCase {
        std::size_t offset;
        std::uint8_t value;
        DecodeStatus status;
        const char* what;
    };
    for (const ByteCase& c : {ByteCase{0, 11, DecodeStatus::NotThisFormat, "manufacturer 11"},
                              ByteCase{3, 1, kUnsupported, "1 bit per plane"},
                              ByteCase{3, 4, kUnsupported, "4 bits per plane"}, ByteCase{65, 0, kUnsupported, "no plane"},
                              ByteCase{65, 2, kUnsupported, "two planes"}, ByteCase{65, 4, kUnsupported, "four planes"}}) {
        Bytes file = good;
        file[c.offset] = c.value;
        EXPECT_EQ(c.status, DecodePcx(file, *std::make_unique<DIBImage>()).status) << c.what;
    }
}

TEST(PcxDecoder, LargestSizesAndTheirOverflow) {
    // 32767 pixels fit; a width of 32768 overflows the 16-bit arithmetic, as do three planes of
    // 10923 bytes.
    Bytes wide = Header(32767, 1, 1, 32767, 0, 0);
    for (int i = 0; i < 32767 / 63; ++i) wide.insert(wide.end(), {0xFF, 0x21});
    wide.insert(wide.end(), {0xC0 | (32767 % 63), 0x21});
    wide.push_back(12);
    wide.resize(wide.size() + 768, 0);
    DIBImage image;
    ASSERT_TRUE(DecodePcx(wide, image));
    EXPECT_EQ(32767, image.Width);
    EXPECT_EQ(32768u, image.Bits.size());
    EXPECT_EQ(0x21, image.Bits[32766]);
    EXPECT_EQ(0, image.Bits[32767]);

    Bytes tooWide = wide;
    PutWord(tooWide, 4, 0);
    PutWord(tooWide, 8, 32767);  // X max - X min + 1 = 32768
    EXPECT_FALSE(Decodes(tooWide));

    EXPECT_TRUE(Decodes(ThreePlanes(10922, 1, Bytes(3 * 10922, 1), 10922)));
    EXPECT_FALSE(Decodes(ThreePlanes(10923, 1, Bytes(3 * 10923, 1), 10923)));
    // A huge declared picture over a few bytes is refused before anything of its size is made: at
    // 63 bytes per two bytes of data (the sanitizer run would report a 1 GB allocation otherwise).
    EXPECT_EQ(DecodeStatus::TooLarge,
              DecodePcx(ThreePlanes(10922, 32767, {0xFF, 0x00, 0xFF, 0x00}, 10922), image).status);
    EXPECT_EQ(DecodeStatus::TooLarge, DecodePcx(OnePlane(32767, 32767, {0xFF, 0x00, 0xFF, 0x00}, 32767), image).status);
    Bytes body;
    for (int i = 0; i < 16500; ++i) body.insert(body.end(), {0xFF, 0x21});
    EXPECT_EQ(DecodeStatus::TooLarge, DecodePcx(OnePlane(32767, 32767, body, 32767), image).status)
        << "33 KB of data, one byte a row and more";
    // At the bound the data decide: one run of 63 a row decodes.
    Bytes rows;
    for (int i = 0; i < 64; ++i) rows.insert(rows.end(), {0xFF, 0x21});
    EXPECT_TRUE(DecodePcx(OnePlane(63, 64, rows, 63), image));
}

// ---------------------------------------------------------------- short, long and foreign files

TEST(PcxDecoder, PaletteTrailerIsRequiredForOnePlane) {
    const Picture picture = Make(5, 3, 1, Content::Photo);
    EXPECT_TRUE(Decodes(Write(picture)));
    EXPECT_FALSE(Decodes(Write(picture, {.paletteMarker = 13})));
    EXPECT_FALSE(Decodes(Write(picture, {.palette = false})));
    // A palette but a body too short for the picture: its bytes are not taken for pixels.
    Bytes file = Write(picture);
    file.erase(file.begin() + 128, file.begin() + 130);
    EXPECT_FALSE(Decodes(file));
}

TEST(PcxDecoder, TruncatedFilesFail) {
    for (int planes : {1, 3}) {
        const Picture picture = Make(7, 4, planes, Content::Random);
        // Scan lines without padding: every byte of the data is needed.
        const Bytes file = Write(picture, {.bytesPerLine = 7});
        const std::size_t palette = planes == 1 ? 769 : 0;
        for (std::size_t cut = 1; cut < file.size() - palette - 128; ++cut) {
            Bytes shorter(file.begin(), file.end() - static_cast<std::ptrdiff_t>(cut + palette));
            if (planes == 1) shorter.insert(shorter.end(), file.end() - 769, file.end());
            EXPECT_FALSE(Decodes(shorter)) << planes << " planes, " << cut << " bytes cut";
        }
        DIBImage image;
        EXPECT_EQ(DecodeStatus::Truncated, DecodePcx(Bytes(file.begin(), file.begin() + 127), image).status);
        EXPECT_NE(DecodeStatus::Ok, DecodePcx(Header(7, 4, planes, 8), image).status);
    }
    // Three planes: the last scan line may stop after its blue pixels (the rest counts as zero).
    DIBImage image;
    ASSERT_TRUE(DecodePcx(ThreePlanes(1, 1, {0x01, 0x00, 0x02, 0x00, 0x03}, 2), image));
    EXPECT_EQ((Bytes{0x03, 0x02, 0x01, 0x00}), image.Bits);
    EXPECT_FALSE(Decodes(ThreePlanes(1, 1, {0x01, 0x00, 0x02, 0x00}, 2)));
    // A run byte whose value is missing.
    EXPECT_FALSE(Decodes(ThreePlanes(1, 1, {0x01, 0x00, 0x02, 0x00, 0xC1}, 2)));
    EXPECT_FALSE(Decodes(OnePlane(1, 1, {0x00, 0xC1})));
    // ... also where the data is long enough to be taken eight bytes at a time.
    EXPECT_FALSE(Decodes(ThreePlanes(30, 1, {1, 2, 3, 4, 5, 6, 7, 0xC1}, 30)));
    EXPECT_FALSE(Decodes(ThreePlanes(30, 1, {1, 2, 3, 4, 5, 6, 7, 8, 0xC1}, 30)));
    EXPECT_FALSE(Decodes(OnePlane(100, 1, {1, 2, 3, 4, 5, 6, 7, 0xC1}, 100)));
}

TEST(PcxDecoder, ThreePlaneDataBeyondThePictureFails) {
    // One byte more than the picture is taken; a palette after the pixels is not.
    const Picture picture = Make(6, 3, 3, Content::Photo);
    Bytes file = Write(picture);
    ASSERT_TRUE(Decodes(file));
    file.push_back(0x00);
    EXPECT_TRUE(Decodes(file));
    file.push_back(0x00);
    EXPECT_FALSE(Decodes(file));
    Bytes withPalette = Write(picture);
    withPalette.push_back(12);
    withPalette.resize(withPalette.size() + 768, 0x10);
    EXPECT_FALSE(Decodes(withPalette));
    // Runs that reach past the end, all at once or carried over the last scan line.
    EXPECT_TRUE(Decodes(ThreePlanes(1, 1, {0x01, 0x00, 0x02, 0x00, 0xC3, 0x07}, 2)));
    EXPECT_FALSE(Decodes(ThreePlanes(1, 1, {0x01, 0x00, 0x02, 0x00, 0xC4, 0x07}, 2)));
    EXPECT_FALSE(Decodes(ThreePlanes(1, 1, {0x01, 0x00, 0x02, 0x00, 0xC3, 0x07, 0x05}, 2)));
    EXPECT_TRUE(Decodes(ThreePlanes(1, 1, {0x01, 0x00, 0x02, 0x00, 0xC2, 0x07, 0xC0, 0x01}, 2)));
}

TEST(PcxDecoder, FirstByteTenIsNoProofOfPcx) {
    EXPECT_TRUE(IsPcx(Bytes{10, 0}));
    EXPECT_TRUE(IsPcx(Bytes{10, 5, 1, 8}));
    EXPECT_FALSE(IsPcx(Bytes{10}));
    EXPECT_FALSE(IsPcx(Bytes{}));
    EXPECT_FALSE(IsPcx(Bytes{11, 5}));

    // A TGA image with a 10-byte image ID starts with 10 too.
    Bytes tga = {10, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0};
    tga.resize(tga.size() + 10 + 2 * 2 * 3, 0x40);
    EXPECT_TRUE(IsPcx(tga));
    EXPECT_FALSE(Decodes(tga));
    tga.resize(2000, 0x40);
    EXPECT_FALSE(Decodes(tga));
}

}  // namespace
