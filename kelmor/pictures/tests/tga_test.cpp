// The Targa decoder: every depth and orientation, run-length packets across rows, the fields
// skipped before the pixels, and the files it must refuse without touching memory outside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "TgaWriter.h"
#include "pictures/core/TgaDecoder.h"

namespace {

using namespace kelmor::core;
using namespace kelmor::test;

using Bytes = std::vector<std::uint8_t>;

// Decodes into a record pre-filled with garbage, so that a byte the decoder forgets to write
// shows up.
bool Decode(const Bytes& file, DIBImage& out) {
    out.Bits.assign(out.Bits.size() + 64, 0xAA);
    return DecodeTga(file, out);
}

void ExpectPicture(const Bytes& file, const TgaPicture& p, int depth, const std::string& what) {
    DIBImage out;
    ASSERT_TRUE(Decode(file, out)) << what;
    EXPECT_EQ(p.width, out.Width) << what;
    EXPECT_EQ(p.height, out.Height) << what;
    EXPECT_EQ(24, out.BPP) << what;
    EXPECT_EQ(TgaExpectedBits(p, depth), out.Bits) << what;
}

// Every depth, both orientations, uncompressed and run-length (packets spanning rows or not),
// widths with and without row padding: each file decodes to the written picture, top row first.
TEST(TgaDecode, EveryVariantGivesTheWrittenPicture) {
    for (int depth : {15, 16, 24, 32}) {
        for (int width : {1, 2, 3, 4, 5, 7, 8, 13}) {
            for (int content = 0; content < 2; ++content) {
                const TgaPicture p =
                    content ? TgaRandomContent(width, 5, depth, width) : TgaPhotoLike(width, 5, depth, width);
                for (int variant = 0; variant < 6; ++variant) {
                    TgaOptions o;
                    o.depth = depth;
                    o.topDown = variant & 1;
                    o.runLength = variant >= 2;
                    o.packetsPerRow = variant >= 4;
                    // Alpha bits and the right-to-left bit take no part.
                    o.descriptorExtra = static_cast<std::uint8_t>(variant == 3 ? 0x18 : 0);
                    ExpectPicture(WriteTga(p, o), p, depth,
                                  "depth " + std::to_string(depth) + " width " + std::to_string(width) +
                                      " content " + std::to_string(content) + " variant " +
                                      std::to_string(variant));
                }
            }
        }
    }
}

TEST(TgaDecode, BottomUpAndTopDownGiveTheSamePicture) {
    const TgaPicture p = TgaPhotoLike(6, 4, 24);
    TgaOptions up, down;
    down.topDown = true;
    const Bytes a = WriteTga(p, up), b = WriteTga(p, down);
    ASSERT_NE(a, b);
    DIBImage x, y;
    ASSERT_TRUE(Decode(a, x));
    ASSERT_TRUE(Decode(b, y));
    EXPECT_EQ(x.Bits, y.Bits);
    // The top row of the picture is the last row of the bottom-up file.
    EXPECT_EQ(a[a.size() - 18], x.Bits[0]);
}

TEST(TgaDecode, ThirtyTwoBitFileEqualsItsTwentyFourBitTwin) {
    TgaPicture p32 = TgaRandomContent(5, 4, 32, 9);
    TgaPicture p24 = p32;
    for (auto& v : p24.pixels) v &= 0xFFFFFF;
    for (bool rle : {false, true}) {
        TgaOptions o32, o24;
        o32.depth = 32;
        o32.runLength = o24.runLength = rle;
        DIBImage a, b;
        ASSERT_TRUE(Decode(WriteTga(p32, o32), a));
        ASSERT_TRUE(Decode(WriteTga(p24, o24), b));
        EXPECT_EQ(a.Bits, b.Bits) << "rle " << rle;
        EXPECT_EQ(24, a.BPP);
    }
}

// 5-bit channels land in the top of each byte; the top bit of the word is ignored.
TEST(TgaDecode, SixteenBitChannelsKeepTheirLowBitsZero) {
    struct Case {
        std::uint16_t word;
        std::uint8_t b, g, r;
    };
    const Case cases[] = {{0x7FFF, 248, 248, 248}, {0x8000, 0, 0, 0},      {0xFFFF, 248, 248, 248},
                          {0x001F, 248, 0, 0},     {0x03E0, 0, 248, 0},    {0x7C00, 0, 0, 248},
                          {0x0421, 8, 8, 8},       {0x5294, 160, 160, 160}};
    for (const Case& c : cases) {
        for (int depth : {15, 16}) {
            TgaOptions o;
            o.depth = depth;
            DIBImage out;
            ASSERT_TRUE(Decode(WriteTga(TgaPicture{1, 1, {c.word}}, o), out));
            EXPECT_EQ((Bytes{c.b, c.g, c.r, 0}), out.Bits) << std::hex << c.word;
        }
    }
}

// Hand-made packets that cross row ends, against the uncompressed twin: width 3 (three bytes of
// padding per row) and width 4 (none).
TEST(TgaDecode, RunLengthPacketsCrossRowEnds) {
    struct Case {
        int width, height;
        Bytes packets;  // 24-bit
    };
    const Case cases[] = {
        // One run of 6 pixels fills both rows.
        {3, 2, {0x85, 1, 2, 3}},
        // A raw packet of 4 pixels crossing into row 2, then a run of 2.
        {3, 2, {0x03, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 0x81, 9, 8, 7}},
        // A run of 8 fills two rows of 4; then a raw packet of 5 and a run of 3 span rows 3 and 4.
        {4, 4, {0x87, 5, 6, 7, 0x04, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 0x82, 6, 6, 6}},
        // A run of 128 over many rows.
        {4, 32, {0xFF, 10, 20, 30}},
    };
    for (const Case& c : cases) {
        // Expand the packets by hand into the pixels in file order.
        std::vector<std::uint32_t> px;
        for (std::size_t i = 0; i < c.packets.size();) {
            const unsigned h = c.packets[i++];
            const unsigned n = (h & 0x7F) + 1;
            for (unsigned k = 0; k < n; ++k) {
                const std::size_t at = (h & 0x80) ? i : i + 3 * k;
                px.push_back(c.packets[at] | (c.packets[at + 1] << 8) | (c.packets[at + 2] << 16));
            }
            i += (h & 0x80) ? 3 : 3 * n;
        }
        ASSERT_EQ(static_cast<std::size_t>(c.width * c.height), px.size());
        TgaPicture p{c.width, c.height, px};  // file order is top-down here
        for (bool topDown : {false, true}) {
            Bytes file = WriteTga(p, TgaOptions{.topDown = true});
            file.resize(18);
            file[17] = topDown ? 0x20 : 0;
            file[2] = 10;
            file.insert(file.end(), c.packets.begin(), c.packets.end());
            TgaPicture shown = p;
            if (!topDown) shown.pixels = TgaFileOrder(p, false);  // the first file row is the bottom
            ExpectPicture(file, shown, 24,
                          "width " + std::to_string(c.width) + " top-down " + std::to_string(topDown));
            Bytes twin = WriteTga(shown, TgaOptions{.topDown = topDown});
            DIBImage a, b;
            ASSERT_TRUE(Decode(file, a));
            ASSERT_TRUE(Decode(twin, b));
            EXPECT_EQ(a.Bits, b.Bits);
        }
    }
}

// The image ID and any colour map come before the pixels and are skipped; 15-bit map entries
// take two bytes each.
TEST(TgaDecode, ImageIdAndColourMapAreSkipped) {
    struct Case {
        std::uint8_t idLength;
        std::uint16_t mapLength;
        std::uint8_t mapBits;
    };
    const Case cases[] = {{10, 256, 24}, {10, 0, 0}, {0, 256, 24}, {255, 16, 32}, {3, 256, 15}, {0, 7, 16}};
    for (const Case& c : cases) {
        for (bool rle : {false, true}) {
            const TgaPicture p = TgaPhotoLike(7, 3, 24, 3);
            TgaOptions o;
            o.runLength = rle;
            o.idLength = c.idLength;
            o.colourMapType = c.mapLength ? 1 : 0;
            o.mapLength = c.mapLength;
            o.mapEntryBits = c.mapBits;
            ExpectPicture(WriteTga(p, o), p, 24,
                          "id " + std::to_string(c.idLength) + " map " + std::to_string(c.mapLength) + "x" +
                              std::to_string(c.mapBits));
        }
    }
    // A map length without a map type is no map.
    const TgaPicture p = TgaPhotoLike(3, 3, 24);
    Bytes file = WriteTga(p);
    file[5] = 0xFF;
    file[7] = 24;
    ExpectPicture(file, p, 24, "map length without a map");
}

TEST(TgaVerify, AcceptsOnlyTheTrueColourTypes) {
    const TgaPicture p = TgaPhotoLike(4, 2, 24);
    for (int type = 0; type < 256; ++type) {
        TgaOptions o;
        o.imageType = type ? type : 256;  // 256 writes 0
        const Bytes file = WriteTga(p, o);
        const bool wanted = type == 2 || type == 10;
        EXPECT_EQ(wanted, IsTga(file)) << type;
        if (!wanted) {
            DIBImage out;
            EXPECT_FALSE(DecodeTga(file, out)) << type;
        }
    }
    // The header must be whole.
    const Bytes file = WriteTga(p);
    EXPECT_TRUE(IsTga(std::span(file).first(18)));
    EXPECT_FALSE(IsTga(std::span(file).first(17)));
    EXPECT_FALSE(IsTga({}));
}

// Files that cannot give a picture: each is refused, and the sanitizers check that nothing
// outside the file or the record is touched on the way.
TEST(TgaDecode, RefusesBrokenHeaders) {
    const TgaPicture p = TgaPhotoLike(4, 3, 24);
    struct Case {
        const char* what;
        TgaOptions options;
        DecodeStatus status;
    };
    constexpr DecodeStatus kInvalid = DecodeStatus::Invalid, kUnsupported = DecodeStatus::Unsupported;
    const Case cases[] = {
        {"width 0", {.width16 = 0}, kInvalid},
        {"height 0", {.height16 = 0}, kInvalid},
        {"negative width", {.width16 = 0x8000}, kInvalid},
        {"width -1", {.width16 = 0xFFFF}, kInvalid},
        {"negative height", {.height16 = 0xFFFC}, kInvalid},
        {"depth 8", {.depth = 8}, kUnsupported},
        {"depth 0", {.depth = 0}, kUnsupported},
        {"depth 17", {.depth = 17}, kUnsupported},
        {"depth 64", {.depth = 64}, kUnsupported},
        {"rle depth 8", {.depth = 8, .runLength = true}, kUnsupported},
        {"colour-mapped type", {.imageType = 1}, DecodeStatus::NotThisFormat},
        // Raw pixels are bounded exactly by the data, run-length ones at 128 pixels a packet.
        {"huge picture in a tiny file", {.width16 = 32767, .height16 = 16000}, DecodeStatus::Truncated},
        {"huge rle picture in a tiny file", {.runLength = true, .width16 = 32767, .height16 = 16000},
         DecodeStatus::TooLarge},
        {"record beyond 2 GB", {.width16 = 32767, .height16 = 32767}, DecodeStatus::TooLarge},
    };
    for (const Case& c : cases) {
        DIBImage out;
        EXPECT_EQ(c.status, DecodeTga(WriteTga(p, c.options), out).status) << c.what;
    }
    // A colour map longer than the file.
    Bytes file = WriteTga(p, TgaOptions{.colourMapType = 1, .mapLength = 4, .mapEntryBits = 32});
    file[5] = file[6] = 0xFF;
    DIBImage out;
    EXPECT_EQ(DecodeStatus::Truncated, DecodeTga(file, out).status);
}

// A file cut anywhere before its last pixel byte fails, whatever its depth and coding.
TEST(TgaDecode, RefusesEveryTruncation) {
    for (int depth : {16, 24, 32}) {
        for (bool rle : {false, true}) {
            const TgaPicture p = TgaRandomContent(5, 3, depth, 4);
            TgaOptions o;
            o.depth = depth;
            o.runLength = rle;
            o.idLength = 2;
            const Bytes file = WriteTga(p, o);
            for (std::size_t n = 0; n < file.size(); ++n) {
                const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
                DIBImage out;
                EXPECT_FALSE(DecodeTga(cut, out)) << "depth " << depth << " rle " << rle << " size " << n;
            }
            DIBImage out;
            EXPECT_TRUE(DecodeTga(file, out));
        }
    }
}

// The stream must end at the last pixel: a packet reaching beyond it fails (its pixels would fall
// outside the picture); bytes after the last packet, such as a file footer, are ignored.
TEST(TgaDecode, RunLengthStreamMustEndAtTheLastPixel) {
    Bytes head = WriteTga(TgaPicture{3, 2, std::vector<std::uint32_t>(6)}, TgaOptions{.runLength = true});
    head.resize(18);
    struct Case {
        Bytes packets;
        bool ok;
    };
    const Case cases[] = {
        {{0x85, 1, 2, 3}, true},
        {{0x86, 1, 2, 3}, false},
        {{0x84, 1, 2, 3, 0x81, 4, 5, 6}, false},
        {{0x04, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 0x01, 6, 6, 6, 7, 7, 7}, false},
        {{0xFF, 1, 2, 3}, false},
        {{0x85, 1, 2, 3, 0xFF, 0xFF, 'T', 'R', 'U', 'E', 'V'}, true},
        {{0x84, 1, 2, 3}, false},  // one pixel missing
        {{0x80, 1, 2, 3, 0x80, 1, 2, 3, 0x80, 1, 2, 3, 0x80, 1, 2, 3, 0x80, 1, 2, 3, 0x80, 1, 2, 3}, true},
    };
    for (const Case& c : cases) {
        Bytes file = head;
        file.insert(file.end(), c.packets.begin(), c.packets.end());
        DIBImage out;
        EXPECT_EQ(c.ok, DecodeTga(file, out)) << "packets of " << c.packets.size() << " bytes";
    }
}

// Rows as wide as the 16-bit header allows decode: wider than 32767 bytes per row, too.
TEST(TgaDecode, WideRowsDecode) {
    for (int depth : {16, 24, 32}) {
        for (bool rle : {false, true}) {
            const TgaPicture p = TgaPhotoLike(32767, 2, depth, 5);
            TgaOptions o;
            o.depth = depth;
            o.runLength = rle;
            ExpectPicture(WriteTga(p, o), p, depth, "depth " + std::to_string(depth));
        }
    }
}

// A record used before (larger, smaller, or holding another picture) ends up exactly as a fresh one.
TEST(TgaDecode, ReusedRecordEqualsAFreshOne) {
    DIBImage reused;
    for (int width : {9, 3, 9, 1, 4}) {
        const TgaPicture p = TgaRandomContent(width, 4, 24, width);
        const Bytes file = WriteTga(p, TgaOptions{.runLength = width % 2 == 1});
        std::fill(reused.Bits.begin(), reused.Bits.end(), 0x55);
        ASSERT_TRUE(DecodeTga(file, reused));
        DIBImage fresh;
        ASSERT_TRUE(DecodeTga(file, fresh));
        EXPECT_EQ(fresh.Bits, reused.Bits) << width;
        EXPECT_EQ(fresh.Width, reused.Width);
    }
}

}  // namespace

namespace {

// Files whose rows already lie as the record's would are drawn straight from their bytes: exactly
// the uncompressed 24-bit files with rows of a multiple of 4 bytes, and their rows are the very
// rows DecodeTga gives (in the file's order).
TEST(TgaRows, OnlyAlignedRawTwentyFourBitFilesAreDrawnFromTheirBytes) {
    for (int width = 1; width <= 9; ++width) {
        for (bool topDown : {false, true}) {
            const TgaPicture p = TgaRandomContent(width, 3, 24, static_cast<std::uint32_t>(width));
            const Bytes file = WriteTga(p, TgaOptions{.topDown = topDown, .idLength = 3});
            const std::optional<TgaRows> rows = RawTgaRows(file);
            ASSERT_EQ(width % 4 == 0, rows.has_value()) << width;
            if (!rows) continue;
            DIBImage out;
            ASSERT_TRUE(DecodeTga(file, out));
            EXPECT_EQ(width, rows->width);
            EXPECT_EQ(3, rows->height);
            EXPECT_EQ(!topDown, rows->bottomUp);
            const std::size_t row = static_cast<std::size_t>(width) * 3;
            ASSERT_EQ(out.Bits.size(), rows->bits.size());
            for (std::size_t r = 0; r < 3; ++r) {
                const std::size_t record = topDown ? r : 2 - r;
                EXPECT_TRUE(std::equal(rows->bits.begin() + r * row, rows->bits.begin() + (r + 1) * row,
                                       out.Bits.begin() + record * row))
                    << width << " row " << r;
            }
        }
    }
    const TgaPicture p = TgaRandomContent(4, 2, 24, 1);
    Bytes cut = WriteTga(p);
    cut.pop_back();
    for (const Bytes& other : {WriteTga(p, TgaOptions{.runLength = true}), WriteTga(TgaRandomContent(4, 2, 32, 1), TgaOptions{.depth = 32}),
                               WriteTga(TgaRandomContent(4, 2, 16, 1), TgaOptions{.depth = 16}), cut}) {
        EXPECT_FALSE(RawTgaRows(other).has_value());
    }
}

}  // namespace
