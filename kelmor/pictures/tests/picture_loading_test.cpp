// Loading pictures through nvkMain.LoadPictureEx: the platform formats with their type codes and
// sizes, the type rules, the errors and the PictureInfo left behind, the per-thread readers and
// the common course of the decoding readers. Every file is written by the test itself.
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "Kelmor0200.h"
#include "PictureLoadingFixture.h"
#include "TestSupport.h"
#include "Variants.h"
#include "frame/tests/AppServicesTestSupport.h"
#include "nvkMain.h"
#include "pictures/CFileCommon.h"
#include "pictures/CFilePNG.h"
#include "pictures/DecodingReaders.h"
#include "pictures/DibFileFormat.h"
#include "pictures/PictureFormats_Global.h"
#include "pictures/PictureInfo.h"

namespace {

using kelmor::DibFileFormat;
using kelmor::IFileFormat;
using kelmor::PictureInfo;
using kelmor::core::DIBImage;
using namespace kelmor::test;
using namespace kelmor::PictureFormats_Global;
using Microsoft::WRL::ComPtr;

constexpr HRESULT kError53 = static_cast<HRESULT>(0x800A0035);
constexpr HRESULT kError481 = static_cast<HRESULT>(0x800A01E1);

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, unsigned value) {
    b.push_back(static_cast<std::uint8_t>(value));
    b.push_back(static_cast<std::uint8_t>(value >> 8));
}
void Put32(Bytes& b, std::uint32_t value) {
    Put16(b, value & 0xFFFF);
    Put16(b, value >> 16);
}

// A bottom-up BMP of 24 or 8 bits per pixel (a grey palette for 8) with a pattern of pixels.
Bytes BmpFile(LONG width, LONG height, unsigned bpp) {
    const std::uint32_t stride = ((width * bpp + 31) / 32) * 4;
    const std::uint32_t colours = bpp == 8 ? 256 : 0;
    const std::uint32_t offset = 14 + 40 + colours * 4;
    Bytes b{'B', 'M'};
    Put32(b, offset + stride * height);
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, 40);
    Put32(b, width);
    Put32(b, height);
    Put16(b, 1);
    Put16(b, bpp);
    for (int i = 0; i < 6; ++i) Put32(b, 0);  // BI_RGB, sizes, resolutions, colours used/important
    for (std::uint32_t i = 0; i < colours; ++i) Put32(b, i * 0x010101);
    for (std::uint32_t i = 0; i < stride * height; ++i) b.push_back(static_cast<std::uint8_t>(i * 37));
    return b;
}

// An icon (kind 1) or cursor (kind 2) file with one 32-bit image of size x size pixels.
Bytes IconFile(unsigned kind, unsigned size) {
    const std::uint32_t xorBytes = size * size * 4, andBytes = size * ((size + 31) / 32 * 4);
    Bytes b;
    Put16(b, 0);
    Put16(b, kind);
    Put16(b, 1);
    b.push_back(static_cast<std::uint8_t>(size));
    b.push_back(static_cast<std::uint8_t>(size));
    b.push_back(0);
    b.push_back(0);
    Put16(b, kind == 1 ? 1 : 3);   // planes, or the hot spot's x
    Put16(b, kind == 1 ? 32 : 5);  // bits per pixel, or the hot spot's y
    Put32(b, 40 + xorBytes + andBytes);
    Put32(b, 22);
    Put32(b, 40);
    Put32(b, size);
    Put32(b, size * 2);
    Put16(b, 1);
    Put16(b, 32);
    Put32(b, 0);
    Put32(b, xorBytes + andBytes);
    for (int i = 0; i < 4; ++i) Put32(b, 0);
    for (std::uint32_t i = 0; i < size * size; ++i) Put32(b, 0xFF2060A0);
    b.insert(b.end(), andBytes, 0);
    return b;
}

// A 1 x 1 GIF with a two-colour table; `signature` is its first three bytes.
Bytes GifFile(const char* signature = "GIF") {
    Bytes b = {'G',  'I',  'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0,    0,    0, 0xFF, 0xFF,
               0xFF, 0x2C, 0,   0,   0,   0,   1, 0, 1, 0, 0,    2, 2, 0x44, 0x01, 0, 0x3B};
    for (size_t i = 0; i < 3; ++i) b[i] = static_cast<std::uint8_t>(signature[i]);
    return b;
}

// A placeable metafile (the header the platform loader needs) of a rectangle drawn with GDI.
Bytes WmfFile() {
    HDC dc = CreateMetaFileW(nullptr);
    Rectangle(dc, 0, 0, 100, 50);
    HMETAFILE metafile = CloseMetaFile(dc);
    const UINT size = GetMetaFileBitsEx(metafile, 0, nullptr);
    Bytes records(size);
    GetMetaFileBitsEx(metafile, size, records.data());
    DeleteMetaFile(metafile);
    Bytes b;
    Put32(b, 0x9AC6CDD7);
    for (unsigned word : {0u, 0u, 0u, 100u, 50u, 1440u}) Put16(b, word);  // handle, box, units per inch
    Put32(b, 0);
    unsigned checksum = 0;
    for (size_t i = 0; i < 20; i += 2) checksum ^= b[i] | (b[i + 1] << 8);
    Put16(b, checksum);
    b.insert(b.end(), records.begin(), records.end());
    return b;
}

class PictureLoading : public PictureLoadingFixture {
protected:
    // An image encoded by the platform's imaging components (24-bit pixels of a pattern).
    std::wstring Encode(const std::wstring& name, const GUID& container, UINT width, UINT height) {
        const std::wstring path = Path(name);
        ComPtr<IWICImagingFactory> factory;
        ComPtr<IWICStream> stream;
        ComPtr<IWICBitmapEncoder> encoder;
        ComPtr<IWICBitmapFrameEncode> frame;
        ComPtr<IPropertyBag2> options;
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        const UINT stride = (width * 3 + 3) & ~3u;
        Bytes pixels(stride * height);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 13);
        HRESULT hr =
            CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
        if (SUCCEEDED(hr)) hr = factory->CreateStream(&stream);
        if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
        if (SUCCEEDED(hr)) hr = factory->CreateEncoder(container, nullptr, &encoder);
        if (SUCCEEDED(hr)) hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
        if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, &options);
        if (SUCCEEDED(hr)) hr = frame->Initialize(options.Get());
        if (SUCCEEDED(hr)) hr = frame->SetSize(width, height);
        if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
        if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) hr = E_FAIL;
        if (SUCCEEDED(hr))
            hr = frame->WritePixels(height, stride, static_cast<UINT>(pixels.size()), pixels.data());
        if (SUCCEEDED(hr)) hr = frame->Commit();
        if (SUCCEEDED(hr)) hr = encoder->Commit();
        EXPECT_EQ(Hr(S_OK), Hr(hr)) << "encoding " << Utf8(name);
        return path;
    }

    std::wstring WriteEmf(const std::wstring& name) {
        const RECT frame{0, 0, 2000, 1000};  // hundredths of a millimetre
        HDC dc = CreateEnhMetaFileW(nullptr, Path(name).c_str(), &frame, nullptr);
        Rectangle(dc, 0, 0, 70, 35);
        DeleteEnhMetaFile(CloseEnhMetaFile(dc));
        return Path(name);
    }

    static SHORT TypeOf(IPictureDisp* picture) {
        ComPtr<IPicture> p;
        SHORT type = -1;
        if (picture && SUCCEEDED(picture->QueryInterface(IID_PPV_ARGS(&p)))) p->get_Type(&type);
        return type;
    }

    // Depth of the bitmaps the platform loader makes: compatible with the screen.
    static LONG ScreenDepth() {
        HDC screen = GetDC(nullptr);
        const LONG depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
        ReleaseDC(nullptr, screen);
        return depth;
    }
};

// ---------------------------------------------------------------- the platform formats

TEST_F(PictureLoading, EveryPlatformFormatLoadsWithItsTypeAndSize) {
    const LONG depth = ScreenDepth();
    struct Case {
        std::wstring path;
        SHORT pictureType;
        Reported reported;
    };
    const Case cases[] = {
        {Write(L"true.bmp", BmpFile(5, 3, 24)), PICTYPE_BITMAP, {5, 3, depth, nvkPteBMP}},
        {Write(L"grey.bmp", BmpFile(6, 4, 8)), PICTYPE_BITMAP, {6, 4, depth, nvkPteBMP}},
        {Encode(L"photo.jpg", GUID_ContainerFormatJpeg, 8, 6), PICTYPE_BITMAP, {8, 6, depth, nvkPteJPG}},
        {Write(L"dot.gif", GifFile()), PICTYPE_BITMAP, {1, 1, depth, nvkPteGIF}},
        {Write(L"app.ico", IconFile(1, 16)), PICTYPE_ICON, {-1, -1, -1, nvkPteICO}},
        {Write(L"pointer.cur", IconFile(2, 32)), PICTYPE_ICON, {-1, -1, -1, nvkPteCUR}},
        {Write(L"drawing.wmf", WmfFile()), PICTYPE_METAFILE, {-1, -1, -1, nvkPteWMF}},
        {WriteEmf(L"drawing.emf"), PICTYPE_ENHMETAFILE, {-1, -1, -1, nvkPteEMF}},
        // The type rests on the first bytes, never on the name.
        {Write(L"bitmap.jpg", BmpFile(7, 2, 24)), PICTYPE_BITMAP, {7, 2, depth, nvkPteBMP}},
        {Write(L"dot.bmp", GifFile()), PICTYPE_BITMAP, {1, 1, depth, nvkPteGIF}},
        {Write(L"icon.bmp", IconFile(1, 16)), PICTYPE_ICON, {-1, -1, -1, nvkPteICO}},
        // Wine's platform loader would open a PNG too (and call it a JPEG): the PNG reader, tried
        // before it, takes it. Written by the platform's encoder, not the tests' own writer.
        {Encode(L"image.png", GUID_ContainerFormatPng, 3, 2), PICTYPE_BITMAP, {3, 2, 24, nvkPtePNG}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.path));
        ComPtr<IPictureDisp> picture;
        ASSERT_EQ(Hr(S_OK), Hr(Load(c.path, picture))) << Utf8(ErrorInfoText());
        EXPECT_EQ(c.pictureType, TypeOf(picture.Get()));
        EXPECT_EQ(c.reported, Info());
    }
}

TEST_F(PictureLoading, NamesOfTheReportedTypes) {
    const ComPtr<PictureInfo> object = PictureInfo::Of(info_.Get());
    ASSERT_TRUE(object);
    const auto name = [&] {
        BSTR text = nullptr;
        EXPECT_EQ(Hr(S_OK), Hr(info_->GetPictureTypeName(&text)));
        return Take(text);
    };
    EXPECT_EQ((Reported{0, 0, 0, nvkPteNothing}), Info()) << "a new object holds zeros";
    EXPECT_EQ(L"Nothing", name());
    const std::pair<int, const wchar_t*> names[] = {
        {1, L"Windows bitmap"}, {3, L"CompuServe GIF"},
        {7, L"Windows cursor"}, {8, L"Portable network graphics"},
        {11, L"Targa"},         {12, L"Unknown"},
        {-1, L"Unknown"},
    };
    for (const auto& [type, text] : names) {
        object->SetInfo(1, 2, 3, static_cast<nvkPictureTypeEx>(type));
        EXPECT_EQ(text, name()) << "type " << type;
    }
    object->Clear();
    EXPECT_EQ((Reported{0, 0, 0, nvkPteNothing}), Info());
}

// ---------------------------------------------------------------- errors and what is left

TEST_F(PictureLoading, FilesNoReaderTakesRaise481AndLeaveZeros) {
    // No bitmap cut short in the middle of its header: Wine's platform loader then sometimes
    // answers with a 1x1 bitmap made from whatever follows, so the outcome is not the reader's.
    const std::wstring files[] = {
        Write(L"notes.txt",
              Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e', '\r', '\n'}),
        Write(L"empty.bmp", Bytes{}),
        // "GIF" in other letter cases is no signature the platform loader accepts.
        Write(L"dot-lower.gif", GifFile("gIf")),
    };
    const ComPtr<PictureInfo> object = PictureInfo::Of(info_.Get());
    for (const std::wstring& path : files) {
        SCOPED_TRACE(Utf8(path));
        object->SetInfo(9, 9, 9, nvkPteTGA);
        ComPtr<IPictureDisp> picture;
        EXPECT_EQ(Hr(kError481), Hr(Load(path, picture)));
        EXPECT_EQ(L"Kelmor0200.nvkMain|Invalid picture", ErrorInfoText());
        EXPECT_FALSE(picture);
        EXPECT_EQ((Reported{0, 0, 0, nvkPteNothing}), Info()) << "no earlier values after a failed load";
    }
}

TEST_F(PictureLoading, MissingFileRaises53AndTouchesNothing) {
    const ComPtr<PictureInfo> object = PictureInfo::Of(info_.Get());
    object->SetInfo(9, 8, 7, nvkPteTGA);
    for (const std::wstring& path : {Path(L"no such file.bmp"), Path(L""), Path(L"*.bmp")}) {
        SCOPED_TRACE(Utf8(path));
        ComPtr<IPictureDisp> picture;
        EXPECT_EQ(Hr(kError53), Hr(Load(path, picture)));
        EXPECT_EQ(L"Kelmor0200.nvkMain|File not found", ErrorInfoText());
        EXPECT_EQ((Reported{9, 8, 7, nvkPteTGA}), Info());
    }
}

TEST_F(PictureLoading, FailureOfTheFileCheckIsRaised) {
    // A name with a NUL inside could name another file to the system than to the caller.
    const std::wstring path = Write(L"real.bmp", BmpFile(2, 2, 24)) + std::wstring(1, L'\0') + L"x";
    ComPtr<IPictureDisp> picture;
    EXPECT_EQ(Hr(static_cast<HRESULT>(0x800A0005)), Hr(Load(path, picture)));
    EXPECT_EQ(L"Kelmor0200.nvkMain|Invalid procedure call or argument", ErrorInfoText());
    EXPECT_FALSE(picture);
}

TEST_F(PictureLoading, EmptyNameGivesAnEmptyPictureAndLeavesTheInfo) {
    const ComPtr<PictureInfo> object = PictureInfo::Of(info_.Get());
    object->SetInfo(9, 8, 7, nvkPteTGA);
    for (BSTR name : {static_cast<BSTR>(nullptr), SysAllocString(L"")}) {
        ComPtr<IPictureDisp> picture;
        ASSERT_EQ(Hr(S_OK), Hr(main_->LoadPictureEx(name, info_.Get(), &picture)));
        SysFreeString(name);
        EXPECT_EQ(PICTYPE_NONE, TypeOf(picture.Get()));
        EXPECT_EQ((Reported{9, 8, 7, nvkPteTGA}), Info());
    }
    ComPtr<IPictureDisp> first, second;
    main_->LoadPictureEx(nullptr, nullptr, &first);
    main_->LoadPictureEx(nullptr, nullptr, &second);
    EXPECT_NE(first.Get(), second.Get()) << "a new picture each time";
}

// A client's own implementation of the interface: the loader must neither fill it nor take it
// for the library's object.
class ForeignInfo final : public kelmor::test::StackDual<_PictureInfo> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        ++queries;
        return StackDual::QueryInterface(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE Width(LONG* r) override { return *r = 41, S_OK; }
    HRESULT STDMETHODCALLTYPE Height(LONG* r) override { return *r = 42, S_OK; }
    HRESULT STDMETHODCALLTYPE ImageBPP(LONG* r) override { return *r = 43, S_OK; }
    HRESULT STDMETHODCALLTYPE PictureType(nvkPictureTypeEx* r) override { return *r = nvkPtePCX, S_OK; }
    HRESULT STDMETHODCALLTYPE GetPictureTypeName(BSTR* r) override { return *r = nullptr, E_NOTIMPL; }

    int queries = 0;
};

TEST_F(PictureLoading, InfoOfAnotherImplementationIsLeftAlone) {
    ForeignInfo foreign;
    ComPtr<IPictureDisp> picture;
    ASSERT_EQ(Hr(S_OK), Hr(Load(Write(L"foreign.bmp", BmpFile(3, 3, 24)), picture, &foreign)));
    EXPECT_EQ(PICTYPE_BITMAP, TypeOf(picture.Get()));
    EXPECT_GT(foreign.queries, 0) << "asked whether it is the library's object";
    EXPECT_EQ((Reported{41, 42, 43, nvkPtePCX}), Read(&foreign));
}

TEST_F(PictureLoading, LateBoundCallsLoadAndReport) {
    ComPtr<IDispatch> main;
    ASSERT_EQ(Hr(S_OK), Hr(main_.As(&main)));
    const std::wstring path = Write(L"late.bmp", BmpFile(9, 5, 8));
    {
        Invoked call;
        VARIANT info;
        V_VT(&info) = VT_DISPATCH;
        V_DISPATCH(&info) = info_.Get();
        info_->AddRef();
        CallByName(main.Get(), L"LoadPictureEx", DISPATCH_METHOD, {TextValue(path), info}, call);
        ASSERT_EQ(Hr(S_OK), Hr(call.hr));
        ASSERT_EQ(VT_DISPATCH, V_VT(&call.result));
        ComPtr<IPictureDisp> picture;
        ASSERT_EQ(Hr(S_OK), Hr(V_DISPATCH(&call.result)->QueryInterface(IID_PPV_ARGS(&picture))));
        EXPECT_EQ(PICTYPE_BITMAP, TypeOf(picture.Get()));
        EXPECT_EQ((Reported{9, 5, ScreenDepth(), nvkPteBMP}), Info());

        Invoked name;
        CallByName(info_.Get(), L"GetPictureTypeName", DISPATCH_METHOD, {}, name);
        ASSERT_EQ(Hr(S_OK), Hr(name.hr));
        EXPECT_EQ(L"Windows bitmap", FromBstr(V_BSTR(&name.result)));
    }
    {
        Invoked call;  // both arguments left out: an empty picture
        CallByName(main.Get(), L"LoadPictureEx", DISPATCH_METHOD, {}, call);
        ASSERT_EQ(Hr(S_OK), Hr(call.hr));
        ASSERT_EQ(VT_DISPATCH, V_VT(&call.result));
        ComPtr<IPictureDisp> picture;
        ASSERT_EQ(Hr(S_OK), Hr(V_DISPATCH(&call.result)->QueryInterface(IID_PPV_ARGS(&picture))));
        EXPECT_EQ(PICTYPE_NONE, TypeOf(picture.Get()));
    }
    {
        Invoked call;
        CallByName(main.Get(), L"LoadPictureEx", DISPATCH_METHOD, {TextValue(Path(L"gone.gif"))}, call);
        EXPECT_EQ(Hr(DISP_E_EXCEPTION), Hr(call.hr));
        EXPECT_EQ(Hr(kError53), Hr(call.excep.scode));
    }
}

// ---------------------------------------------------------------- the readers

TEST_F(PictureLoading, EachThreadHasItsReadersInTrialOrder) {
    ComPtr<IPictureDisp> picture;
    ASSERT_EQ(Hr(S_OK), Hr(Load(Write(L"order.bmp", BmpFile(2, 2, 24)), picture)));
    std::vector<IFileFormat*> mine;
    for (size_t slot = 0; slot < kelmor::PictureReaderSet::kSlots; ++slot)
        mine.push_back(PictureFormat(slot));
    EXPECT_NE(nullptr, dynamic_cast<kelmor::CFileCommon*>(mine[0]));
    EXPECT_NE(nullptr, dynamic_cast<kelmor::CFilePNG*>(mine[1]));
    EXPECT_NE(nullptr, dynamic_cast<kelmor::CFilePSD*>(mine[2]));
    EXPECT_NE(nullptr, dynamic_cast<kelmor::CFilePCX*>(mine[3]));
    EXPECT_NE(nullptr, dynamic_cast<kelmor::CFileTGA*>(mine[4]));
    EXPECT_EQ(nullptr, PictureFormat(5));

    ASSERT_EQ(Hr(S_OK), Hr(Load(Path(L"order.bmp"), picture)));
    EXPECT_EQ(mine[0], PictureFormat(0)) << "kept between loads";

    std::vector<IFileFormat*> before, others;
    std::thread([&] {
        before.push_back(PictureFormat(0));
        kelmor::PictureReaderSet& set = InitPictureFormats();
        for (const auto& reader : set.slots) others.push_back(reader.get());
    }).join();
    EXPECT_EQ(nullptr, before[0]) << "none before the thread's first load";
    for (size_t slot = 0; slot < others.size(); ++slot) {
        EXPECT_NE(nullptr, others[slot]);
        EXPECT_NE(mine[slot], others[slot]) << "slot " << slot;
    }
}

// A reader whose answers a test sets, counting its calls.
class ScriptedReader final : public DibFileFormat {
public:
    ScriptedReader() : DibFileFormat(nvkPtePSD) {}
    bool Recognise(const kelmor::PictureFile&) override {
        ++verifies;
        if (throwInVerify) throw std::bad_alloc();
        return recognises;
    }
    bool ReadImage(const kelmor::PictureFile&, DIBImage& record) override {
        ++reads;
        if (throwInRead) throw std::bad_alloc();
        record.Width = 2;
        record.Height = 3;
        record.BPP = 24;
        record.Bits.assign(8 * 3, 0x80);
        return decodes;
    }
    bool recognises = true, decodes = true, throwInVerify = false, throwInRead = false;
    int verifies = 0, reads = 0;
};

TEST_F(PictureLoading, DecodingReadersFollowOneCourse) {
    const ComPtr<PictureInfo> info = PictureInfo::Of(info_.Get());
    struct Case {
        const char* what;
        bool recognises, decodes, throwInRead;
        bool picture;
        Reported reported;
    };
    const Case cases[] = {
        {"not the format", false, true, false, false, {}},
        {"not decoded", true, false, false, false, {}},
        {"decoding out of memory", true, true, true, false, {}},
        {"decoded", true, true, false, true, {2, 3, 24, nvkPtePSD}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedReader reader;
        reader.recognises = c.recognises;
        reader.decodes = c.decodes;
        reader.throwInRead = c.throwInRead;
        info->SetInfo(9, 9, 9, nvkPteTGA);
        ComPtr<IPictureDisp> picture;
        ASSERT_EQ(Hr(S_OK), Hr(reader.LoadPicture(L"any", info.Get(), &picture)));
        EXPECT_EQ(c.picture, picture != nullptr);
        EXPECT_EQ(c.reported, Info());
        if (picture) {
            EXPECT_EQ(PICTYPE_BITMAP, TypeOf(picture.Get()));
        }
    }
    ScriptedReader reader;
    ComPtr<IPictureDisp> picture;
    EXPECT_EQ(Hr(S_OK), Hr(reader.LoadPicture(L"any", nullptr, &picture))) << "no information asked for";
    EXPECT_TRUE(picture);
}

TEST_F(PictureLoading, ReadersAreAskedUntilOneGivesAPicture) {
    ScriptedReader refuses, failsToDecode, throws, decodes, late;
    refuses.recognises = false;
    failsToDecode.decodes = false;
    throws.throwInVerify = true;
    ComPtr<IPictureDisp> picture;
    for (ScriptedReader* reader : {&refuses, &failsToDecode, &throws, &decodes, &late}) {
        ASSERT_EQ(Hr(S_OK), Hr(TryPictureFormat(*reader, L"any", nullptr, picture)));
    }
    EXPECT_TRUE(picture);
    EXPECT_EQ(1, refuses.verifies);
    EXPECT_EQ(0, refuses.reads);
    EXPECT_EQ(1, failsToDecode.reads) << "accepted, not decoded: the next reader gets its turn";
    EXPECT_EQ(0, throws.reads) << "a failing check counts as a refusal";
    EXPECT_EQ(1, decodes.reads);
    EXPECT_EQ(1, decodes.verifies) << "the load takes the check just made, not a second one";
    EXPECT_EQ(0, late.verifies) << "once a picture exists nobody else is asked";
}

// One read and one decode per load: the file is read once for every reader, and the picture made
// while verifying is the one the load returns. Shown by removing the file between the two calls:
// a reader that read or decoded it again would find nothing.
TEST_F(PictureLoading, ALoadReadsAndDecodesTheFileOnce) {
    kelmor::CFileCommon common;
    kelmor::CFileTGA targa;
    kelmor::CFilePCX pcx;
    Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 24, 0x20};
    tga.insert(tga.end(), {1, 2, 3, 4, 5, 6});
    struct Case {
        const char* what;
        IFileFormat* reader;
        std::wstring path;
        Reported reported;
    };
    const Case cases[] = {
        {"bitmap", &common, Write(L"once.bmp", BmpFile(3, 2, 24)), {3, 2, ScreenDepth(), nvkPteBMP}},
        {"icon", &common, Write(L"once.ico", IconFile(1, 16)), {-1, -1, -1, nvkPteICO}},
        {"targa", &targa, Write(L"once.tga", tga), {2, 1, 24, nvkPteTGA}},
    };
    const ComPtr<PictureInfo> info = PictureInfo::Of(info_.Get());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const kelmor::PictureFile file(c.path);
        ASSERT_TRUE(pcx.Verify(file) == false);
        ASSERT_TRUE(c.reader->Verify(file));
        ASSERT_TRUE(DeleteFileW(c.path.c_str()));
        ComPtr<IPictureDisp> picture;
        ASSERT_EQ(Hr(S_OK), Hr(c.reader->LoadPicture(file, info.Get(), &picture)));
        EXPECT_TRUE(picture);
        EXPECT_EQ(c.reported, Info());
        // Another load of the same name is another file: read afresh, and gone now.
        ASSERT_EQ(Hr(S_OK), Hr(c.reader->LoadPicture(kelmor::PictureFile(c.path), nullptr, &picture)));
        EXPECT_FALSE(picture);
    }
}

// What the platform loader is offered, by the file's first bytes: never a PNG file or a Photoshop
// document, nor an icon or cursor file without images (as a true-colour Targa file starts); the
// formats without a signature that may be its own still are.
TEST_F(PictureLoading, ThePlatformLoaderIsOfferedOnlyWhatItMayTake) {
    struct Case {
        Bytes head;
        bool offered;
    };
    const Case cases[] = {
        {{'B', 'M', 0, 0}, true},
        {{0xFF, 0xD8, 0xFF, 0xE0}, true},
        {{'G', 'I', 'F', '8', '9', 'a'}, true},
        {{0, 0, 1, 0, 1, 0, 16, 16}, true},               // an icon with one image
        {{0, 0, 2, 0, 1, 0, 16, 16}, true},               // a cursor, or a Targa file just like one
        {{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false},    // true-colour Targa: no image in the directory
        {{0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false},   // run-length Targa
        {{10, 5, 1, 8}, true},                            // PCX: the loader decides
        {{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, false},
        {{'8', 'B', 'P', 'S', 0, 1}, false},
        {{'8', 'B', 'P'}, true},
        {{}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.offered, kelmor::CFileCommon::OfferedToTheLoader(c.head)) << testing::PrintToString(c.head);
    }
}

}  // namespace
