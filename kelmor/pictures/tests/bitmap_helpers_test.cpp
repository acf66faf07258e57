// The bitmap helpers: pixel records turned into pictures (pixels read back exactly), the owner
// classes' selection and release of their handles, and the errors they raise.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Kelmor0200.h"
#include "TestSupport.h"
#include "Variants.h"
#include "Owners.h"
#include "pictures/CCompatibleDC.h"
#include "pictures/modBitmapWorks.h"

namespace {

using kelmor::CCompatibleDC;
using kelmor::UniqueBitmap;
using kelmor::modBitmapWorks::NewBackBitmap;
using kelmor::modBitmapWorks::PictureFromBitmap;
using kelmor::core::DIBImage;
using kelmor::modBitmapWorks::CreatePictureFromDIB;
using kelmor::test::Hr;
using Microsoft::WRL::ComPtr;

constexpr HRESULT kError5 = static_cast<HRESULT>(0x800A0005);
constexpr HRESULT kError51 = static_cast<HRESULT>(0x800A0033);

// The thread's error information as "source|description" (taken).
std::wstring TakeError() {
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return L"<none>";
    BSTR source = nullptr, description = nullptr;
    info->GetSource(&source);
    info->GetDescription(&description);
    info->Release();
    return kelmor::test::Take(source) + L"|" + kelmor::test::Take(description);
}

std::wstring Raised(const wchar_t* description) {
    return L"Kelmor0200.nvkMain|" + std::wstring(description);
}

HBITMAP HandleOf(IPictureDisp* picture) {
    ComPtr<IPicture> p;
    OLE_HANDLE handle = 0;
    if (FAILED(picture->QueryInterface(IID_PPV_ARGS(&p))) || FAILED(p->get_Handle(&handle))) return nullptr;
    return reinterpret_cast<HBITMAP>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
}

// The bitmap's pixels read back as 24-bit rows, top row first, without the rows' padding.
std::vector<std::uint8_t> Pixels24(HBITMAP bitmap, LONG width, LONG height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const std::size_t stride = *kelmor::core::GetScanlineLength(width, 24);
    std::vector<std::uint8_t> rows(stride * height), pixels;
    const HDC screen = GetDC(nullptr);
    EXPECT_EQ(height, GetDIBits(screen, bitmap, 0, height, rows.data(), &info, DIB_RGB_COLORS));
    ReleaseDC(nullptr, screen);
    for (LONG y = 0; y < height; ++y)
        pixels.insert(pixels.end(), &rows[y * stride], &rows[y * stride] + width * 3);
    return pixels;
}

// A record whose every pixel differs from its neighbours, rows padded with junk.
DIBImage Record(LONG width, LONG height, LONG bpp) {
    DIBImage r;
    r.Width = width, r.Height = height, r.BPP = bpp;
    for (int i = 0; i < 256; ++i) r.Palette[i] = (i * 0x010307 + 0x102030) & 0xFFFFFF;
    const std::size_t stride = *kelmor::core::GetScanlineLength(width, bpp);
    r.Bits.assign(stride * height, 0xA5);
    for (LONG y = 0; y < height; ++y)
        for (std::size_t x = 0; x < static_cast<std::size_t>(width * bpp / 8); ++x)
            r.Bits[y * stride + x] = static_cast<std::uint8_t>(y * 61 + x * 17 + 3);
    return r;
}

// The record's pixels as 24-bit rows without padding: its own bytes, or its palette's colours.
std::vector<std::uint8_t> Expected24(const DIBImage& r) {
    const std::size_t stride = *kelmor::core::GetScanlineLength(r.Width, r.BPP);
    std::vector<std::uint8_t> pixels;
    for (LONG y = 0; y < r.Height; ++y)
        for (LONG x = 0; x < r.Width * 3; ++x) {
            const std::uint8_t* row = &r.Bits[y * stride];
            pixels.push_back(r.BPP == 24 ? row[x]
                                         : static_cast<std::uint8_t>(r.Palette[row[x / 3]] >> (x % 3 * 8)));
        }
    return pixels;
}

class BitmapHelpers : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(BitmapHelpers, PicturesCarryTheRecordsPixelsTopRowFirst) {
    const LONG sizes[][3] = {{1, 1, 24}, {1, 3, 24}, {2, 3, 24}, {3, 2, 24}, {1, 1, 8},
                             {1, 3, 8},  {2, 3, 8},  {3, 2, 8},  {16, 16, 8}};  // 16 x 16: all 256 colours
    for (const auto& [width, height, bpp] : sizes) {
        SCOPED_TRACE(testing::Message() << width << " x " << height << " at " << bpp);
        const DIBImage record = Record(width, height, bpp);
        ComPtr<IPictureDisp> picture;
        ASSERT_EQ(Hr(S_OK), Hr(CreatePictureFromDIB(record, picture.GetAddressOf())));
        const HBITMAP bitmap = HandleOf(picture.Get());
        BITMAP b{};
        ASSERT_EQ(static_cast<int>(sizeof b), GetObjectW(bitmap, sizeof b, &b));
        EXPECT_EQ(width, b.bmWidth);
        EXPECT_EQ(height, b.bmHeight);
        EXPECT_EQ(24, b.bmBitsPixel) << "the back bitmap gives the new bitmap its format";
        EXPECT_EQ(Expected24(record), Pixels24(bitmap, width, height));
    }
}

TEST_F(BitmapHelpers, BadRecordsAreRefusedBeforeAnyPixelIsRead) {
    std::vector<DIBImage> bad(8, Record(3, 2, 24));
    bad[0].Width = 0, bad[1].Height = 0, bad[2].Width = -3, bad[3].BPP = 32, bad[4].BPP = 1;
    bad[5].Bits.pop_back();
    bad[6].Bits.clear();
    bad[7].Width = 0x7FFFFFF0;  // its row length overflows
    for (const DIBImage& record : bad) {
        IPictureDisp* picture = reinterpret_cast<IPictureDisp*>(1);
        EXPECT_EQ(Hr(kError5), Hr(CreatePictureFromDIB(record, &picture)));
        EXPECT_EQ(nullptr, picture);
        EXPECT_EQ(L"Kelmor0200.nvkMain|Invalid procedure call or argument", TakeError());
    }
    LONG length = 7;
    EXPECT_EQ(Hr(static_cast<HRESULT>(0x800A0006)),
              Hr(kelmor::modBitmapWorks::GetScanlineLength(0x7FFFFFFF, 8, &length)));
    EXPECT_EQ(Hr(S_OK), Hr(kelmor::modBitmapWorks::GetScanlineLength(5, 24, &length)));
    EXPECT_EQ(16, length);
}

// The process's GDI objects. Wine does not answer GetGuiResources (0, ERROR_CALL_NOT_IMPLEMENTED),
// but it takes a handle's table index alone for the handle, so there the live entries are counted.
DWORD CountGdiObjects() {
    if (const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return count;
    DWORD count = 0;
    for (ULONG_PTR index = 1; index <= 0xFFFF; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
    return count;
}

TEST_F(BitmapHelpers, NoHandleOutlivesThePicture) {
    const DWORD before = CountGdiObjects();
    ASSERT_NE(0u, before) << "no way to count the GDI objects";
    for (int i = 0; i < 200; ++i) {
        ComPtr<IPictureDisp> picture;
        ASSERT_EQ(Hr(S_OK), Hr(CreatePictureFromDIB(Record(3, 2, i % 2 ? 8 : 24), picture.GetAddressOf())));
        const HBITMAP bitmap = HandleOf(picture.Get());
        ASSERT_EQ(OBJ_BITMAP, static_cast<int>(GetObjectType(bitmap)));
        picture.Reset();
        ASSERT_EQ(0u, GetObjectType(bitmap)) << "the picture owned its bitmap and deleted it";
    }
    EXPECT_LE(CountGdiObjects(), before);
}

TEST_F(BitmapHelpers, ContextPutsItsInitialBitmapBackAndIsDeleted) {
    std::unique_ptr<CCompatibleDC> dc;
    ASSERT_EQ(Hr(S_OK), Hr(CCompatibleDC::Create(&dc)));
    const HDC handle = dc->hDC();
    const HGDIOBJ initial = GetCurrentObject(handle, OBJ_BITMAP);
    EXPECT_EQ(Hr(S_OK), Hr(dc->SelectBitmap(nullptr))) << "nothing selected yet: nothing happens";
    EXPECT_EQ(initial, GetCurrentObject(handle, OBJ_BITMAP));
    EXPECT_EQ(nullptr, dc->PreviousBitmap());

    UniqueBitmap first = NewBackBitmap(24, nullptr), second = NewBackBitmap(24, nullptr);
    ASSERT_EQ(Hr(S_OK), Hr(dc->SelectBitmap(first.get())));
    ASSERT_EQ(Hr(S_OK), Hr(dc->SelectBitmap(second.get())));
    EXPECT_EQ(second.get(), GetCurrentObject(handle, OBJ_BITMAP));
    EXPECT_EQ(initial, dc->PreviousBitmap()) << "the initial bitmap is remembered, not the first one";
    EXPECT_EQ(Hr(kError51), Hr(dc->SelectBitmap(reinterpret_cast<HBITMAP>(handle))));
    EXPECT_EQ(Raised(L"Can't select bitmap."), TakeError());
    EXPECT_EQ(Hr(kError51), Hr(dc->BitBlt(nullptr, 0, 0, 1, 1, 0, 0, SRCCOPY)));
    EXPECT_EQ(Raised(L"Cant BitBlt to target DC."), TakeError());
    UniqueBitmap bitmap;
    EXPECT_EQ(Hr(kError51), Hr(dc->CreateCompatibleBitmap(0x7FFFFFFF, 0x7FFFFFFF, &bitmap)));
    EXPECT_EQ(Raised(L"Can't create compatible bitmap."), TakeError());
    EXPECT_FALSE(bitmap);

    ASSERT_EQ(Hr(S_OK), Hr(dc->SelectBitmap(second.get())));
    dc.reset();
    EXPECT_EQ(0u, GetObjectType(handle));
    // Neither bitmap is left selected anywhere, so both can be deleted.
    EXPECT_TRUE(DeleteObject(first.release()));
    EXPECT_TRUE(DeleteObject(second.release()));
}

TEST_F(BitmapHelpers, BackBitmapTakesTheGivenPaletteAndDeletesItsSection) {
    std::vector<RGBQUAD> palette(256);
    for (int i = 0; i < 256; ++i) palette[i] = {static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 7, 0};
    UniqueBitmap back = NewBackBitmap(8, palette.data());
    const HBITMAP handle = back.get();
    DIBSECTION section{};
    ASSERT_EQ(static_cast<int>(sizeof section), GetObjectW(handle, sizeof section, &section));
    EXPECT_EQ(1, section.dsBm.bmWidth);
    EXPECT_EQ(8, section.dsBm.bmBitsPixel);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, handle);
    std::vector<RGBQUAD> table(256);
    EXPECT_EQ(256u, GetDIBColorTable(dc, 0, 256, table.data()));
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_EQ(0, std::memcmp(palette.data(), table.data(), 1024));
    back.reset();
    EXPECT_EQ(0u, GetObjectType(handle));
}

TEST_F(BitmapHelpers, PictureTakesTheBitmapOverOrLeavesItToItsOwner) {
    UniqueBitmap bitmap(CreateBitmap(2, 2, 1, 1, nullptr));
    const HBITMAP made = bitmap.get();
    ComPtr<IPictureDisp> picture;
    ASSERT_EQ(Hr(S_OK), Hr(PictureFromBitmap(bitmap, picture.GetAddressOf())));
    EXPECT_FALSE(bitmap) << "the picture owns the bitmap now";
    // A GDI handle's significant bits are its low 32; the picture's copy widens with its sign.
    EXPECT_EQ(static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(made)),
              static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(HandleOf(picture.Get()))));

    UniqueBitmap none;
    EXPECT_TRUE(FAILED(PictureFromBitmap(none, picture.ReleaseAndGetAddressOf())));
    EXPECT_EQ(nullptr, picture);
    EXPECT_EQ(L"Kelmor0200.nvkMain|", TakeError().substr(0, 19)) << "a support-library failure is raised";

    auto kept = std::make_unique<UniqueBitmap>(CreateBitmap(2, 2, 1, 1, nullptr));
    const HBITMAP handle = kept->get();
    kept.reset();
    EXPECT_EQ(0u, GetObjectType(handle)) << "a bitmap no picture took over is deleted with its owner";
}

}  // namespace
