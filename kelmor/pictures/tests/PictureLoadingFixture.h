// The common ground of the tests that load pictures through nvkMain.LoadPictureEx: each test gets
// COM, an nvkMain, a PictureInfo and a folder of its own for the files it writes, and helpers to
// load a file, read what the PictureInfo reports and read a loaded bitmap's pixels back.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <olectl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "Kelmor0200.h"
#include "TestSupport.h"
#include "Variants.h"
#include "nvkMain.h"
#include "pictures/PictureInfo.h"

namespace kelmor::test {

class PictureLoadingFixture : public ::testing::Test {
protected:
    using Bytes = std::vector<std::uint8_t>;

    // What a PictureInfo reports.
    struct Reported {
        LONG width = 0, height = 0, bpp = 0;
        nvkPictureTypeEx type = nvkPteNothing;
        bool operator==(const Reported& o) const {
            return width == o.width && height == o.height && bpp == o.bpp && type == o.type;
        }
        friend void PrintTo(const Reported& r, std::ostream* os) {
            *os << "{" << r.width << ", " << r.height << ", " << r.bpp << ", type " << r.type << "}";
        }
    };

    // The folder is made afresh for every test, so that no test sees another's files and the
    // tests need no state shared across a suite; the process id keeps parallel runs apart.
    void SetUp() override {
        static std::atomic<unsigned> counter{0};
        wchar_t temp[MAX_PATH] = {};
        ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
        folder_ = std::wstring(temp) + L"kelmor-pictures-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(++counter) + L"\\";
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << "error " << GetLastError();
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        comInitialised_ = true;
        ASSERT_EQ(Hr(S_OK), Hr(nvkMain::CreateInstance(IID_PPV_ARGS(&main_))));
        ASSERT_EQ(Hr(S_OK), Hr(PictureInfo::CreateInstance(IID_PPV_ARGS(&info_))));
    }

    void TearDown() override {
        info_.Reset();
        main_.Reset();
        if (comInitialised_) CoUninitialize();
        comInitialised_ = false;
        RemoveFolder();
    }

    std::wstring Path(const std::wstring& name) const { return folder_ + name; }

    // Writes a file into the test's folder and returns its full path.
    std::wstring Write(const std::wstring& name, const Bytes& bytes) const {
        const std::wstring path = Path(name);
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, file) << "creating " << Utf8(path);
        if (file == INVALID_HANDLE_VALUE) return path;
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
        EXPECT_EQ(bytes.size(), written);
        CloseHandle(file);
        return path;
    }

    HRESULT Load(const std::wstring& path, Microsoft::WRL::ComPtr<IPictureDisp>& picture,
                 _PictureInfo* info) {
        // By length, so that a name with a NUL inside reaches the loader whole.
        BSTR name = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
        const HRESULT hr = main_->LoadPictureEx(name, info, picture.ReleaseAndGetAddressOf());
        SysFreeString(name);
        return hr;
    }
    HRESULT Load(const std::wstring& path, Microsoft::WRL::ComPtr<IPictureDisp>& picture) {
        return Load(path, picture, info_.Get());
    }

    static Reported Read(_PictureInfo* info) {
        Reported r;
        EXPECT_EQ(Hr(S_OK), Hr(info->Width(&r.width)));
        EXPECT_EQ(Hr(S_OK), Hr(info->Height(&r.height)));
        EXPECT_EQ(Hr(S_OK), Hr(info->ImageBPP(&r.bpp)));
        EXPECT_EQ(Hr(S_OK), Hr(info->PictureType(&r.type)));
        return r;
    }
    Reported Info() const { return Read(info_.Get()); }

    // The picture's bitmap as top-down 24-bit rows padded to 4 bytes, the padding zeroed; empty
    // when the picture holds no bitmap or it cannot be read.
    static Bytes Pixels(IPictureDisp* disp, LONG width, LONG height) {
        Microsoft::WRL::ComPtr<IPicture> picture;
        OLE_HANDLE handle = 0;
        if (!disp || FAILED(disp->QueryInterface(IID_PPV_ARGS(&picture))) ||
            FAILED(picture->get_Handle(&handle)))
            return {};
        // A GDI handle carries 32 significant bits and widens with its sign.
        const auto bitmap = reinterpret_cast<HBITMAP>(static_cast<LONG_PTR>(static_cast<LONG>(handle)));
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        const std::size_t row = RowBytes(width);
        Bytes bits(row * height);
        HDC screen = GetDC(nullptr);
        const int rows = GetDIBits(screen, bitmap, 0, height, bits.data(), &info, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        if (rows != height) return {};
        for (LONG y = 0; y < height; ++y)
            for (std::size_t p = static_cast<std::size_t>(width) * 3; p < row; ++p) bits[y * row + p] = 0;
        return bits;
    }

    // Bytes in one row of a 24-bit bitmap, padded to 4.
    static std::size_t RowBytes(LONG width) {
        return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    }

    std::wstring folder_;
    Microsoft::WRL::ComPtr<_nvkMain> main_;
    Microsoft::WRL::ComPtr<_PictureInfo> info_;

private:
    // Empties the test's folder (it holds plain files only) and removes it.
    void RemoveFolder() {
        if (folder_.empty()) return;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder_ + L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((folder_ + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        // Fails when a file is still open, i.e. a loader left a handle behind.
        EXPECT_TRUE(RemoveDirectoryW(folder_.c_str())) << "error " << GetLastError();
        folder_.clear();
    }

    bool comInitialised_ = false;
};

}  // namespace kelmor::test
