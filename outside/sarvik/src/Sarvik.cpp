// Sarvik.dll: PNG pictures for the picture reader of Kelmor0200, decoded by the platform's
// imaging component (WIC). Six plain __stdcall functions; file names are NUL-terminated text of
// the ANSI code page; every result is a signed 32-bit value, 0 meaning failure or no.
//
// What is delivered: palette pictures (any index depth) as 8-bit indices with a 256-entry
// palette; every other picture as 24-bit blue, green, red. Grey is expanded to three equal
// channels, 16-bit channels are reduced to 8 bits, and transparency is taken over a white
// background (so a transparent pixel is white), for the palette's colours as for the pixels.
// Rows go top first, each padded to a multiple of 4 bytes. Interlaced files decode like any other.
#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "PngRows.h"

using Microsoft::WRL::ComPtr;

namespace {

// The header that PNGUpdateInfo read last on this thread: two threads loading pictures at once
// each get their own picture's size from the getters.
struct Header {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bpp = 0;
};
thread_local Header t_header;

// COM for the length of one call: joins whatever apartment the thread has, or makes a
// single-threaded one and leaves it again.
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    bool Usable() const { return SUCCEEDED(hr_) || hr_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT hr_;
};

// The file name as wide text; empty when there is none or it is not valid text of the code page.
std::wstring WideName(const char* name) {
    if (!name || !*name) return {};
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, nullptr, 0);
    if (length <= 1) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, wide.data(), length) != length) return {};
    wide.resize(static_cast<std::size_t>(length) - 1);
    return wide;
}

// Bits per index of a palette pixel format; 0 for every other format.
int IndexBits(const WICPixelFormatGUID& format) {
    if (format == GUID_WICPixelFormat8bppIndexed) return 8;
    if (format == GUID_WICPixelFormat4bppIndexed) return 4;
    if (format == GUID_WICPixelFormat2bppIndexed) return 2;
    if (format == GUID_WICPixelFormat1bppIndexed) return 1;
    return 0;
}

// The first frame of a PNG file, with what is delivered of it.
struct Picture {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapFrameDecode> frame;
    Header header;
    int indexBits = 0;
};

// Opens `name` as a PNG file; false for any other file, a file that cannot be decoded, or a
// picture too large for a 32-bit buffer size.
bool Open(const char* name, Picture& picture) {
    const std::wstring wide = WideName(name);
    if (wide.empty()) return false;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&picture.factory))))
        return false;
    ComPtr<IWICBitmapDecoder> decoder;
    GUID container{};
    UINT frames = 0;
    if (FAILED(picture.factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                                          WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetContainerFormat(&container)) || container != GUID_ContainerFormatPng ||
        FAILED(decoder->GetFrameCount(&frames)) || frames < 1 || FAILED(decoder->GetFrame(0, &picture.frame)))
        return false;
    UINT width = 0, height = 0;
    WICPixelFormatGUID format{};
    if (FAILED(picture.frame->GetSize(&width, &height)) || FAILED(picture.frame->GetPixelFormat(&format)))
        return false;
    picture.indexBits = IndexBits(format);
    const int bpp = picture.indexBits ? 8 : 24;
    if (!sarvik::ImageFits(width, height, bpp)) return false;
    picture.header = {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), bpp};
    return true;
}

// The palette indices, row by row through one packed row.
bool CopyIndices(const Picture& picture, std::uint8_t* bits, std::size_t rowLength) {
    const auto width = static_cast<std::size_t>(picture.header.width);
    if (picture.indexBits == 8) {
        const auto size = rowLength * static_cast<std::size_t>(picture.header.height);
        if (FAILED(picture.frame->CopyPixels(nullptr, static_cast<UINT>(rowLength), static_cast<UINT>(size), bits)))
            return false;
        for (std::int32_t y = 0; y < picture.header.height; ++y)
            std::memset(bits + y * rowLength + width, 0, rowLength - width);
        return true;
    }
    const std::size_t packedLength = (width * static_cast<std::size_t>(picture.indexBits) + 7) / 8;
    std::vector<std::uint8_t> packed(packedLength);
    for (std::int32_t y = 0; y < picture.header.height; ++y) {
        const WICRect row{0, y, picture.header.width, 1};
        if (FAILED(picture.frame->CopyPixels(&row, static_cast<UINT>(packedLength), static_cast<UINT>(packedLength),
                                             packed.data())))
            return false;
        sarvik::UnpackIndexRow(packed.data(), width, picture.indexBits, bits + y * rowLength, rowLength);
    }
    return true;
}

bool CopyPalette(const Picture& picture, std::uint8_t* palette) {
    ComPtr<IWICPalette> colours;
    WICColor read[256] = {};
    UINT count = 0;
    if (FAILED(picture.factory->CreatePalette(&colours)) || FAILED(picture.frame->CopyPalette(colours.Get())) ||
        FAILED(colours->GetColors(256, read, &count)))
        return false;
    for (UINT i = 0; i < 256; ++i) {
        const std::uint32_t entry = i < count ? sarvik::PaletteEntry(read[i]) : 0;
        std::memcpy(palette + 4 * i, &entry, 4);
    }
    return true;
}

// The colours through a converter to 32-bit blue, green, red, alpha (the one conversion the
// imaging component makes from every PNG layout), a band of rows at a time.
bool CopyColours(const Picture& picture, std::uint8_t* bits, std::size_t rowLength) {
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(picture.factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(picture.frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return false;
    const auto width = static_cast<std::size_t>(picture.header.width);
    const std::size_t stride = width * 4;
    const auto band = static_cast<std::int32_t>(std::max<std::size_t>(1, (std::size_t{1} << 20) / stride));
    std::vector<std::uint8_t> bgra(stride * static_cast<std::size_t>(std::min(band, picture.header.height)));
    for (std::int32_t y = 0; y < picture.header.height; y += band) {
        const std::int32_t rows = std::min(band, picture.header.height - y);
        const WICRect rect{0, y, picture.header.width, rows};
        if (FAILED(converter->CopyPixels(&rect, static_cast<UINT>(stride), static_cast<UINT>(stride * rows),
                                         bgra.data())))
            return false;
        for (std::int32_t r = 0; r < rows; ++r)
            sarvik::BgraRowOverWhite(&bgra[r * stride], width, bits + (y + r) * rowLength, rowLength);
    }
    return true;
}

bool Load(const char* name, std::uint8_t* bits, std::uint8_t* palette) {
    const Header expected = t_header;
    if (!bits || expected.bpp == 0) return false;
    ComScope com;
    Picture picture;
    if (!com.Usable() || !Open(name, picture)) return false;
    // The caller sized its buffers from the header read before: a file that changed since then
    // is not written into them.
    if (picture.header.width != expected.width || picture.header.height != expected.height ||
        picture.header.bpp != expected.bpp)
        return false;
    const auto rowLength = static_cast<std::size_t>(*sarvik::RowLength(expected.width, expected.bpp));
    if (picture.indexBits) return CopyIndices(picture, bits, rowLength) && (!palette || CopyPalette(picture, palette));
    return CopyColours(picture, bits, rowLength);
}

// No exception leaves the library: a failure of any kind (out of memory included) is a 0.
template <typename Body>
std::int32_t Guarded(Body body) {
    try {
        return body() ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace

extern "C" {

std::int32_t __stdcall IsPNG(const char* fileName) {
    return Guarded([&] {
        static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
        const std::wstring wide = WideName(fileName);
        if (wide.empty()) return false;
        HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        std::uint8_t start[8] = {};
        DWORD read = 0;
        const bool ok = ReadFile(file, start, sizeof start, &read, nullptr) && read == sizeof start &&
                        std::memcmp(start, kSignature, sizeof start) == 0;
        CloseHandle(file);
        return ok;
    });
}

std::int32_t __stdcall PNGUpdateInfo(const char* fileName) {
    return Guarded([&] {
        t_header = {};
        ComScope com;
        Picture picture;
        if (!com.Usable() || !Open(fileName, picture)) return false;
        t_header = picture.header;
        return true;
    });
}

std::int32_t __stdcall PNGGetBPP() { return t_header.bpp; }
std::int32_t __stdcall PNGGetWidth() { return t_header.width; }
std::int32_t __stdcall PNGGetHeight() { return t_header.height; }

std::int32_t __stdcall PNGLoad(const char* fileName, std::uint8_t* bits, std::uint8_t* palette) {
    return Guarded([&] { return Load(fileName, bits, palette); });
}

}  // extern "C"
