// Photoshop documents through nvkMain.LoadPictureEx: the PictureInfo and the picture's pixels of files
// written by the test writer, and documents the reader recognises but cannot decode, which the
// readers after it are asked about before error 481 ends the load.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Kelmor0200.h"
#include "PictureLoadingFixture.h"
#include "PsdWriter.h"
#include "TestSupport.h"
#include "Variants.h"
#include "frame/tests/AppServicesTestSupport.h"
#include "nvkMain.h"
#include "pictures/DecodingReaders.h"
#include "pictures/PictureFormats_Global.h"
#include "pictures/PictureInfo.h"

namespace {

using kelmor::IFileFormat;
using kelmor::PictureInfo;
using namespace kelmor::test;
using namespace kelmor::test::psd;
using Microsoft::WRL::ComPtr;

constexpr HRESULT kPsdError481 = static_cast<HRESULT>(0x800A01E1);

// Passes every call on to the reader it wraps and counts them.
class PsdWatchedReader final : public IFileFormat {
public:
    explicit PsdWatchedReader(std::unique_ptr<IFileFormat> inner) : inner_(std::move(inner)) {}
    bool Verify(const kelmor::PictureFile& file) override {
        ++verifies;
        return inner_->Verify(file);
    }
    HRESULT LoadPicture(const kelmor::PictureFile& file, PictureInfo* info, IPictureDisp** picture) override {
        ++loads;
        return inner_->LoadPicture(file, info, picture);
    }
    std::unique_ptr<IFileFormat> Release() { return std::move(inner_); }
    int verifies = 0, loads = 0;

private:
    std::unique_ptr<IFileFormat> inner_;
};

class PsdLoading : public PictureLoadingFixture {};

TEST_F(PsdLoading, DocumentsLoadWithTheirInfoAndPixels) {
    struct Case {
        const wchar_t* name;
        std::uint32_t width, height;
        std::uint16_t channels;
        Packing packing;
    };
    const Case cases[] = {
        {L"raw.psd", 5, 3, 3, Packing::Raw},
        {L"packed.psd", 7, 4, 3, Packing::PackBitsRows},
        {L"alpha.psd", 3, 5, 4, Packing::PackBitsStream},
        {L"alpha-raw.psd", 9, 2, 4, Packing::Raw},
        {L"two.psd", 6, 2, 2, Packing::Raw},
        {L"image.tga", 4, 4, 3, Packing::PackBitsRows},  // the name plays no part
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.name));
        Options o;
        o.width = c.width;
        o.height = c.height;
        o.channels = c.channels;
        o.packing = c.packing;
        o.colourModeLength = c.channels == 3 ? 768 : 0;
        const Bytes planes = PhotoPlanes(c.width, c.height, c.channels, c.width);
        ComPtr<IPictureDisp> picture;
        ASSERT_EQ(Hr(S_OK), Hr(Load(Write(c.name, Encode(o, planes)), picture))) << Utf8(ErrorInfoText());
        ASSERT_TRUE(picture);
        EXPECT_EQ((Reported{static_cast<LONG>(c.width), static_cast<LONG>(c.height), 24, nvkPtePSD}), Info());
        EXPECT_EQ(ExpectedBits(c.width, c.height, c.channels, planes),
                  Pixels(picture.Get(), c.width, c.height));
    }
}

TEST_F(PsdLoading, UndecodableDocumentsFallThroughToTheLaterReadersAndRaise481) {
    Options o;
    o.width = 4;
    o.height = 3;
    o.packing = Packing::PackBitsRows;
    const Bytes good = Encode(o, PhotoPlanes(4, 3, 3, 1));
    Options deep = o;
    deep.depth = 16;
    Options cmyk = o;
    cmyk.mode = 4;
    Options wide = o;
    wide.width = 0x80000000u;
    const std::pair<const wchar_t*, Bytes> files[] = {
        {L"truncated.psd", Bytes(good.begin(), good.end() - 3)},
        {L"deep.psd", Encode(deep, PhotoPlanes(8, 3, 3, 1))},
        {L"cmyk.psd", Encode(cmyk, PhotoPlanes(4, 3, 4, 1))},
        {L"wide.psd", Header(wide)},
        {L"signature.psd", Bytes{'8', 'B', 'P', 'S'}},
    };

    // This thread's PCX and TGA readers are watched while the files load.
    ComPtr<IPictureDisp> picture;
    kelmor::PictureReaderSet& set = kelmor::PictureFormats_Global::InitPictureFormats();
    auto* pcx = new PsdWatchedReader(std::move(set.slots[3]));
    set.slots[3].reset(pcx);
    auto* tga = new PsdWatchedReader(std::move(set.slots[4]));
    set.slots[4].reset(tga);
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(Utf8(name));
        const std::wstring path = Write(name, bytes);
        kelmor::CFilePSD reader;
        EXPECT_TRUE(reader.Verify(path));
        const int before = tga->loads + tga->verifies;
        EXPECT_EQ(Hr(kPsdError481), Hr(Load(path, picture)));
        EXPECT_FALSE(picture);
        EXPECT_EQ((Reported{0, 0, 0, nvkPteNothing}), Info()) << "cleared by the reader that tried";
        EXPECT_GT(tga->loads + tga->verifies, before) << "the last reader was asked";
    }
    EXPECT_EQ(5, pcx->verifies);
    EXPECT_EQ(5, tga->verifies);
    set.slots[3] = pcx->Release();
    set.slots[4] = tga->Release();

    // The same file whole decodes, through the same set.
    ASSERT_EQ(Hr(S_OK), Hr(Load(Write(L"whole.psd", good), picture))) << Utf8(ErrorInfoText());
    EXPECT_EQ((Reported{4, 3, 24, nvkPtePSD}), Info());
}

}  // namespace
