// The Photoshop document decoder on files made by the test writer: raw and PackBits data, the channel
// slots and their fill values, the skipped sections, the refused variants, and damaged data.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "PsdWriter.h"
#include "pictures/core/PsdDecoder.h"

namespace {

using kelmor::core::DecodePsd;
using kelmor::core::DecodeStatus;
using kelmor::core::DIBImage;
using kelmor::core::IsPsd;
using namespace kelmor::test::psd;

bool Decode(const Bytes& file, DIBImage& out) {
    return DecodePsd(file, out);
}

void ExpectPicture(const Bytes& file, std::uint32_t w, std::uint32_t h, const Bytes& bits,
                   const std::string& what) {
    DIBImage image;
    ASSERT_TRUE(Decode(file, image)) << what;
    EXPECT_EQ(static_cast<std::int32_t>(w), image.Width) << what;
    EXPECT_EQ(static_cast<std::int32_t>(h), image.Height) << what;
    EXPECT_EQ(24, image.BPP) << what;
    EXPECT_EQ(bits, image.Bits) << what;
}

TEST(PsdDecode, RawAndPackBitsGiveTheSamePictureForEveryWidth) {
    // Widths 1 to 9 cover every padding; PackBits by rows and as streams whose packets cross row ends.
    // The larger picture has packets of 128 pixels with plenty of data after them.
    for (std::uint32_t w : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 61u}) {
        for (std::uint16_t channels : {3, 4}) {
            const std::uint32_t h = w == 61 ? 37 : 5;
            for (bool photo : {true, false}) {
                const Bytes planes = photo ? PhotoPlanes(w, h, channels, w) : RandomPlanes(w, h, channels, w);
                const Bytes expected = ExpectedBits(w, h, 3, planes);
                for (Packing packing : {Packing::Raw, Packing::PackBitsRows, Packing::PackBitsStream}) {
                    Options o;
                    o.width = w;
                    o.height = h;
                    o.channels = channels;
                    o.packing = packing;
                    ExpectPicture(Encode(o, planes), w, h, expected,
                                  "width " + std::to_string(w) + ", channels " + std::to_string(channels) +
                                      ", packing " + std::to_string(static_cast<int>(packing)));
                }
            }
        }
    }
}

TEST(PsdDecode, WidthThreeRowsAreAlignedWithZeroPadding) {
    Options o;
    o.width = 3;
    o.height = 2;
    const Bytes planes = {1, 2, 3, 4, 5, 6, 11, 12, 13, 14, 15, 16, 21, 22, 23, 24, 25, 26};
    const Bytes expected = {21, 11, 1, 22, 12, 2, 23, 13, 3, 0, 0, 0,
                            24, 14, 4, 25, 15, 5, 26, 16, 6, 0, 0, 0};
    ExpectPicture(Encode(o, planes), 3, 2, expected, "raw");
    // A record reused from a larger picture gets its padding rewritten.
    DIBImage image;
    image.Bits.assign(expected.size(), 0xEE);
    ASSERT_TRUE(Decode(Encode(o, planes), image));
    EXPECT_EQ(expected, image.Bits);
}

TEST(PsdDecode, ChannelCountsFillTheSlotsInOrder) {
    // Slots red, green, blue, alpha take the file's channels in turn while the slot's byte in a
    // blue-green-red-alpha pixel is below the count; alpha and channels after the fourth are not shown.
    const std::uint32_t w = 3, h = 2;
    for (std::uint16_t channels = 0; channels <= 6; ++channels) {
        if (channels == 0) continue;  // below: the black picture is an 8-bit record
        const Bytes planes = RandomPlanes(w, h, channels, 40 + channels);
        const Bytes expected = ExpectedBits(w, h, channels, planes);
        for (Packing packing : {Packing::Raw, Packing::PackBitsRows}) {
            Options o;
            o.width = w;
            o.height = h;
            o.channels = channels;
            o.packing = packing;
            ExpectPicture(Encode(o, planes), w, h, expected, "channels " + std::to_string(channels));
        }
    }
    // Spelled out once: two channels give red 0, green from the first, blue from the second.
    Options o;
    o.channels = 2;
    DIBImage image;
    ASSERT_TRUE(Decode(Encode(o, {0x40, 0x80}), image));
    EXPECT_EQ((Bytes{0x80, 0x40, 0, 0}), image.Bits);
    // No channel at all: a black picture without any data bytes, as indices over a black palette;
    // up to 16384 x 16384 pixels (the record's bytes, rows padded), larger is too large.
    o.channels = 0;
    o.width = 5;
    for (Packing packing : {Packing::Raw, Packing::PackBitsRows}) {
        o.packing = packing;
        ASSERT_TRUE(Decode(Encode(o, {}), image));
        EXPECT_EQ(8, image.BPP);
        EXPECT_EQ(Bytes(8, 0), image.Bits);
        EXPECT_EQ(decltype(image.Palette){}, image.Palette);
    }
    struct Limit {
        std::uint32_t width, height;
        DecodeStatus status;
    };
    for (const Limit& c : {Limit{16384, 16384, DecodeStatus::Ok}, Limit{16385, 16384, DecodeStatus::TooLarge},
                           Limit{16384, 16385, DecodeStatus::TooLarge}, Limit{1, 16384 * 4096 + 1, DecodeStatus::TooLarge},
                           Limit{0x7FFFFFFF, 0x7FFFFFFF, DecodeStatus::TooLarge}}) {
        o.width = c.width;
        o.height = c.height;
        DIBImage large;
        EXPECT_EQ(c.status, DecodePsd(Encode(o, {}), large).status) << c.width << " x " << c.height;
        if (c.status == DecodeStatus::Ok) EXPECT_EQ(std::size_t{16384} * 16384, large.Bits.size());
    }
}

TEST(PsdDecode, SkippedSectionsOfAnyLength) {
    const Bytes planes = PhotoPlanes(4, 3, 3, 7);
    const Bytes expected = ExpectedBits(4, 3, 3, planes);
    for (std::uint32_t colour : {0u, 768u, 1u}) {
        for (std::uint32_t other : {0u, 1u, 300u}) {
            Options o;
            o.width = 4;
            o.height = 3;
            o.packing = Packing::PackBitsRows;
            o.colourModeLength = colour;
            o.resourcesLength = other;
            o.layersLength = other * 2;
            ExpectPicture(Encode(o, planes), 4, 3, expected,
                          "colour-mode " + std::to_string(colour) + ", other " + std::to_string(other));
        }
    }
}

TEST(PsdDecode, RefusesVariantsItDoesNotRead) {
    struct Case {
        const char* what;
        void (*change)(Options&);
        DecodeStatus status;
    };
    constexpr DecodeStatus kUnsupported = DecodeStatus::Unsupported, kInvalid = DecodeStatus::Invalid,
                           kTooLarge = DecodeStatus::TooLarge;
    const Case cases[] = {
        {"16 bits per channel", [](Options& o) { o.depth = 16; }, kUnsupported},
        {"1 bit per channel", [](Options& o) { o.depth = 1; }, kUnsupported},
        {"greyscale", [](Options& o) { o.mode = 1; }, kUnsupported},
        {"CMYK", [](Options& o) { o.mode = 4; }, kUnsupported},
        {"indexed", [](Options& o) { o.mode = 2; }, kUnsupported},
        {"version 2", [](Options& o) { o.version = 2; }, kUnsupported},
        {"version 0", [](Options& o) { o.version = 0; }, kUnsupported},
        {"compression 2", [](Options& o) { o.compression = 2; }, kUnsupported},
        {"compression 0x8001", [](Options& o) { o.compression = 0x8001; }, kUnsupported},
        {"17 channels", [](Options& o) { o.channels = 17; }, kUnsupported},
        {"channel count with the sign bit", [](Options& o) { o.channels = 0x8003; }, kUnsupported},
        {"width 0", [](Options& o) { o.width = 0; }, kInvalid},
        {"height 0", [](Options& o) { o.height = 0; }, kInvalid},
        {"width with the sign bit", [](Options& o) { o.width = 0x80000002u; }, kTooLarge},
        {"height with the sign bit", [](Options& o) { o.height = 0xFFFFFFFFu; }, kTooLarge},
        {"four bytes a pixel overflow, square", [](Options& o) { o.width = 32768, o.height = 16384; }, kTooLarge},
        {"pixel count overflow", [](Options& o) { o.width = 0x10000, o.height = 0x10000; }, kTooLarge},
        {"largest sizes", [](Options& o) { o.width = 0x7FFFFFFF, o.height = 0x7FFFFFFF; }, kTooLarge},
        {"four bytes a pixel overflow", [](Options& o) { o.width = 0x20000000, o.height = 1; }, kTooLarge},
        {"more pixels than the raw data", [](Options& o) { o.width = 1000; }, DecodeStatus::Truncated},
        {"section length with the sign bit", [](Options& o) { o.layersLength = 0x80000000u; }, kInvalid},
    };
    const Bytes planes = RandomPlanes(2, 2, 3, 1);
    for (const Case& c : cases) {
        Options o;
        o.width = 2;
        o.height = 2;
        c.change(o);
        Bytes file = o.layersLength >= 0x80000000u ? Bytes{} : Encode(o, planes);
        if (o.layersLength >= 0x80000000u) {
            // Written by hand: the writer would fill the section.
            Options small = o;
            small.layersLength = 0;
            file = Encode(small, planes);
            file[26 + 8] = 0x80;
        }
        DIBImage image;
        EXPECT_EQ(c.status, DecodePsd(file, image).status) << c.what;
    }
    Bytes wrong = Encode(Options{}, {1, 2, 3});
    wrong[3] = 'T';
    DIBImage image;
    EXPECT_EQ(DecodeStatus::NotThisFormat, DecodePsd(wrong, image).status);
}

TEST(PsdDecode, SignatureCheck) {
    EXPECT_TRUE(IsPsd(Bytes{'8', 'B', 'P', 'S'}));
    EXPECT_TRUE(IsPsd(Bytes{'8', 'B', 'P', 'S', 0, 2}));  // the version is the decoder's business
    EXPECT_FALSE(IsPsd(Bytes{'8', 'B', 'P'}));
    EXPECT_FALSE(IsPsd(Bytes{'8', 'b', 'p', 's'}));
    EXPECT_FALSE(IsPsd(Bytes{}));
}

TEST(PsdDecode, TruncatedFilesFailAtEveryLength) {
    // Every proper prefix of a file whose data all matter fails, whatever part it cuts.
    for (Packing packing : {Packing::Raw, Packing::PackBitsRows, Packing::PackBitsStream}) {
        Options o;
        o.width = 5;
        o.height = 3;
        o.channels = 4;
        o.packing = packing;
        o.colourModeLength = 3;
        const Bytes file = Encode(o, RandomPlanes(5, 3, 4, 9));
        // The header (26 bytes), three section lengths, 3 bytes of colour-mode data, the compression.
        const std::size_t headerEnd = 26 + 12 + 3 + 2;
        for (std::size_t length = 0; length < file.size(); ++length) {
            DIBImage image;
            const DecodeStatus status = DecodePsd(Bytes(file.begin(), file.begin() + length), image).status;
            EXPECT_NE(DecodeStatus::Ok, status) << "packing " << static_cast<int>(packing) << ", length " << length;
            if (length < 4)
                EXPECT_EQ(DecodeStatus::NotThisFormat, status) << length;
            else if (length < headerEnd)
                EXPECT_EQ(DecodeStatus::Truncated, status) << length;
        }
        DIBImage image;
        EXPECT_TRUE(Decode(file, image));
    }
    // Channels after the fourth are never read: their absence is no fault.
    Options o;
    o.channels = 6;
    Bytes file = Encode(o, {1, 2, 3, 4, 5, 6});
    file.resize(file.size() - 2);
    DIBImage image;
    EXPECT_TRUE(Decode(file, image));
}

// A PackBits file of one 3-channel row whose channels are given as packet bytes.
Bytes PackedFile(std::uint32_t width, const Bytes& red, const Bytes& green, const Bytes& blue,
                 std::uint16_t channels = 3, const Bytes& alpha = {}) {
    Options o;
    o.width = width;
    o.channels = channels;
    o.packing = Packing::PackBitsRows;
    Bytes b = Header(o);
    b.insert(b.end(), 2 * channels, 0);
    for (const Bytes* c : {&red, &green, &blue, &alpha}) b.insert(b.end(), c->begin(), c->end());
    return b;
}

TEST(PsdDecode, PackBitsHeaders) {
    // 129 repeats its byte 128 times, 255 twice, 128 is skipped without a byte of its own; literal
    // packets copy header + 1 bytes.
    const Bytes red = {128, 129, 0x11, 128, 255, 0x22, 1, 0x33, 0x44};  // 128 + 2 + 2 pixels
    const Bytes green = {127};
    Bytes greenFull = green;
    for (int i = 0; i < 128; ++i) greenFull.push_back(static_cast<std::uint8_t>(i));
    greenFull.insert(greenFull.end(),
                     {3, 0xA, 0xB, 0xC, 0xD, 128});  // 128 + 4 pixels; blue starts with a no-op
    const Bytes blue = {0x81, 0x55, 0xFD, 0x66};     // 128 + 4 pixels
    DIBImage image;
    ASSERT_TRUE(Decode(PackedFile(132, red, greenFull, blue), image));
    ASSERT_EQ(132, image.Width);
    for (int x = 0; x < 132; ++x) {
        const std::uint8_t r = x < 128 ? 0x11 : x < 130 ? 0x22 : x == 130 ? 0x33 : 0x44;
        const std::uint8_t g =
            x < 128 ? static_cast<std::uint8_t>(x) : static_cast<std::uint8_t>(0xA + x - 128);
        const std::uint8_t b = x < 128 ? 0x55 : 0x66;
        ASSERT_EQ(b, image.Bits[3 * x]) << x;
        ASSERT_EQ(g, image.Bits[3 * x + 1]) << x;
        ASSERT_EQ(r, image.Bits[3 * x + 2]) << x;
    }
}

TEST(PsdDecode, PackBitsOverrunsBeyondTheSpareBytesFail) {
    // A colour channel's last packet may run one pixel past the channel (that pixel is not shown);
    // two pixels, or any pixel past the alpha channel, fail. Width 3, one row.
    struct Case {
        const char* what;
        Bytes red, green, blue, alpha;
        bool decodes;
    };
    const Bytes exact = {0xFE, 9};  // 3 pixels
    const Bytes plusOne = {0xFD, 9}, plusTwo = {0xFC, 9}, literalPlusOne = {3, 9, 9, 9, 7};
    const Case cases[] = {
        {"exact", exact, exact, exact, exact, true},
        {"red plus one", plusOne, exact, exact, exact, true},
        {"red literal plus one", literalPlusOne, exact, exact, exact, true},
        {"green plus one", exact, plusOne, exact, exact, true},
        {"blue plus one", exact, exact, plusOne, exact, true},
        {"red plus two", plusTwo, exact, exact, exact, false},
        {"blue plus two", exact, exact, plusTwo, exact, false},
        {"blue run of 128", exact, exact, {0x81, 9}, exact, false},
        {"alpha plus one", exact, exact, exact, plusOne, false},
        {"alpha missing", exact, exact, exact, {}, false},
        {"run without its byte", exact, exact, exact, {0xFE}, false},
    };
    for (const Case& c : cases) {
        DIBImage image;
        EXPECT_EQ(c.decodes, Decode(PackedFile(3, c.red, c.green, c.blue, 4, c.alpha), image)) << c.what;
        if (c.decodes) EXPECT_EQ((Bytes{9, 9, 9, 9, 9, 9, 9, 9, 9, 0, 0, 0}), image.Bits) << c.what;
    }
}

TEST(PsdDecode, ShortDataForAHugeHeaderFailsWithoutAllocating) {
    // 16000 x 16000 pixels declared with a few bytes of data: refused before the planes are made
    // (the sanitizer run would report a 1 GB allocation otherwise).
    for (Packing packing : {Packing::Raw, Packing::PackBitsRows}) {
        Options o;
        o.width = 16000;
        o.height = 16000;
        o.packing = packing;
        Bytes file = Header(o);
        file.insert(file.end(), 64000 * 3, 0x81);
        DIBImage image;
        EXPECT_EQ(packing == Packing::Raw ? DecodeStatus::Truncated : DecodeStatus::TooLarge,
                  DecodePsd(file, image).status);
    }
}

}  // namespace
