// The resources of Kelmor0200.dll, read back from the built file as any client or installer
// would: the interface-identifier records, the bitmaps, the icon and cursor groups, the
// version block and the type library.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "Variants.h"

namespace {

using kelmor::test::Utf8;


std::wstring DllPath() {
  wchar_t buffer[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  std::wstring path(buffer, n);
  path.erase(path.find_last_of(L"\\/") + 1);
  return path + L"Kelmor0200.dll";
}

// A GUID as registry text, read field by field from its in-memory layout.
std::string GuidText(const std::uint8_t* p) {
  GUID g;
  std::memcpy(&g, p, sizeof g);
  char text[40];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

template <typename T>
T Read(std::span<const std::uint8_t> data, size_t offset) {
  T value{};
  if (offset + sizeof(T) <= data.size()) std::memcpy(&value, data.data() + offset, sizeof(T));
  return value;
}

// The bytes of one resource; empty when it does not exist.
std::span<const std::uint8_t> Bytes(HMODULE module, LPCWSTR type, LPCWSTR name) {
  HRSRC found = FindResourceW(module, name, type);
  if (!found) return {};
  auto* p = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
  return p ? std::span<const std::uint8_t>(p, SizeofResource(module, found))
           : std::span<const std::uint8_t>();
}

#pragma pack(push, 2)
struct GroupHeader {  // GRPICONDIR / CURSORDIR head
  WORD reserved, type, count;
};
struct GroupIconEntry {  // GRPICONDIRENTRY
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD bytes;
  WORD id;
};
struct GroupCursorEntry {  // CURSORDIRENTRY as stored in RT_GROUP_CURSOR
  WORD width, height, planes, bits;
  DWORD bytes;
  WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconEntry) == 14 && sizeof(GroupCursorEntry) == 14);

class Resources : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryExW(DllPath().c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    load_error_ = GetLastError();
  }
  static void TearDownTestSuite() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(module_, nullptr) << "cannot load " << Utf8(DllPath()) << ", error "
                                << load_error_;
  }

  static std::span<const std::uint8_t> Data(LPCWSTR type, LPCWSTR name) {
    return Bytes(module_, type, name);
  }

  static HMODULE module_;
  static DWORD load_error_;
};
HMODULE Resources::module_ = nullptr;
DWORD Resources::load_error_ = 0;

struct IidRecord {
  const wchar_t* type;
  std::vector<std::string> iids;
};

const std::vector<IidRecord>& IidRecords() {
  static const std::vector<IidRecord> records = {
      {L"_IID_NVKMAIN", {"{B38B8488-FE4C-4F7F-BB94-779C718CA6AF}"}},
      {L"_IID_NVKALONE", {"{5F8F07BB-3FD7-48B4-8DE0-D3918A7266B8}"}},
      {L"_IID_STRINGBUFFA", {"{F0D6F962-BA88-4C47-9165-308EDDAF1EE9}"}},
      {L"_IID_NVKBENCHMARK", {"{3B80168B-14F5-4F6F-BEDE-3D79F1E833A4}"}},
      {L"_IID_NVKSIMPLELISTDIALOG", {"{A9D80671-84B6-4F70-9577-8B42E4A70CC4}"}},
      {L"_IID_NVKREGISTRY",
       {"{00E63A46-05E3-4280-9735-942D933620FD}", "{1E3013A4-5EB6-478E-BA37-9CA644CE0A07}",
        "{12BF7EAD-E682-48FA-9B22-E8AC6BCE9BE8}"}},
      {L"_IID_NVKNEVKITSETTINGS", {"{F73D84BF-8734-4DFD-9D48-D6F8A90A4210}"}},
      {L"_IID_PICTUREINFO", {"{610E8839-895D-4784-AE0F-C87A9BD396FD}"}},
      {L"_IID_NVKBENCHMARKHP", {"{154C464A-74BB-45EE-B08D-DEC7E962FED7}"}},
      {L"_IID_NVKTEXTBOXDEFBUTTONWATCHER", {"{232C7707-60C3-4CA7-AF1C-541FA1AC03B7}"}},
      {L"_IID_NVKTABCONTROL", {"{DB62E267-7088-4229-96BD-4EA41716C8FD}"}},
      {L"_IID_COMMANDLINEPARSER", {"{70F35C5E-8993-47EF-BB6C-EB8AAF4B0AEF}"}},
      {L"_IID_NVKFOUNDEDFILES", {"{82E764F0-67F4-4D45-A90B-096E4A1B1A5C}"}},
      {L"_IID_FOUNDEDFILE", {"{8AC9CCB6-3CD4-48FB-B45B-345028C02258}"}},
      {L"_IID_IFINDFILESCALLBACK", {"{EEDD3BE6-C948-46ED-AFEB-37D7A2D60D4E}"}},
      {L"_IID_NVKFILESTREAMS", {"{5AF01273-7EA7-46D7-B7EE-23C26E5DE257}"}},
      {L"_IID_FILESTREAM", {"{B7197FF5-6B1D-42D2-B30C-E649C701A750}"}},
      {L"_SRCIID_NVKTABCONTROL", {"{6F71E7B1-84F1-4BFD-AAFB-68E46F69B8BF}"}},
  };
  return records;
}

TEST_F(Resources, InterfaceIdRecordsHoldTheDefaultInterfaces) {
  for (const auto& record : IidRecords()) {
    SCOPED_TRACE(Utf8(record.type));
    auto data = Data(record.type, MAKEINTRESOURCEW(1));
    ASSERT_FALSE(data.empty()) << "record missing";
    ASSERT_EQ(data.size(), 4 + 16 * record.iids.size());
    EXPECT_EQ(Read<std::uint32_t>(data, 0), record.iids.size());
    for (size_t i = 0; i < record.iids.size(); ++i)
      EXPECT_EQ(GuidText(data.data() + 4 + 16 * i), record.iids[i]) << "GUID " << i;
  }
}

BOOL CALLBACK CollectType(HMODULE, LPWSTR type, LONG_PTR param) {
  if (!IS_INTRESOURCE(type)) reinterpret_cast<std::set<std::string>*>(param)->insert(Utf8(type));
  return TRUE;
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  reinterpret_cast<std::vector<std::string>*>(param)->push_back(
      IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name)) : Utf8(name));
  return TRUE;
}

// No record is missing, misspelt or doubled, and each type holds id 1 only.
TEST_F(Resources, InterfaceIdRecordTypesAreExactlyTheExpectedOnes) {
  std::set<std::string> types;
  EnumResourceTypesW(module_, CollectType, reinterpret_cast<LONG_PTR>(&types));
  std::set<std::string> records, expected;
  for (const auto& t : types)
    if (t.starts_with("_IID_") || t.starts_with("_SRCIID_")) records.insert(t);
  for (const auto& r : IidRecords()) expected.insert(Utf8(r.type));
  EXPECT_EQ(records, expected);
  EXPECT_TRUE(types.count("TYPELIB")) << "no TYPELIB resource type";
  for (const auto& r : IidRecords()) {
    std::vector<std::string> names;
    EnumResourceNamesW(module_, r.type, CollectName, reinterpret_cast<LONG_PTR>(&names));
    EXPECT_EQ(names, std::vector<std::string>{"#1"}) << Utf8(r.type);
  }
}

// Header and loaded DIB section of one 24-bit bitmap.
void CheckBitmap(HMODULE module, const wchar_t* name, LONG width, LONG height) {
  SCOPED_TRACE(Utf8(name));
  auto data = Bytes(module, MAKEINTRESOURCEW(2) /* RT_BITMAP */, name);
  ASSERT_GE(data.size(), sizeof(BITMAPINFOHEADER)) << "bitmap missing";
  auto h = Read<BITMAPINFOHEADER>(data, 0);
  EXPECT_EQ(h.biSize, sizeof(BITMAPINFOHEADER));
  EXPECT_EQ(h.biWidth, width);
  EXPECT_EQ(h.biHeight, height);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  EXPECT_GE(data.size(), sizeof h + stride * static_cast<size_t>(height));

  HANDLE image = LoadImageW(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  ASSERT_NE(image, nullptr) << "LoadImageW error " << GetLastError();
  DIBSECTION dib{};
  EXPECT_EQ(GetObjectW(image, sizeof dib, &dib), static_cast<int>(sizeof dib));
  EXPECT_EQ(dib.dsBm.bmWidth, width);
  EXPECT_EQ(dib.dsBm.bmHeight, height);
  EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
  DeleteObject(image);
}

TEST_F(Resources, BitmapsHaveTheirSizeAndDepth) {
  CheckBitmap(module_, L"OSVEL_0000", 64, 62);
  CheckBitmap(module_, L"BACK_PICTURE", 1, 1);

  // The background picture is one white pixel; the dedication picture is a real picture,
  // not a blank area.
  auto back = Data(MAKEINTRESOURCEW(2), L"BACK_PICTURE");
  ASSERT_GE(back.size(), sizeof(BITMAPINFOHEADER) + 3);
  EXPECT_EQ(back[40], 0xFF);
  EXPECT_EQ(back[41], 0xFF);
  EXPECT_EQ(back[42], 0xFF);
  auto picture = Data(MAKEINTRESOURCEW(2), L"OSVEL_0000");
  ASSERT_GE(picture.size(), sizeof(BITMAPINFOHEADER) + 64 * 3 * 62);
  std::set<std::uint32_t> colours;
  for (size_t i = 0; i < 64 * 62; ++i) {
    const std::uint8_t* p = picture.data() + 40 + 3 * i;
    colours.insert(p[0] | p[1] << 8 | p[2] << 16);
  }
  EXPECT_GE(colours.size(), 16u);
}

struct IconImage {
  int size, colours, bits;
};

// One icon group: its directory, each image it names, and the system's choice and loading of
// each size.
void CheckIconGroup(HMODULE module, const wchar_t* name, const std::vector<IconImage>& images) {
  SCOPED_TRACE(Utf8(name));
  auto group = Bytes(module, MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, name);
  ASSERT_GE(group.size(), sizeof(GroupHeader)) << "icon group missing";
  auto head = Read<GroupHeader>(group, 0);
  EXPECT_EQ(head.type, 1);
  ASSERT_EQ(head.count, images.size());
  ASSERT_GE(group.size(), sizeof head + head.count * sizeof(GroupIconEntry));
  for (size_t i = 0; i < images.size(); ++i) {
    const IconImage& want = images[i];
    SCOPED_TRACE("image " + std::to_string(i));
    auto e = Read<GroupIconEntry>(group, sizeof head + i * sizeof(GroupIconEntry));
    EXPECT_EQ(static_cast<int>(e.width), want.size);
    EXPECT_EQ(static_cast<int>(e.height), want.size);
    EXPECT_EQ(static_cast<int>(e.colours), want.colours);
    EXPECT_EQ(e.planes, 1);
    EXPECT_EQ(e.bits, want.bits);

    auto image = Bytes(module, MAKEINTRESOURCEW(3) /* RT_ICON */, MAKEINTRESOURCEW(e.id));
    EXPECT_EQ(image.size(), e.bytes);
    auto h = Read<BITMAPINFOHEADER>(image, 0);
    EXPECT_EQ(h.biWidth, want.size);
    EXPECT_EQ(h.biHeight, 2 * want.size);  // colour image and AND mask
    EXPECT_EQ(h.biBitCount, want.bits);

    // The system picks this very image when asked for its size, and loads it.
    EXPECT_EQ(LookupIconIdFromDirectoryEx(const_cast<PBYTE>(group.data()), TRUE, want.size,
                                          want.size, LR_DEFAULTCOLOR),
              e.id);
    HICON icon = static_cast<HICON>(
        LoadImageW(module, name, IMAGE_ICON, want.size, want.size, LR_DEFAULTCOLOR));
    ASSERT_NE(icon, nullptr) << "LoadImageW error " << GetLastError();
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, want.size);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

TEST_F(Resources, IconGroupsHoldTheirSizesAndDepths) {
  CheckIconGroup(module_, L"A_MAIN", {{32, 16, 4}, {16, 16, 4}});
  CheckIconGroup(module_, L"OSVEL_0000", {{32, 0, 8}});  // 256 colours count as 0 here
  CheckIconGroup(module_, L"NVKC_MAIN", {{32, 16, 4}});
}

TEST_F(Resources, CursorIsOneMonochrome32x32ImageWithItsHotSpotOnTheDrawing) {
  auto group = Data(MAKEINTRESOURCEW(12) /* RT_GROUP_CURSOR */, L"DOZAVIZ_CURSOR");
  ASSERT_GE(group.size(), sizeof(GroupHeader) + sizeof(GroupCursorEntry)) << "cursor missing";
  auto head = Read<GroupHeader>(group, 0);
  EXPECT_EQ(head.type, 2);
  ASSERT_EQ(head.count, 1);
  auto e = Read<GroupCursorEntry>(group, sizeof head);
  EXPECT_EQ(e.width, 32);
  EXPECT_EQ(e.height, 64);  // stored doubled: image and mask
  EXPECT_EQ(e.planes, 1);
  EXPECT_EQ(e.bits, 1);

  // RT_CURSOR data: the hot spot, then the DIB with a 2-entry palette, image and AND mask.
  auto image = Data(MAKEINTRESOURCEW(1) /* RT_CURSOR */, MAKEINTRESOURCEW(e.id));
  ASSERT_EQ(image.size(), e.bytes);
  const int hot_x = Read<WORD>(image, 0), hot_y = Read<WORD>(image, 2);
  auto h = Read<BITMAPINFOHEADER>(image, 4);
  EXPECT_EQ(h.biWidth, 32);
  EXPECT_EQ(h.biHeight, 64);
  EXPECT_EQ(h.biBitCount, 1);
  ASSERT_LT(hot_x, 32);
  ASSERT_LT(hot_y, 32);
  ASSERT_EQ(image.size(), 4u + 40 + 8 + 128 + 128);
  const size_t mask = 4 + 40 + 8 + 128;
  const std::uint8_t row_byte = image[mask + (31 - hot_y) * 4 + hot_x / 8];
  EXPECT_EQ((row_byte >> (7 - hot_x % 8)) & 1, 0) << "hot spot on a transparent pixel";

  HCURSOR cursor = LoadCursorW(module_, L"DOZAVIZ_CURSOR");
  ASSERT_NE(cursor, nullptr) << "LoadCursorW error " << GetLastError();
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(static_cast<int>(info.xHotspot), hot_x);
  EXPECT_EQ(static_cast<int>(info.yHotspot), hot_y);
  EXPECT_EQ(info.hbmColor, nullptr) << "monochrome cursor expected";
  BITMAP bm{};
  GetObjectW(info.hbmMask, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 32);
  EXPECT_EQ(bm.bmHeight, 64);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
}

// version.dll is bound at run time so the test needs no import library beyond the usual.
struct VersionApi {
  using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
  HMODULE dll = LoadLibraryW(L"version.dll");
  SizeFn size = reinterpret_cast<SizeFn>(Proc("GetFileVersionInfoSizeW"));
  InfoFn info = reinterpret_cast<InfoFn>(Proc("GetFileVersionInfoW"));
  QueryFn query = reinterpret_cast<QueryFn>(Proc("VerQueryValueW"));
  void (*Proc(const char* name))() {
    return dll ? reinterpret_cast<void (*)()>(GetProcAddress(dll, name)) : nullptr;
  }
  ~VersionApi() {
    if (dll) FreeLibrary(dll);
  }
};

TEST_F(Resources, VersionBlock) {
  VersionApi api;
  ASSERT_TRUE(api.size && api.info && api.query) << "version.dll not available";
  const std::wstring path = DllPath();
  DWORD handle = 0;
  DWORD size = api.size(path.c_str(), &handle);
  ASSERT_GT(size, 0u) << "no version block, error " << GetLastError();
  std::vector<std::uint8_t> block(size);
  ASSERT_TRUE(api.info(path.c_str(), 0, size, block.data()));

  void* p = nullptr;
  UINT len = 0;
  ASSERT_TRUE(api.query(block.data(), L"\\", &p, &len));
  ASSERT_GE(len, sizeof(VS_FIXEDFILEINFO));
  auto fixed = *static_cast<const VS_FIXEDFILEINFO*>(p);
  EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00020000u);  // 2.0
  EXPECT_EQ(fixed.dwFileVersionLS, 0x00000078u);  // .0.120
  EXPECT_EQ(fixed.dwProductVersionMS, 0x00020000u);
  EXPECT_EQ(fixed.dwProductVersionLS, 0x00000078u);
  EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_DLL));

  ASSERT_TRUE(api.query(block.data(), L"\\VarFileInfo\\Translation", &p, &len));
  ASSERT_EQ(len, 4u) << "one translation expected";
  EXPECT_EQ(static_cast<const WORD*>(p)[0], 0x0419);
  EXPECT_EQ(static_cast<const WORD*>(p)[1], 1251);

  // Value of a string; "<missing>" when the name is not in the block.
  auto text = [&](const wchar_t* name) -> std::string {
    std::wstring key = std::wstring(L"\\StringFileInfo\\041904E3\\") + name;
    void* v = nullptr;
    UINT n = 0;
    if (!api.query(block.data(), key.c_str(), &v, &n)) return "<missing>";
    if (!v || n == 0) return "";
    std::wstring s(static_cast<const wchar_t*>(v), n);
    s.resize(std::min(s.size(), s.find(L'\0')));
    return Utf8(s);
  };
  const std::string description = "Nevkit - Библиотека общих функций 2.00";
  EXPECT_EQ(text(L"ProductName"), "Nevkit");
  EXPECT_EQ(text(L"FileDescription"), description);
  EXPECT_EQ(text(L"Comments"), description);
  EXPECT_EQ(text(L"InternalName"), "Kelmor0200");
  EXPECT_EQ(text(L"OriginalFilename"), "Kelmor0200.dll");
  EXPECT_EQ(text(L"FileVersion"), "2.00.0120");
  EXPECT_EQ(text(L"ProductVersion"), "2.00.0120");
  for (const wchar_t* name : {L"CompanyName", L"LegalCopyright"}) {
    EXPECT_NE(text(name), "<missing>") << Utf8(name);
    EXPECT_NE(text(name), "") << Utf8(name);
  }
  // Marks the file as self-registering: it must exist, and it carries no text.
  EXPECT_EQ(text(L"OLESelfRegister"), "");
  EXPECT_EQ(text(L"NoSuchValue"), "<missing>");
}

TEST_F(Resources, TypeLibraryIsEmbeddedAsTypelib1) {
  auto data = Data(L"TYPELIB", MAKEINTRESOURCEW(1));
  ASSERT_GE(data.size(), 4u) << "TYPELIB 1 missing";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.data()), 4), "MSFT");
}

}  // namespace
