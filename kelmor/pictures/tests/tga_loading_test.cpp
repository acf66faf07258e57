// Targa files through nvkMain.LoadPictureEx: the PictureInfo and the picture's pixels for every
// depth, orientation and coding, and files the reader recognises but cannot decode, which end in
// error 481 with nothing reported. Every file is written by the test writer.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Kelmor0200.h"
#include "PictureLoadingFixture.h"
#include "TestSupport.h"
#include "TgaWriter.h"
#include "Variants.h"
#include "frame/tests/AppServicesTestSupport.h"
#include "nvkMain.h"
#include "pictures/DecodingReaders.h"
#include "pictures/PictureInfo.h"

namespace {

using kelmor::PictureInfo;
using namespace kelmor::test;
using Microsoft::WRL::ComPtr;

using TgaBytes = std::vector<std::uint8_t>;

constexpr HRESULT kTgaError481 = static_cast<HRESULT>(0x800A01E1);

class TgaLoading : public PictureLoadingFixture {};

// Every depth reports 24 bits per pixel; the pixels are the written ones, the right way up.
TEST_F(TgaLoading, FilesLoadWithTheirInfoAndPixels) {
    struct Case {
        const wchar_t* name;
        int width, height;
        TgaOptions options;
    };
    const Case cases[] = {
        {L"raw24.tga", 5, 3, {}},
        {L"raw24-top-down.tga", 5, 3, {.topDown = true}},
        {L"raw32.tga", 4, 4, {.depth = 32}},
        {L"raw16.tga", 7, 2, {.depth = 16}},
        {L"rle24.tga", 6, 3, {.runLength = true}},
        {L"rle32-top-down.tga", 3, 5, {.depth = 32, .runLength = true, .topDown = true}},
        {L"rle16.tga", 9, 4, {.depth = 16, .runLength = true}},
        {L"id-and-map.tga", 2, 2, {.idLength = 10, .colourMapType = 1, .mapLength = 256, .mapEntryBits = 24}},
        {L"image.pcx", 3, 3, {}},  // the name plays no part
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.name));
        const TgaPicture p = TgaRandomContent(c.width, c.height, c.options.depth, c.width * 10 + c.height);
        ComPtr<IPictureDisp> picture;
        ASSERT_EQ(Hr(S_OK), Hr(Load(Write(c.name, WriteTga(p, c.options)), picture)))
            << Utf8(ErrorInfoText());
        ASSERT_TRUE(picture);
        EXPECT_EQ((Reported{c.width, c.height, 24, nvkPteTGA}), Info());
        EXPECT_EQ(TgaExpectedBits(p, c.options.depth), Pixels(picture.Get(), c.width, c.height));
    }
}

// The reader recognises these by their image type but cannot decode them; no reader takes them.
TEST_F(TgaLoading, UndecodableFilesRaise481AndLeaveZeros) {
    const TgaPicture p = TgaPhotoLike(4, 3, 24);
    TgaBytes cut = WriteTga(p);
    cut.resize(cut.size() - 2);
    TgaBytes overrun = WriteTga(TgaPicture{3, 1, {7, 7, 7}}, TgaOptions{.runLength = true});
    overrun[18] = 0x83;  // a run of 4 pixels in a picture of 3
    TgaBytes header = WriteTga(p);
    header.resize(18);
    const std::pair<const wchar_t*, TgaBytes> files[] = {
        {L"truncated.tga", cut},
        {L"depth8.tga", WriteTga(p, TgaOptions{.depth = 8})},
        {L"width0.tga", WriteTga(p, TgaOptions{.width16 = 0})},
        {L"negative-height.tga", WriteTga(p, TgaOptions{.height16 = 0xFFFE})},
        {L"huge.tga", WriteTga(p, TgaOptions{.width16 = 32767, .height16 = 32767})},
        {L"overrun.tga", overrun},
        {L"grey.tga", WriteTga(p, TgaOptions{.imageType = 3})},
        {L"mapped.tga", WriteTga(p, TgaOptions{.imageType = 1})},
        {L"header-only.tga", header},
    };
    const ComPtr<PictureInfo> object = PictureInfo::Of(info_.Get());
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(Utf8(name));
        object->SetInfo(9, 9, 9, nvkPtePSD);
        ComPtr<IPictureDisp> picture;
        EXPECT_EQ(Hr(kTgaError481), Hr(Load(Write(name, bytes), picture)));
        EXPECT_FALSE(picture);
        EXPECT_EQ((Reported{0, 0, 0, nvkPteNothing}), Info());
    }
}

// The check reads the header alone: a file of just the header passes, a shorter one, a missing
// one or another image type does not.
TEST_F(TgaLoading, VerifyLooksAtTheHeaderOnly) {
    const TgaBytes file = WriteTga(TgaPhotoLike(2, 2, 24), TgaOptions{.runLength = true});
    kelmor::CFileTGA reader;
    EXPECT_TRUE(reader.Verify(Write(L"whole.tga", file)));
    EXPECT_TRUE(reader.Verify(Write(L"header.tga", TgaBytes(file.begin(), file.begin() + 18))));
    EXPECT_FALSE(reader.Verify(Write(L"short.tga", TgaBytes(file.begin(), file.begin() + 17))));
    EXPECT_FALSE(reader.Verify(folder_ + L"missing.tga"));
    EXPECT_FALSE(
        reader.Verify(Write(L"grey.tga", WriteTga(TgaPhotoLike(2, 2, 24), TgaOptions{.imageType = 11}))));
}

}  // namespace
