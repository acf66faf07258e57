// Sarvik.dll through its six functions, as the library's PNG reader calls them: every colour type
// and depth, interlaced or not, widths 1 to 5, delivered exactly into buffers it never overruns;
// refusals; the header kept per thread; ANSI names; the file closed after each call.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "PngRows.h"
#include "PngWriter.h"
#include "TestSupport.h"

namespace {

namespace png = kelmor::test::png;
using kelmor::test::BesideExe;
using kelmor::test::Export;

using NameFn = std::int32_t(__stdcall*)(const char*);
using GetFn = std::int32_t(__stdcall*)();
using LoadFn = std::int32_t(__stdcall*)(const char*, std::uint8_t*, std::uint8_t*);

constexpr std::uint8_t kGuard = 0xCD;
constexpr std::size_t kGuardBytes = 64;

// Text of the ANSI code page for a wide name (the tests run with code page 1251).
std::string Ansi(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(n) - 1);
    return out;
}

class Sarvik : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        library_ = LoadLibraryW(BesideExe(L"Sarvik.dll").c_str());
        ASSERT_NE(nullptr, library_) << "error " << GetLastError();
        isPng_ = Export<NameFn>(library_, "IsPNG");
        updateInfo_ = Export<NameFn>(library_, "PNGUpdateInfo");
        bpp_ = Export<GetFn>(library_, "PNGGetBPP");
        width_ = Export<GetFn>(library_, "PNGGetWidth");
        height_ = Export<GetFn>(library_, "PNGGetHeight");
        load_ = Export<LoadFn>(library_, "PNGLoad");
        ASSERT_TRUE(isPng_ && updateInfo_ && bpp_ && width_ && height_ && load_);
    }

    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
        folder_ = std::wstring(temp) + L"kelmor-sarvik-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        for (const auto& f : written_) DeleteFileW(f.c_str());
        // Fails while a file is still open: the library left a handle behind.
        EXPECT_TRUE(RemoveDirectoryW(folder_.c_str())) << "error " << GetLastError();
    }

    std::string Write(const std::wstring& name, const png::Bytes& bytes) {
        const std::wstring path = folder_ + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, file);
        DWORD done = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
        CloseHandle(file);
        written_.push_back(path);
        return Ansi(path);
    }

    // What one load delivers: the header, the rows and palette, and whether anything was
    // written past the sizes the header gives.
    struct Delivered {
        std::int32_t loaded = 0, bpp = 0, width = 0, height = 0;
        std::size_t rowLength = 0;
        std::vector<std::uint8_t> bits, palette;
        bool overrun = false;
    };
    static Delivered Load(const std::string& name) {
        Delivered d;
        if (!updateInfo_(name.c_str())) return d;
        d.bpp = bpp_();
        d.width = width_();
        d.height = height_();
        const auto row = sarvik::RowLength(d.width, d.bpp);
        if (!row) return d;
        d.rowLength = static_cast<std::size_t>(*row);
        d.bits.assign(d.rowLength * d.height + kGuardBytes, kGuard);
        d.palette.assign(1024 + kGuardBytes, kGuard);
        d.loaded = load_(name.c_str(), d.bits.data(), d.bpp == 8 ? d.palette.data() : nullptr);
        for (std::size_t i = d.bits.size() - kGuardBytes; i < d.bits.size(); ++i) d.overrun |= d.bits[i] != kGuard;
        for (std::size_t i = 1024; i < d.palette.size(); ++i) d.overrun |= d.palette[i] != kGuard;
        if (d.bpp != 8)
            for (std::size_t i = 0; i < 1024; ++i) d.overrun |= d.palette[i] != kGuard;
        return d;
    }

    inline static HMODULE library_ = nullptr;
    inline static NameFn isPng_ = nullptr, updateInfo_ = nullptr;
    inline static GetFn bpp_ = nullptr, width_ = nullptr, height_ = nullptr;
    inline static LoadFn load_ = nullptr;
    std::wstring folder_;
    std::vector<std::wstring> written_;
};

// Each layout at widths 1 to 5: the header, every pixel (indices and palette for palette
// pictures, colours over white for the rest), zeroed padding, nothing written beyond.
TEST_F(Sarvik, EveryLayoutDeliversItsPixelsExactly) {
    struct Layout { png::ColourType type; int depth; bool interlaced; bool transparency; };
    const Layout layouts[] = {
        {png::kGrey, 1, false, false},      {png::kGrey, 2, false, false},    {png::kGrey, 4, false, false},
        {png::kGrey, 8, false, false},      {png::kGrey, 16, false, false},   {png::kGreyAlpha, 8, false, false},
        {png::kGreyAlpha, 16, false, false}, {png::kRgb, 8, false, false},    {png::kRgb, 16, false, false},
        {png::kRgba, 8, false, false},      {png::kRgba, 16, false, false},   {png::kPalette, 1, false, false},
        {png::kPalette, 2, false, false},   {png::kPalette, 4, false, false}, {png::kPalette, 8, false, false},
        {png::kPalette, 8, false, true},    {png::kRgb, 8, true, false},      {png::kRgba, 16, true, false},
        {png::kGrey, 2, true, false},       {png::kPalette, 4, true, false},
    };
    for (const Layout& layout : layouts) {
        for (std::uint32_t width = 1; width <= 5; ++width) {
            const std::uint32_t height = layout.interlaced ? 9 : 3;
            png::Picture picture = png::Sample(layout.type, layout.depth, width, height, layout.interlaced, width);
            if (layout.transparency) picture.transparency = {0, 64, 128, 255, 200};
            SCOPED_TRACE(testing::Message() << "colour type " << int{layout.type} << ", depth " << layout.depth
                                            << (layout.interlaced ? ", interlaced" : "") << ", width " << width);
            const std::string name = Write(L"layout.png", png::Encode(picture));
            EXPECT_EQ(1, isPng_(name.c_str()));
            const Delivered d = Load(name);
            const bool palette = layout.type == png::kPalette;
            ASSERT_EQ(1, d.loaded);
            EXPECT_EQ(palette ? 8 : 24, d.bpp);
            EXPECT_EQ(static_cast<std::int32_t>(width), d.width);
            EXPECT_EQ(static_cast<std::int32_t>(height), d.height);
            EXPECT_FALSE(d.overrun);
            // 16-bit channels may be reduced with rounding rather than by their high byte.
            const int tolerance = layout.depth == 16 ? 2 : 1;
            for (std::uint32_t y = 0; y < height; ++y) {
                const std::uint8_t* row = &d.bits[y * d.rowLength];
                for (std::uint32_t x = 0; x < width; ++x) {
                    std::array<int, 3> got{};
                    if (palette) {
                        const std::uint16_t index = picture.samples[y * width + x];
                        ASSERT_EQ(index, row[x]) << "pixel " << x << "," << y;
                        got = {d.palette[4 * index], d.palette[4 * index + 1], d.palette[4 * index + 2]};
                        EXPECT_EQ(0, d.palette[4 * index + 3]);
                    } else {
                        got = {row[3 * x], row[3 * x + 1], row[3 * x + 2]};
                    }
                    const auto want = png::Expected(picture, x, y);
                    for (int c = 0; c < 3; ++c)
                        ASSERT_NEAR(want[c], got[c], tolerance) << "pixel " << x << "," << y << " channel " << c;
                }
                for (std::size_t p = width * (palette ? 1 : 3); p < d.rowLength; ++p)
                    ASSERT_EQ(0, row[p]) << "padding of row " << y;
            }
        }
    }
}

TEST_F(Sarvik, WhatIsNotAWholePngFileIsRefused) {
    const png::Bytes good = png::Encode(png::Sample(png::kRgb, 8, 4, 4, false));
    const std::string truncated = Write(L"truncated.png", png::Bytes(good.begin(), good.begin() + good.size() / 2));
    const std::string bitmap = Write(L"bitmap.png", png::Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0});
    const std::string tiny = Write(L"tiny.png", png::Bytes(good.begin(), good.begin() + 5));
    const std::string missing = Ansi(folder_ + L"missing.png");

    const std::string whole = Write(L"good.png", good);

    EXPECT_EQ(1, isPng_(truncated.c_str())) << "the signature is all IsPNG looks at";
    for (const std::string& name : {truncated, bitmap, tiny, missing, std::string()}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(1, updateInfo_(whole.c_str()));
        EXPECT_EQ(0, updateInfo_(name.c_str()));
        // A failed reading leaves no header of an earlier picture behind.
        EXPECT_EQ(0, bpp_());
        EXPECT_EQ(0, width_());
        EXPECT_EQ(0, height_());
        std::vector<std::uint8_t> bits(64, kGuard);
        EXPECT_EQ(0, load_(name.c_str(), bits.data(), nullptr));
        EXPECT_EQ(std::vector<std::uint8_t>(64, kGuard), bits);
    }
    for (const std::string& name : {bitmap, tiny, missing, std::string()}) EXPECT_EQ(0, isPng_(name.c_str()));
    EXPECT_EQ(0, isPng_(nullptr));
    EXPECT_EQ(0, updateInfo_(nullptr));
}

TEST_F(Sarvik, LoadWritesOnlyWhatTheLastHeaderOfThisThreadSized) {
    const std::string small = Write(L"small.png", png::Encode(png::Sample(png::kRgb, 8, 2, 2, false)));
    std::vector<std::uint8_t> bits(8 + kGuardBytes, kGuard);
    ASSERT_EQ(1, updateInfo_(small.c_str()));
    EXPECT_EQ(0, load_(small.c_str(), nullptr, nullptr));
    // The file grew after its header was read: the buffer sized for 2 x 2 is left alone.
    Write(L"small.png", png::Encode(png::Sample(png::kRgb, 8, 40, 40, false)));
    EXPECT_EQ(0, load_(small.c_str(), bits.data(), nullptr));
    EXPECT_EQ(std::vector<std::uint8_t>(bits.size(), kGuard), bits);

    // A thread that read no header loads nothing.
    std::int32_t fresh = -1;
    std::thread([&] { fresh = load_(small.c_str(), bits.data(), nullptr); }).join();
    EXPECT_EQ(0, fresh);
}

TEST_F(Sarvik, EachThreadKeepsItsOwnHeader) {
    const std::string a = Write(L"a.png", png::Encode(png::Sample(png::kPalette, 8, 2, 3, false)));
    const std::string b = Write(L"b.png", png::Encode(png::Sample(png::kRgb, 8, 5, 1, false)));
    ASSERT_EQ(1, updateInfo_(a.c_str()));
    std::int32_t other[3] = {};
    std::thread([&] {
        if (updateInfo_(b.c_str())) other[0] = bpp_(), other[1] = width_(), other[2] = height_();
    }).join();
    EXPECT_EQ(24, other[0]);
    EXPECT_EQ(5, other[1]);
    EXPECT_EQ(1, other[2]);
    EXPECT_EQ(8, bpp_());
    EXPECT_EQ(2, width_());
    EXPECT_EQ(3, height_());
    EXPECT_EQ(1, Load(a).loaded);
}

TEST_F(Sarvik, NamesAreAnsiTextAndFilesAreClosedAfterEachCall) {
    const std::wstring wide = L"\u043A\u0430\u0440\u0442\u0438\u043D\u043A\u0430.png";  // "картинка.png"
    const std::string name = Write(wide, png::Encode(png::Sample(png::kRgba, 8, 3, 2, false)));
    ASSERT_EQ(std::string::npos, name.find('?'));
    EXPECT_EQ(1, isPng_(name.c_str()));
    EXPECT_EQ(1, Load(name).loaded);
    // The same name as UTF-8 is not a name of the ANSI code page.
    const int n = WideCharToMultiByte(CP_UTF8, 0, (folder_ + wide).c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, (folder_ + wide).c_str(), -1, utf8.data(), n, nullptr, nullptr);
    EXPECT_EQ(0, isPng_(utf8.c_str()));
    EXPECT_EQ(0, updateInfo_(utf8.c_str()));
    // Nothing holds the file any more: it can be replaced and removed at once.
    EXPECT_TRUE(DeleteFileW((folder_ + wide).c_str())) << "error " << GetLastError();
}

}  // namespace
