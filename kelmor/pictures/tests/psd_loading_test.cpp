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
#include "PsdWriter.h"
#include "TestSupport.h"
#include "Variants.h"
#include "frame/tests/AppServicesTestSupport.h"
#include "nvkMain.h"
#include "pictures/CFilePSD.h"
#include "pictures/PictureFormats_Global.h"
#include "pictures/PictureInfo.h"

namespace {

using kelmor::IFileFormat;
using kelmor::nvkMain;
using kelmor::PictureInfo;
using namespace kelmor::test;
using namespace kelmor::test::psd;
using Microsoft::WRL::ComPtr;

constexpr HRESULT kPsdError481 = static_cast<HRESULT>(0x800A01E1);

// Passes every call on to the reader it wraps and counts them.
class PsdWatchedReader final : public IFileFormat {
public:
    explicit PsdWatchedReader(std::unique_ptr<IFileFormat> inner) : inner_(std::move(inner)) {}
    bool Verify(const std::wstring& fileName) override {
        ++verifies;
        return inner_->Verify(fileName);
    }
    HRESULT LoadPicture(const std::wstring& fileName, PictureInfo* info, IPictureDisp** picture) override {
        ++loads;
        return inner_->LoadPicture(fileName, info, picture);
    }
    std::unique_ptr<IFileFormat> Release() { return std::move(inner_); }
    int verifies = 0, loads = 0;

private:
    std::unique_ptr<IFileFormat> inner_;
};

class PsdLoading : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"kelmor-psd-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    static void TearDownTestSuite() {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder_ + L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((folder_ + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder_.c_str());
    }
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        ASSERT_EQ(Hr(S_OK), Hr(nvkMain::CreateInstance(IID_PPV_ARGS(&main_))));
        ASSERT_EQ(Hr(S_OK), Hr(PictureInfo::CreateInstance(IID_PPV_ARGS(&info_))));
    }
    void TearDown() override {
        info_.Reset();
        main_.Reset();
        CoUninitialize();
    }

    static std::wstring Write(const std::wstring& name, const Bytes& bytes) {
        const std::wstring path = folder_ + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        EXPECT_NE(INVALID_HANDLE_VALUE, file);
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        return path;
    }

    HRESULT Load(const std::wstring& path, ComPtr<IPictureDisp>& picture) {
        BSTR name = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
        const HRESULT hr = main_->LoadPictureEx(name, info_.Get(), picture.ReleaseAndGetAddressOf());
        SysFreeString(name);
        return hr;
    }

    // Width, height, bits per pixel and type that the PictureInfo reports.
    std::vector<LONG> Info() {
        LONG width = 0, height = 0, bpp = 0;
        nvkPictureTypeEx type = nvkPteNothing;
        info_->Width(&width);
        info_->Height(&height);
        info_->ImageBPP(&bpp);
        info_->PictureType(&type);
        return {width, height, bpp, static_cast<LONG>(type)};
    }

    // The picture's pixels as top-down 24-bit rows padded to 4 bytes, padding zeroed.
    static Bytes Pixels(IPictureDisp* disp, LONG width, LONG height) {
        ComPtr<IPicture> picture;
        OLE_HANDLE handle = 0;
        if (FAILED(disp->QueryInterface(IID_PPV_ARGS(&picture))) || FAILED(picture->get_Handle(&handle)))
            return {};
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        const size_t row = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
        Bytes bits(row * height);
        HDC screen = GetDC(nullptr);
        const int rows = GetDIBits(screen, reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), 0,
                                   height, bits.data(), &info, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        if (rows != height) return {};
        for (LONG y = 0; y < height; ++y)
            for (size_t p = static_cast<size_t>(width) * 3; p < row; ++p) bits[y * row + p] = 0;
        return bits;
    }

    static std::wstring folder_;
    ComPtr<_nvkMain> main_;
    ComPtr<_PictureInfo> info_;
};

std::wstring PsdLoading::folder_;

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
        EXPECT_EQ((std::vector<LONG>{static_cast<LONG>(c.width), static_cast<LONG>(c.height), 24, nvkPtePSD}),
                  Info());
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
        EXPECT_EQ((std::vector<LONG>{0, 0, 0, nvkPteNothing}), Info()) << "cleared by the reader that tried";
        EXPECT_GT(tga->loads + tga->verifies, before) << "the last reader was asked";
    }
    EXPECT_EQ(5, pcx->verifies);
    EXPECT_EQ(5, tga->verifies);
    set.slots[3] = pcx->Release();
    set.slots[4] = tga->Release();

    // The same file whole decodes, through the same set.
    ASSERT_EQ(Hr(S_OK), Hr(Load(Write(L"whole.psd", good), picture))) << Utf8(ErrorInfoText());
    EXPECT_EQ((std::vector<LONG>{4, 3, 24, nvkPtePSD}), Info());
}

}  // namespace
