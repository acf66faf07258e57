// The Photoshop document decoder against an independent one (stb_image): a few hundred small files of
// every compression, channel count and odd width, photo-like and random, must give the same pixels.
// Two deliberate differences are checked in their own form:
// - with fewer than three channels the file's channels fill blue first (one channel: blue; two: green
//   and blue), where stb_image fills red first; the record keeps this decoder's slot order, which
//   stored pictures already show;
// - with an alpha channel, stb_image divides partly transparent colours out of a white matte; this
//   decoder drops alpha and shows the stored colours, so the files of the pixel comparison keep alpha
//   at 0 or 255 and a separate case shows the stored colours survive;
// - truncated files: the reference reads zeros past the end; we refuse them;
// - a colour channel's last packet one pixel long is accepted here, refused there; 16 bits per channel
//   are read there, refused here.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "PsdWriter.h"
#include "pictures/core/PsdDecoder.h"
#include "stb_image.h"

namespace {

using kelmor::core::DecodePsd;
using kelmor::core::DIBImage;
using namespace kelmor::test::psd;

// stb_image's RGB pixels of a file, empty when it refuses it.
Bytes Reference(const Bytes& file, int& w, int& h) {
    int comp = 0;
    stbi_uc* rgb = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &comp, 3);
    if (!rgb) return {};
    Bytes pixels(rgb, rgb + static_cast<std::size_t>(w) * h * 3);
    stbi_image_free(rgb);
    return pixels;
}

struct Compared {
    bool decoded = false;
    int mismatches = 0;
};

// Decodes with both and compares pixel by pixel; `map` gives the reference channel (0 red, 1 green,
// 2 blue, -1 zero) for each of our red, green, blue.
Compared Compare(const Bytes& file, const int (&map)[3] = {0, 1, 2}) {
    Compared result;
    DIBImage ours;
    int w = 0, h = 0;
    const Bytes theirs = Reference(file, w, h);
    result.decoded = DecodePsd(file, ours);
    if (!result.decoded || theirs.empty() || ours.Width != w || ours.Height != h) {
        result.mismatches = -1;
        return result;
    }
    const std::size_t row = (static_cast<std::size_t>(w) * 3 + 3) / 4 * 4;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* o = &ours.Bits[y * row + x * 3];
            const std::uint8_t* t = &theirs[(static_cast<std::size_t>(y) * w + x) * 3];
            const std::uint8_t ourRgb[3] = {o[2], o[1], o[0]};
            for (int c = 0; c < 3; ++c) {
                const std::uint8_t want = map[c] < 0 ? 0 : t[map[c]];
                if (ourRgb[c] != want) ++result.mismatches;
            }
        }
    }
    return result;
}

// Alpha of 0 or 255 only, which the reference leaves alone.
Bytes WithPlainAlpha(Bytes planes, std::size_t pixels, std::uint32_t seed) {
    for (std::size_t i = 0; i < pixels; ++i) planes[3 * pixels + i] = ((i * 7 + seed) % 3) ? 255 : 0;
    return planes;
}

TEST(PsdDifferential, SmallFilesDecodeLikeTheReference) {
    int files = 0;
    for (std::uint32_t w = 1; w <= 9; ++w) {
        for (std::uint32_t h : {1u, 2u, 5u}) {
            for (std::uint16_t channels : {3, 4, 5}) {
                for (Packing packing : {Packing::Raw, Packing::PackBitsRows, Packing::PackBitsStream}) {
                    for (bool photo : {true, false}) {
                        const std::uint32_t seed = w * 100 + h * 10 + channels;
                        Bytes planes =
                            photo ? PhotoPlanes(w, h, channels, seed) : RandomPlanes(w, h, channels, seed);
                        if (channels >= 4) planes = WithPlainAlpha(planes, std::size_t{w} * h, seed);
                        Options o;
                        o.width = w;
                        o.height = h;
                        o.channels = channels;
                        o.packing = packing;
                        o.colourModeLength = (w % 3 == 0) ? 768 : 0;
                        o.resourcesLength = w % 2 ? 0 : 30;
                        const Compared c = Compare(Encode(o, planes));
                        EXPECT_TRUE(c.decoded);
                        EXPECT_EQ(0, c.mismatches)
                            << "width " << w << ", height " << h << ", channels " << channels << ", packing "
                            << static_cast<int>(packing) << ", photo " << photo;
                        ++files;
                    }
                }
            }
        }
    }
    EXPECT_EQ(486, files);
}

TEST(PsdDifferential, FewChannelsFillBlueFirstWhereTheReferenceFillsRedFirst) {
    // One channel: ours blue = its red; two: ours green = its red, ours blue = its green; red stays 0.
    int files = 0;
    for (std::uint16_t channels : {1, 2}) {
        const int map1[3] = {-1, -1, 0};
        const int map2[3] = {-1, 0, 1};
        for (std::uint32_t w = 1; w <= 9; ++w) {
            for (Packing packing : {Packing::Raw, Packing::PackBitsRows, Packing::PackBitsStream}) {
                Options o;
                o.width = w;
                o.height = 3;
                o.channels = channels;
                o.packing = packing;
                const Compared c =
                    Compare(Encode(o, PhotoPlanes(w, 3, channels, w)), channels == 1 ? map1 : map2);
                EXPECT_TRUE(c.decoded);
                EXPECT_EQ(0, c.mismatches) << "channels " << channels << ", width " << w;
                ++files;
            }
        }
    }
    EXPECT_EQ(54, files);
}

TEST(PsdDifferential, PartlyTransparentColoursAreShownAsStored) {
    // The reference removes a white matte where alpha is between 0 and 255; we keep the colours.
    Options o;
    o.width = 4;
    o.height = 2;
    o.channels = 4;
    Bytes planes = PhotoPlanes(4, 2, 4, 3);
    for (std::size_t i = 0; i < 8; ++i) planes[24 + i] = 128;
    const Bytes file = Encode(o, planes);
    DIBImage ours;
    ASSERT_TRUE(DecodePsd(file, ours));
    EXPECT_EQ(ExpectedBits(4, 2, 3, planes), ours.Bits);
    const Compared c = Compare(file);
    EXPECT_GT(c.mismatches, 0);  // the reference indeed differs here
}

TEST(PsdDifferential, TruncatedFilesAreRefusedWhereTheReferencePadsWithZeros) {
    // The reference reads zeros past the end of its input and decodes truncated files; a picture made
    // of data that is not there would hide the damage, so we refuse every one of them.
    int padded = 0, cuts = 0;
    for (Packing packing : {Packing::Raw, Packing::PackBitsStream}) {
        for (std::uint32_t w : {3u, 8u}) {
            Options o;
            o.width = w;
            o.height = 4;
            o.packing = packing;
            const Bytes file = Encode(o, RandomPlanes(w, 4, 3, w));
            for (std::size_t cut = 41; cut < file.size(); ++cut) {
                const Bytes part(file.begin(), file.begin() + cut);
                int rw = 0, rh = 0;
                if (!Reference(part, rw, rh).empty()) ++padded;
                DIBImage ours;
                EXPECT_FALSE(DecodePsd(part, ours)) << "width " << w << ", cut " << cut;
                ++cuts;
            }
        }
    }
    EXPECT_GT(padded, 0);
    std::printf("truncated files: %d, decoded by the reference: %d, by us: 0\n", cuts, padded);
}

TEST(PsdDifferential, OneSurplusPixelAndSixteenBitsAreWhereTheReferencesPartWays) {
    // A colour channel whose last packet runs one pixel long: we accept it (the pixel is not shown),
    // the reference refuses. 16 bits per channel: the reference reads it, we refuse it.
    Options o;
    o.width = 3;
    o.packing = Packing::PackBitsRows;
    Bytes file = Header(o);
    file.insert(file.end(), 6, 0);
    file.insert(file.end(), {0xFD, 1, 0xFE, 2, 0xFE, 3});  // red runs to 4 pixels
    DIBImage ours;
    EXPECT_TRUE(DecodePsd(file, ours));
    EXPECT_EQ((Bytes{3, 2, 1, 3, 2, 1, 3, 2, 1, 0, 0, 0}), ours.Bits);
    int w = 0, h = 0;
    EXPECT_TRUE(Reference(file, w, h).empty());

    Options deep;
    deep.width = 2;
    deep.depth = 16;
    const Bytes wide = Encode(deep, RandomPlanes(4, 1, 3, 5));
    EXPECT_FALSE(DecodePsd(wide, ours));
    EXPECT_FALSE(Reference(wide, w, h).empty());
}

}  // namespace
