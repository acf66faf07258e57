// PCX files through nvkMain.LoadPictureEx: both layouts give their PictureInfo and exactly the
// written pixels; files that start like PCX but are not go on to the readers after it.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Kelmor0200.h"
#include "PcxWriter.h"
#include "PictureLoadingFixture.h"
#include "TestSupport.h"
#include "Variants.h"
#include "frame/tests/AppServicesTestSupport.h"
#include "nvkMain.h"
#include "pictures/DecodingReaders.h"
#include "pictures/PictureInfo.h"

namespace {

using kelmor::PictureInfo;
using kelmor::test::ErrorInfoText;
using kelmor::test::Hr;
using kelmor::test::PictureLoadingFixture;
using Microsoft::WRL::ComPtr;
namespace pcx = kelmor::test::pcx;

constexpr HRESULT kError481 = static_cast<HRESULT>(0x800A01E1);

// What the written picture looks like as blue, green, red bytes.
pcx::Bytes Colours(const pcx::Picture& p) {
    pcx::Bytes out;
    for (std::size_t i = 0; i < static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height); ++i) {
        if (p.planes == 1) {
            const std::uint32_t rgb = p.palette[p.pixels[i]];
            out.insert(out.end(), {static_cast<std::uint8_t>(rgb), static_cast<std::uint8_t>(rgb >> 8),
                                   static_cast<std::uint8_t>(rgb >> 16)});
        } else {
            out.insert(out.end(), {p.pixels[3 * i + 2], p.pixels[3 * i + 1], p.pixels[3 * i]});
        }
    }
    return out;
}

class PcxLoading : public PictureLoadingFixture {
protected:
    // The picture's bitmap read back as blue, green, red bytes, top row first, without padding.
    static Bytes Pixels(IPictureDisp* picture, LONG width, LONG height) {
        const Bytes rows = PictureLoadingFixture::Pixels(picture, width, height);
        if (rows.empty()) return {};
        const std::size_t stride = RowBytes(width);
        Bytes pixels;
        for (LONG y = 0; y < height; ++y)
            pixels.insert(pixels.end(), &rows[y * stride], &rows[y * stride] + width * 3);
        return pixels;
    }
};

TEST_F(PcxLoading, BothLayoutsLoadWithTheirInfoAndPixels) {
    struct Case {
        const wchar_t* name;
        pcx::Picture picture;
        pcx::Options options;
        LONG bpp;
    };
    const Case cases[] = {
        {L"odd-256.pcx", pcx::Make(5, 3, 1, pcx::Content::Photo, 1), {}, 8},
        {L"wide-256.pcx", pcx::Make(130, 7, 1, pcx::Content::Random, 2), {.padding = 0xC3}, 8},
        {L"odd-rgb.pcx", pcx::Make(7, 4, 3, pcx::Content::Photo, 3), {}, 24},
        // Named like a bitmap: only the contents count.
        {L"rgb.bmp", pcx::Make(97, 5, 3, pcx::Content::Bands, 4), {.runsAcrossLines = true}, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(kelmor::test::Utf8(c.name));
        ComPtr<IPictureDisp> picture;
        ASSERT_EQ(Hr(S_OK), Hr(Load(Write(c.name, pcx::Write(c.picture, c.options)), picture)))
            << kelmor::test::Utf8(ErrorInfoText());
        ASSERT_TRUE(picture);
        EXPECT_EQ((Reported{c.picture.width, c.picture.height, c.bpp, nvkPtePCX}), Info());
        EXPECT_EQ(Colours(c.picture), Pixels(picture.Get(), c.picture.width, c.picture.height));
    }
}

TEST_F(PcxLoading, FilesStartingWithTenThatAreNoPcxGoToTheNextReaders) {
    // A top-down 24-bit TGA with a 10-byte image ID: its first byte is 10.
    pcx::Bytes tga = {10, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0x20};
    tga.insert(tga.end(), 10, 'i');
    const pcx::Bytes pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    tga.insert(tga.end(), pixels.begin(), pixels.end());
    ComPtr<IPictureDisp> picture;
    ASSERT_EQ(Hr(S_OK), Hr(Load(Write(L"id.tga", tga), picture))) << kelmor::test::Utf8(ErrorInfoText());
    EXPECT_EQ((Reported{2, 2, 24, nvkPteTGA}), Info());
    EXPECT_EQ(pixels, Pixels(picture.Get(), 2, 2));

    // Neither PCX nor anything else: 481, and the PictureInfo holds zeros.
    pcx::Bytes cut = pcx::Write(pcx::Make(6, 6, 3, pcx::Content::Random));
    cut.resize(cut.size() / 2);
    pcx::Bytes fourPlanes = pcx::Write(pcx::Make(6, 2, 3, pcx::Content::Photo));
    fourPlanes[65] = 4;
    pcx::Bytes noPalette = pcx::Write(pcx::Make(6, 2, 1, pcx::Content::Photo), {.palette = false});
    for (const auto& [name, bytes] : {std::pair{L"cut.pcx", cut}, std::pair{L"four-planes.pcx", fourPlanes},
                                      std::pair{L"no-palette.pcx", noPalette}}) {
        SCOPED_TRACE(kelmor::test::Utf8(name));
        PictureInfo::Of(info_.Get())->SetInfo(9, 9, 9, nvkPtePCX);
        EXPECT_EQ(Hr(kError481), Hr(Load(Write(name, bytes), picture)));
        EXPECT_EQ(L"Kelmor0200.nvkMain|Invalid picture", ErrorInfoText());
        EXPECT_FALSE(picture);
        EXPECT_EQ((Reported{0, 0, 0, nvkPteNothing}), Info());
    }
}

TEST_F(PcxLoading, VerifyNeedsTwoBytesTheFirstTen) {
    kelmor::CFilePCX reader;
    EXPECT_TRUE(reader.Verify(Write(L"ten.bin", {10, 0})));
    EXPECT_FALSE(reader.Verify(Write(L"one.bin", {10})));
    EXPECT_FALSE(reader.Verify(Write(L"eleven.bin", {11, 0})));
    EXPECT_FALSE(reader.Verify(folder_ + L"missing.pcx"));
}

}  // namespace
