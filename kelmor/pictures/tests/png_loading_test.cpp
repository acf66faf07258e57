// PNG files through nvkMain.LoadPictureEx with Sarvik.dll beside the library: palette pictures
// give 8 bits, the rest 24, with the written colours; files that are not whole PNG files and names
// the ANSI code page cannot hold end in 481; Sarvik is taken from the library's folder only.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "Kelmor0200.h"
#include "PictureLoadingFixture.h"
#include "PngWriter.h"
#include "TestSupport.h"
#include "frame/tests/AppServicesTestSupport.h"

namespace {

using kelmor::test::BesideExe;
using kelmor::test::ErrorInfoText;
using kelmor::test::Hr;
using kelmor::test::PictureLoadingFixture;
using kelmor::test::Utf8;
using Microsoft::WRL::ComPtr;
namespace png = kelmor::test::png;

constexpr HRESULT kError481 = static_cast<HRESULT>(0x800A01E1);

class PngLoading : public PictureLoadingFixture {
protected:
    // Every pixel of the loaded picture against the colours a correct reader delivers.
    static void ExpectColours(IPictureDisp* picture, const png::Picture& p, int tolerance) {
        const auto w = static_cast<LONG>(p.width), h = static_cast<LONG>(p.height);
        const Bytes rows = Pixels(picture, w, h);
        ASSERT_EQ(RowBytes(w) * h, rows.size());
        for (std::uint32_t y = 0; y < p.height; ++y)
            for (std::uint32_t x = 0; x < p.width; ++x) {
                const auto want = png::Expected(p, x, y);
                for (int c = 0; c < 3; ++c)
                    ASSERT_NEAR(want[c], rows[y * RowBytes(w) + 3 * x + c], tolerance)
                        << "pixel " << x << "," << y << " channel " << c;
            }
    }
};

TEST_F(PngLoading, PalettePicturesGiveEightBitsTheOthersTwentyFour) {
    struct Case { png::ColourType type; int depth; bool interlaced; LONG bpp; };
    const Case cases[] = {{png::kPalette, 8, false, 8}, {png::kPalette, 2, true, 8},  {png::kRgb, 8, false, 24},
                          {png::kRgba, 8, true, 24},    {png::kGrey, 16, false, 24}, {png::kGreyAlpha, 8, false, 24}};
    for (const Case& c : cases) {
        for (std::uint32_t width = 1; width <= 5; ++width) {
            SCOPED_TRACE(testing::Message() << "colour type " << int{c.type} << ", depth " << c.depth << ", width "
                                            << width);
            const png::Picture p = png::Sample(c.type, c.depth, width, 4, c.interlaced, width);
            ComPtr<IPictureDisp> picture;
            ASSERT_EQ(Hr(S_OK), Hr(Load(Write(L"picture.png", png::Encode(p)), picture))) << Utf8(ErrorInfoText());
            EXPECT_EQ((Reported{static_cast<LONG>(width), 4, c.bpp, nvkPtePNG}), Info());
            ExpectColours(picture.Get(), p, c.depth == 16 ? 2 : 1);
        }
    }
}

TEST_F(PngLoading, WhatSarvikCannotReadEndsIn481) {
    png::Bytes cut = png::Encode(png::Sample(png::kRgb, 8, 6, 6, false));
    cut.resize(cut.size() / 2);
    const png::Bytes whole = png::Encode(png::Sample(png::kRgb, 8, 2, 2, false));
    Write(L"a.png", whole);  // what a best-fit conversion of the next name would open
    const struct { const wchar_t* name; png::Bytes bytes; } cases[] = {
        {L"cut.png", cut},
        {L"\u0101.png", whole},          // a with macron: no exact form in code page 1251
        {L"\u56FE\u7247.png", whole},    // Chinese: none either
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Utf8(c.name));
        ComPtr<IPictureDisp> picture;
        EXPECT_EQ(Hr(kError481), Hr(Load(Write(c.name, c.bytes), picture)));
        EXPECT_FALSE(picture);
        EXPECT_EQ((Reported{0, 0, 0, nvkPteNothing}), Info());
    }
}

// A copy of the library in a folder of its own, loaded by png_probe (copied there too) with
// another current folder: Sarvik beside the library is used; one in the current folder never is.
class PngBinding : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
        root_ = std::wstring(temp) + L"kelmor-png-binding-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        library_ = root_ + L"library\\";
        current_ = root_ + L"current\\";
        for (const auto& folder : {root_, library_, current_}) ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        for (const wchar_t* file : {L"Kelmor0200.dll", L"NevkitSupport0100.dll", L"png_probe.exe"}) Copy(file, library_);
        const png::Bytes bytes = png::Encode(png::Sample(png::kRgb, 8, 3, 3, false));
        HANDLE file = CreateFileW((root_ + L"picture.png").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD done = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
        CloseHandle(file);
    }
    void TearDown() override {
        for (const auto& folder : {library_, current_}) {
            for (const wchar_t* file : {L"Kelmor0200.dll", L"NevkitSupport0100.dll", L"png_probe.exe", L"Sarvik.dll",
                                        L"probe.txt"})
                DeleteFileW((folder + file).c_str());
            EXPECT_TRUE(RemoveDirectoryW(folder.c_str())) << "error " << GetLastError();
        }
        DeleteFileW((root_ + L"picture.png").c_str());
        EXPECT_TRUE(RemoveDirectoryW(root_.c_str())) << "error " << GetLastError();
    }

    void Copy(const wchar_t* file, const std::wstring& folder) {
        ASSERT_TRUE(CopyFileW(BesideExe(file).c_str(), (folder + file).c_str(), FALSE))
            << Utf8(file) << ": error " << GetLastError();
    }

    // What the probe printed: "hr=... type=... sarvik=...".
    std::string Probe() {
        wchar_t clsid[64] = {};
        StringFromGUID2(CLSID_nvkMain, clsid, 64);
        std::wstring command = L"\"" + library_ + L"png_probe.exe\" \"" + library_ + L"Kelmor0200.dll\" " + clsid +
                               L" \"" + root_ + L"picture.png\"";
        const std::wstring output = current_ + L"probe.txt";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE out = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = out;
        PROCESS_INFORMATION pi{};
        const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                            current_.c_str(), &si, &pi);
        CloseHandle(out);
        EXPECT_TRUE(started) << "error " << GetLastError();
        if (!started) return {};
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 60000));
        DWORD code = 1;
        GetExitCodeProcess(pi.hProcess, &code);
        EXPECT_EQ(0u, code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        std::string text(4096, '\0');
        HANDLE in = CreateFileW(output.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD read = 0;
        ReadFile(in, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
        CloseHandle(in);
        text.resize(read);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        return text;
    }

    std::string Expect(HRESULT hr, int type, const std::wstring& sarvik) {
        char start[40];
        std::snprintf(start, sizeof start, "hr=0x%08lX type=%d sarvik=", static_cast<unsigned long>(hr), type);
        return start + Utf8(sarvik);
    }

    std::wstring root_, library_, current_;
};

TEST_F(PngBinding, SarvikComesFromTheLibrarysFolderOnly) {
    // Missing beside the library, planted in the current folder: not recognised, and the planted
    // DLL is never loaded.
    Copy(L"Sarvik.dll", current_);
    EXPECT_EQ(Expect(kError481, -1, L"none"), Probe());

    // Beside the library: the picture loads (a bitmap, type 1) with that copy.
    Copy(L"Sarvik.dll", library_);
    const std::string beside = Probe();
    EXPECT_EQ(Expect(S_OK, PICTYPE_BITMAP, library_ + L"Sarvik.dll"), beside);
}

}  // namespace
