// The cost around the decoders, measured through nvkMain.LoadPictureEx on 2048 x 2048 pictures in
// the same run as its references: a BMP against one OleLoadPicture of the same bytes from memory
// (the platform's formats are loaded once per load), and a TGA of the same pixels against reading
// the file plus CreatePictureFromDIB of the record decoded beforehand (the file is read once, and
// only the decoding is added). Each side's best of a few rounds; targets: at most 1.3 times.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "PictureLoadingFixture.h"
#include "pictures/core/TgaDecoder.h"
#include "pictures/modBitmapWorks.h"

namespace {

using Microsoft::WRL::ComPtr;
using namespace kelmor::test;
namespace bench = kelmor::bench;

constexpr int kSide = 2048;
constexpr std::size_t kRow = kSide * 3;  // a multiple of 4: no padding

// Pixels of a photograph-like gradient with some noise, rows bottom first as both files store them.
std::vector<std::uint8_t> GradientPixels() {
    std::vector<std::uint8_t> p(kRow * kSide);
    std::uint32_t seed = 12345;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            seed = seed * 1103515245 + 12345;
            std::uint8_t* px = &p[y * kRow + x * 3];
            px[0] = static_cast<std::uint8_t>((x / 8) + ((seed >> 16) & 7));
            px[1] = static_cast<std::uint8_t>((y / 8) + ((seed >> 20) & 7));
            px[2] = static_cast<std::uint8_t>(((x + y) / 16) + ((seed >> 24) & 7));
        }
    return p;
}

void Put(std::vector<std::uint8_t>& b, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> Bmp(const std::vector<std::uint8_t>& pixels) {
    std::vector<std::uint8_t> b = {'B', 'M'};
    Put(b, static_cast<std::uint32_t>(54 + pixels.size()), 4);
    Put(b, 0, 4);
    Put(b, 54, 4);
    Put(b, 40, 4);
    Put(b, kSide, 4);
    Put(b, kSide, 4);
    Put(b, 1, 2);
    Put(b, 24, 2);
    for (int i = 0; i < 6; ++i) Put(b, 0, 4);
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

std::vector<std::uint8_t> Tga(const std::vector<std::uint8_t>& pixels) {
    std::vector<std::uint8_t> b = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    Put(b, kSide, 2);
    Put(b, kSide, 2);
    b.push_back(24);
    b.push_back(0);  // bottom row first, as in the bitmap
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

template <typename Body>
double Ms(Body&& body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Each side's best of `rounds`, the two measured in turn so that a busy moment hits both alike;
// each side's picture of the round before is released first, outside the times.
template <typename Ours, typename Reference>
bench::Measured BestOfBoth(int rounds, ComPtr<IPictureDisp>& a, ComPtr<IPictureDisp>& b, Ours&& ours,
                           Reference&& reference) {
    bench::Measured m{1e300, 1e300};
    for (int i = 0; i < rounds; ++i) {
        a.Reset();
        m.ours = std::min(m.ours, Ms(ours));
        b.Reset();
        m.reference = std::min(m.reference, Ms(reference));
    }
    return m;
}

std::vector<std::uint8_t> ReadAll(const std::wstring& path) {
    std::vector<std::uint8_t> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

// One OleLoadPicture of bytes already in memory.
ComPtr<IPictureDisp> PlatformLoad(const std::vector<std::uint8_t>& bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
    GlobalUnlock(memory);
    ComPtr<IStream> stream;
    ComPtr<IPictureDisp> picture;
    if (SUCCEEDED(CreateStreamOnHGlobal(memory, TRUE, &stream)))
        OleLoadPicture(stream.Get(), static_cast<LONG>(bytes.size()), FALSE, IID_PPV_ARGS(&picture));
    return picture;
}

LONG WidthOf(IPictureDisp* picture) {
    ComPtr<IPicture> p;
    OLE_HANDLE handle = 0;
    if (!picture || FAILED(picture->QueryInterface(IID_PPV_ARGS(&p))) || FAILED(p->get_Handle(&handle))) return 0;
    BITMAP bitmap{};
    GetObjectW(LongToHandle(static_cast<LONG>(handle)), sizeof bitmap, &bitmap);
    return bitmap.bmWidth;
}

class PictureLoadingBenchmark : public PictureLoadingFixture {};

TEST_F(PictureLoadingBenchmark, BitmapLoadsOnceAndTargaAddsOnlyItsDecoding) {
    const std::vector<std::uint8_t> pixels = GradientPixels();
    const std::vector<std::uint8_t> bmp = Bmp(pixels);
    const std::wstring bmpPath = Write(L"bench.bmp", bmp);
    const std::wstring tgaPath = Write(L"bench.tga", Tga(pixels));
    const int rounds = bench::Rounds(9);

    bool ok = bench::Guard("LoadPictureEx 2048x2048 BMP vs one OleLoadPicture of its bytes", "ms", 1.3,
                           bench::Better::Lower, [&] {
                               ComPtr<IPictureDisp> ours, theirs;
                               const bench::Measured m = BestOfBoth(
                                   rounds, ours, theirs, [&] { EXPECT_EQ(Hr(S_OK), Hr(Load(bmpPath, ours))); },
                                   [&] { theirs = PlatformLoad(bmp); });
                               EXPECT_EQ(kSide, WidthOf(ours.Get()));
                               EXPECT_EQ(kSide, WidthOf(theirs.Get()));
                               return m;
                           });

    kelmor::core::DIBImage record;
    ASSERT_TRUE(kelmor::core::DecodeTga(ReadAll(tgaPath), record));
    ok = bench::Guard("LoadPictureEx 2048x2048 TGA vs file read + CreatePictureFromDIB", "ms", 1.3,
                      bench::Better::Lower,
                      [&] {
                          ComPtr<IPictureDisp> ours, theirs;
                          const bench::Measured m = BestOfBoth(
                              rounds, ours, theirs, [&] { EXPECT_EQ(Hr(S_OK), Hr(Load(tgaPath, ours))); },
                              [&] {
                                  const std::vector<std::uint8_t> bytes = ReadAll(tgaPath);
                                  EXPECT_FALSE(bytes.empty());
                                  EXPECT_EQ(Hr(S_OK), Hr(kelmor::modBitmapWorks::CreatePictureFromDIB(
                                                          record, theirs.ReleaseAndGetAddressOf())));
                              });
                          EXPECT_EQ(kSide, WidthOf(ours.Get()));
                          EXPECT_EQ(kSide, WidthOf(theirs.Get()));
                          return m;
                      }) &&
         ok;
    EXPECT_TRUE(ok) << "a target was missed";
}

}  // namespace
