// Our Targa decoder against an independent one (stb_image) on a few hundred generated files:
// every depth, both orientations, uncompressed and run-length, odd widths, photo-like and random
// content. The pixels must agree exactly, except that 16-bit channels are widened differently:
// we keep the low three bits zero, stb_image scales 0..31 to 0..255.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "TgaWriter.h"
#include "pictures/core/TgaDecoder.h"
#include "stb_image.h"

namespace {

using namespace kelmor::core;
using namespace kelmor::test;

using Bytes = std::vector<std::uint8_t>;

struct StbPicture {
    int width = 0, height = 0;
    std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> rgb{nullptr, &stbi_image_free};
};

StbPicture StbDecode(const Bytes& file) {
    StbPicture p;
    int comp = 0;
    p.rgb.reset(
        stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &p.width, &p.height, &comp, 3));
    return p;
}

// What stb_image makes of a 5-bit channel that we widen to `ours` (the channel in the top bits).
std::uint8_t StbFiveBit(std::uint8_t ours) {
    return static_cast<std::uint8_t>(((ours >> 3) * 255) / 31);
}

// Compares our record with stb_image's RGB pixels; returns the number of differing bytes.
int Differences(const DIBImage& ours, const StbPicture& theirs, int depth) {
    int differing = 0;
    const std::size_t row = (static_cast<std::size_t>(ours.Width) * 3 + 3) & ~std::size_t{3};
    for (int y = 0; y < ours.Height; ++y) {
        for (int x = 0; x < ours.Width; ++x) {
            const std::uint8_t* bgr = &ours.Bits[y * row + x * 3];
            const stbi_uc* rgb = theirs.rgb.get() + (static_cast<std::size_t>(y) * theirs.width + x) * 3;
            for (int c = 0; c < 3; ++c) {
                std::uint8_t want = rgb[2 - c];
                std::uint8_t got = bgr[c];
                if (depth == 15 || depth == 16) {
                    if (got & 7) ++differing;  // our low bits must stay zero
                    got = StbFiveBit(got);
                }
                if (got != want) ++differing;
            }
        }
    }
    return differing;
}

TEST(TgaDifferential, GeneratedFilesDecodeLikeStbImage) {
    int files = 0, sixteenBit = 0;
    for (int depth : {15, 16, 24, 32}) {
        for (int width = 1; width <= 9; ++width) {
            for (int content = 0; content < 2; ++content) {
                for (int variant = 0; variant < 6; ++variant) {
                    const int height = 1 + (width * 7 + variant * 3 + content) % 6;
                    const auto seed = static_cast<std::uint32_t>(depth * 1000 + width * 10 + variant);
                    const TgaPicture p = content ? TgaRandomContent(width, height, depth, seed)
                                                 : TgaPhotoLike(width, height, depth, seed);
                    TgaOptions o;
                    o.depth = depth;
                    o.topDown = variant % 2 == 1;
                    o.runLength = variant >= 2;
                    o.packetsPerRow = variant >= 4;
                    o.idLength = static_cast<std::uint8_t>(variant == 1 ? 10 : 0);
                    const Bytes file = WriteTga(p, o);
                    const std::string what = "depth " + std::to_string(depth) + " width " +
                                             std::to_string(width) + " height " + std::to_string(height) +
                                             " content " + std::to_string(content) + " variant " +
                                             std::to_string(variant);
                    DIBImage ours;
                    ASSERT_TRUE(DecodeTga(file, ours)) << what;
                    const StbPicture theirs = StbDecode(file);
                    ASSERT_TRUE(theirs.rgb) << what << ": " << stbi_failure_reason();
                    ASSERT_EQ(theirs.width, ours.Width) << what;
                    ASSERT_EQ(theirs.height, ours.Height) << what;
                    EXPECT_EQ(0, Differences(ours, theirs, depth)) << what;
                    ++files;
                    if (depth <= 16) ++sixteenBit;
                }
            }
        }
    }
    EXPECT_EQ(432, files);
    std::printf(
        "TGA differential: %d files compared, %d of them 15/16-bit (channels compared after widening)\n",
        files, sixteenBit);
}

// Where we deliberately part from stb_image, on files it also reads differently by design:
// a true-colour file that carries a colour map (stb_image refuses it; we skip the map), and a
// file cut short (stb_image fills the missing pixels; we refuse the file rather than invent them).
TEST(TgaDifferential, DeliberateDifferences) {
    const TgaPicture p = TgaPhotoLike(5, 4, 24, 11);
    const Bytes mapped = WriteTga(p, TgaOptions{.colourMapType = 1, .mapLength = 16, .mapEntryBits = 24});
    DIBImage ours;
    EXPECT_TRUE(DecodeTga(mapped, ours));
    EXPECT_EQ(TgaExpectedBits(p, 24), ours.Bits);
    EXPECT_FALSE(StbDecode(mapped).rgb);

    Bytes cut = WriteTga(p);
    cut.resize(cut.size() - 1);
    EXPECT_FALSE(DecodeTga(cut, ours));
    EXPECT_TRUE(StbDecode(cut).rgb);
}

}  // namespace
