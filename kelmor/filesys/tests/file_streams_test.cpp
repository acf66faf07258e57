// The stream reader: the list it builds from backup data (crafted, and of real files and
// folders under this platform), its list states, and the errors of its members.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CraftedBackup.h"
#include "filesys/FileStream.h"
#include "StreamTestSupport.h"
#include "TestSupport.h"
#include "filesys/nvkFileStreams.h"

namespace {

using kelmor::FileStream;
using kelmor::nvkFileStreams;
using kelmor::test::AlternateName;
using kelmor::test::Bstr;
using kelmor::test::ByteSource;
using kelmor::test::CallByName;
using kelmor::test::CraftedBackup;
using kelmor::test::Filler;
using kelmor::test::Hr;
using kelmor::test::ScratchFolder;
using kelmor::test::TakeError;
using Microsoft::WRL::ComPtr;
using namespace kelmor::core;

constexpr HRESULT kSubscriptOutOfRange = static_cast<HRESULT>(0x800A0009);
constexpr HRESULT kObjectNotSet = static_cast<HRESULT>(0x800A005B);

struct Row {
    LONG id;
    LONG attributes;
    double size;
    std::wstring name;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
    return os << "{" << r.id << ", " << r.attributes << ", " << r.size << ", \""
              << std::string(r.name.begin(), r.name.end()) << "\"}";
}

Row RowOf(_FileStream* r) {
    Row row{};
    r->get_StreamID(&row.id);
    r->get_Attributes(&row.attributes);
    r->get_Size(&row.size);
    BSTR name = nullptr;
    r->get_Name(&name);
    row.name = Bstr(name);
    return row;
}

class Reader : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        ASSERT_EQ(Hr(S_OK), Hr(nvkFileStreams::CreateInstance(__uuidof(_nvkFileStreams), &raw_)));
        kelmor::Adopt(reader_, static_cast<nvkFileStreams*>(static_cast<_nvkFileStreams*>(raw_)));
    }
    void TearDown() override {
        reader_.Reset();
        CoUninitialize();
    }

    std::vector<Row> Rows() {
        std::vector<Row> rows;
        LONG count = -1;
        EXPECT_EQ(Hr(S_OK), Hr(reader_->get_Count(&count)));
        for (LONG i = 0; i < count; ++i) {
            ComPtr<_FileStream> r;
            EXPECT_EQ(Hr(S_OK), Hr(reader_->get_Item(i, &r)));
            if (r) rows.push_back(RowOf(r.Get()));
        }
        return rows;
    }
    bool Read(const std::wstring& path, bool security) {
        BSTR p = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
        VARIANT_BOOL ok = 7;
        EXPECT_EQ(Hr(S_OK), Hr(reader_->ReadFileStreams(p, security ? VARIANT_TRUE : VARIANT_FALSE, &ok)));
        SysFreeString(p);
        EXPECT_TRUE(ok == VARIANT_TRUE || ok == VARIANT_FALSE) << ok;
        return ok == VARIANT_TRUE;
    }
    // The size of the security descriptor the platform keeps for `path`.
    static double SecuritySize(const std::wstring& path) {
        DWORD need = 0;
        GetFileSecurityW(path.c_str(),
                         OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                         nullptr, 0, &need);
        return need;
    }

    void* raw_ = nullptr;
    ComPtr<nvkFileStreams> reader_;
};

// --- crafted backup data ----------------------------------------------------------------------

TEST_F(Reader, DataThatEndEarlyMakeTheReadingFalseAndKeepTheRecordsSoFar) {
    // No header at all: a whole, empty reading.
    ByteSource nothing({});
    EXPECT_TRUE(reader_->ReadFrom(nothing));
    EXPECT_TRUE(Rows().empty());

    // A header cut short after two streams.
    CraftedBackup cut;
    cut.Stream(kBackupSecurityData, 2, u"", Filler(8))
        .Stream(kBackupData, 0, u"", Filler(5))
        .Header(4, 0, 0, 8)
        .Cut(7);
    ByteSource cutSource(cut.bytes());
    EXPECT_FALSE(reader_->ReadFrom(cutSource));
    EXPECT_EQ((std::vector<Row>{{3, 2, 8, L""}, {1, 0, 5, L"::$DATA"}}), Rows());
}

HRESULT FailSecondRecord(const StreamHeader& header, std::span<const std::byte> name, FileStream** record) {
    static int made = 0;
    if (++made % 2 == 0) return E_OUTOFMEMORY;
    return nvkFileStreams::MakeRecord(header, name, record);
}

TEST_F(Reader, ARecordThatCannotBeMadeLeavesTheReaderWithoutAListUntilTheNextReading) {
    CraftedBackup data;
    data.Stream(kBackupData, 0, u"", Filler(5))
        .Stream(kBackupAlternateData, 0, AlternateName(u"x"), Filler(5));
    ByteSource source(data.bytes());
    EXPECT_FALSE(reader_->ReadFrom(source, &FailSecondRecord));
    EXPECT_EQ(1, source.releases) << "the backup context is released";

    LONG count = 5;
    EXPECT_EQ(Hr(kObjectNotSet), Hr(reader_->get_Count(&count)));
    kelmor::test::TakenError e = TakeError();
    EXPECT_TRUE(e.present);
    EXPECT_EQ(L"Kelmor0200.nvkFileStreams", e.source);
    EXPECT_EQ(L"Object variable or With block variable not set", e.description);
    ComPtr<_FileStream> item;
    EXPECT_EQ(Hr(kObjectNotSet), Hr(reader_->get_Item(0, &item)));
    EXPECT_FALSE(item);
    ComPtr<IUnknown> enumerator;
    EXPECT_EQ(Hr(kObjectNotSet), Hr(reader_->get_NewEnum(&enumerator)));
    EXPECT_FALSE(enumerator);

    ByteSource again(data.bytes());
    EXPECT_TRUE(reader_->ReadFrom(again));
    EXPECT_EQ(2u, Rows().size());
}

TEST_F(Reader, IndexesOutsideTheListAreSubscriptErrors) {
    CraftedBackup data;
    data.Stream(kBackupData, 0, u"", Filler(5));
    ByteSource source(data.bytes());
    ASSERT_TRUE(reader_->ReadFrom(source));
    for (LONG index : {1L, -1L}) {
        ComPtr<_FileStream> item;
        EXPECT_EQ(Hr(kSubscriptOutOfRange), Hr(reader_->get_Item(index, &item))) << index;
        EXPECT_FALSE(item);
        kelmor::test::TakenError e = TakeError();
        EXPECT_TRUE(e.present) << index;
        EXPECT_EQ(L"Kelmor0200.nvkFileStreams", e.source);
        EXPECT_EQ(L"Subscript out of range", e.description);
    }
    // A script sees the same error through IDispatch, Item being the default member.
    VARIANT index;
    V_VT(&index) = VT_I4;
    V_I4(&index) = 1;
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO excep{};
    DISPPARAMS params{&index, nullptr, 1, 0};
    EXPECT_EQ(Hr(DISP_E_EXCEPTION),
              Hr(reader_->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &params,
                                 &result, &excep, nullptr)));
    EXPECT_EQ(Hr(kSubscriptOutOfRange), Hr(excep.scode));
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
}

// --- files of this platform (folders: the script test) -----------------------------------------

TEST_F(Reader, AFileGivesItsSecurityDataThenItsDataAndOnlyTheDataWithoutSecurity) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::wstring file = folder.File(L"sample.txt", "hello world");
    const double security = SecuritySize(file);
    ASSERT_GT(security, 0);

    ASSERT_TRUE(Read(file, true));
    EXPECT_EQ((std::vector<Row>{{3, 2, security, L""}, {1, 0, 11, L"::$DATA"}}), Rows());
    ASSERT_TRUE(Read(file, false));
    EXPECT_EQ((std::vector<Row>{{1, 0, 11, L"::$DATA"}}), Rows());

    // ProcessSecurity is optional and false when a script leaves it out.
    ComPtr<IDispatch> d;
    ASSERT_EQ(Hr(S_OK), Hr(reader_.As(&d)));
    VARIANT path;
    V_VT(&path) = VT_BSTR;
    V_BSTR(&path) = SysAllocString(file.c_str());
    VARIANT ok;
    VariantInit(&ok);
    ASSERT_EQ(Hr(S_OK), Hr(CallByName(d.Get(), L"ReadFileStreams", DISPATCH_METHOD, {path}, &ok)));
    VariantClear(&path);
    EXPECT_EQ(VT_BOOL, V_VT(&ok));
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(&ok));
    EXPECT_EQ((std::vector<Row>{{1, 0, 11, L"::$DATA"}}), Rows());

    // An empty file still has its (empty) data stream.
    ASSERT_TRUE(Read(folder.File(L"empty.txt", ""), false));
    EXPECT_EQ((std::vector<Row>{{1, 0, 0, L"::$DATA"}}), Rows());
}

TEST_F(Reader, PathsThatCannotBeOpenedGiveFalseAndAnEmptyList) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::wstring file = folder.File(L"there.txt", "abc");
    // A list from an earlier reading is replaced by an empty one in every case.
    const std::wstring missing[] = {folder.path() + L"\\missing.txt", folder.path() + L"\\no\\such\\folder",
                                    L""};
    for (const std::wstring& path : missing) {
        ASSERT_TRUE(Read(file, false));
        EXPECT_FALSE(Read(path, true)) << std::string(path.begin(), path.end());
        EXPECT_TRUE(Rows().empty());
    }
    VARIANT_BOOL ok = 7;
    EXPECT_EQ(Hr(S_OK), Hr(reader_->ReadFileStreams(nullptr, VARIANT_TRUE, &ok)));
    EXPECT_EQ(VARIANT_FALSE, ok);

    // A NUL inside the path would open the shorter path before it: not opened at all.
    EXPECT_FALSE(Read(file + std::wstring(L"\0.more", 6), false));
    EXPECT_TRUE(Rows().empty());

    // A file that another program has open for writing (sharing reads and writes, as a log
    // writer does) is read; one held without read sharing is not.
    HANDLE writer = CreateFileW(file.c_str(), GENERIC_WRITE | FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    EXPECT_TRUE(Read(file, false));
    EXPECT_EQ(1u, Rows().size());
    CloseHandle(writer);
    // A file that another program holds without read sharing.
    HANDLE locked =
        CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    EXPECT_FALSE(Read(file, false));
    CloseHandle(locked);
    EXPECT_TRUE(Read(file, false));
}

TEST_F(Reader, APathOfThreeHundredCharactersIsRead) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.ok());
    std::wstring relative, deep;
    while (deep.size() < 300) {
        relative += (relative.empty() ? L"" : L"\\") + std::wstring(50, L'p');
        deep = folder.Folder(relative);
    }
    const std::wstring file = folder.File(relative + L"\\long.txt", "123");
    EXPECT_TRUE(Read(file, false));
    EXPECT_EQ((std::vector<Row>{{1, 0, 3, L"::$DATA"}}), Rows());
    EXPECT_TRUE(Read(deep, false)) << "a folder";
}

TEST_F(Reader, ANameOutsideTheAnsiCodePageNamesItsOwnFile) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.ok());
    // Greek and Chinese letters: no ANSI code page of a Cyrillic or Western system holds them.
    const std::wstring name = L"\x03A9mega-\x4E2D-\x0436.txt";
    const std::wstring file = folder.path() + L"\\" + name;
    // Wine keeps names in the Unix locale's character set; the set-up script generates the
    // UTF-8 locale the tests run in, so such a file can exist.
    HANDLE made = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, made) << "cannot make the test file, error " << GetLastError();
    DWORD written = 0;
    WriteFile(made, "twelve bytes", 12, &written, nullptr);
    CloseHandle(made);
    EXPECT_TRUE(Read(file, false));
    EXPECT_EQ((std::vector<Row>{{1, 0, 12, L"::$DATA"}}), Rows());
    DeleteFileW(file.c_str());
}

TEST_F(Reader, ANewReadingReplacesTheListAndHeldRecordsStillAnswer) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::wstring first = folder.File(L"first.txt", "1234567");
    const std::wstring second = folder.File(L"second.txt", "12");
    ASSERT_TRUE(Read(first, true));
    ComPtr<_FileStream> held;
    ASSERT_EQ(Hr(S_OK), Hr(reader_->get_Item(1, &held)));
    ComPtr<IUnknown> enumerator;
    ASSERT_EQ(Hr(S_OK), Hr(reader_->get_NewEnum(&enumerator)));

    ASSERT_TRUE(Read(second, false));
    EXPECT_EQ((std::vector<Row>{{1, 0, 2, L"::$DATA"}}), Rows());
    EXPECT_EQ((Row{1, 0, 7, L"::$DATA"}), RowOf(held.Get()));
    // An enumerator taken before goes on over the list it was taken from.
    ComPtr<IEnumVARIANT> e;
    ASSERT_EQ(Hr(S_OK), Hr(enumerator.As(&e)));
    VARIANT v[3];
    ULONG fetched = 0;
    EXPECT_EQ(Hr(S_FALSE), Hr(e->Next(3, v, &fetched)));
    EXPECT_EQ(2u, fetched);
    for (ULONG i = 0; i < fetched; ++i) VariantClear(&v[i]);

    // The reader goes, the record stays.
    reader_.Reset();
    EXPECT_EQ((Row{1, 0, 7, L"::$DATA"}), RowOf(held.Get()));
}

// Where the platform cannot list streams (Wine), a Windows program that writes "C:\x\a.txt:name"
// gets an ordinary file "a.txt:name" beside a.txt: such siblings are the file's (or folder's) streams.
TEST_F(Reader, FilesNamedAfterAFileOrFolderAndAColonAreItsStreams) {
    ScratchFolder f;
    ASSERT_TRUE(f.ok());
    const std::wstring file = f.File(L"a.txt", "hello");
    f.File(L"a.txt:Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3\r\n");
    f.File(L"a.txt:new.txt", "abc");
    f.File(L"a.txt:x:$DATA", "1");  // the same stream as "a.txt:x"
    // Not streams of a.txt: another file's, a folder, no name, a colon that names no stream.
    f.File(L"a.txtx:no", "12");
    f.File(L"b.txt:other", "123");
    f.Folder(L"a.txt:folder");
    f.File(L"a.txt:", "1234");
    f.File(L"a.txt:y:z", "12345");
    const std::wstring folder = f.Folder(L"d");
    f.File(L"d:s1", "wxyz");

    ASSERT_TRUE(Read(file, false));
    EXPECT_EQ((std::vector<Row>{{1, 0, 5, L"::$DATA"},
                                {4, 0, 3, L":new.txt:$DATA"},
                                {4, 0, 1, L":x:$DATA"},
                                {4, 0, 26, L":Zone.Identifier:$DATA"}}),
              Rows());
    ASSERT_TRUE(Read(folder, false));
    EXPECT_EQ((std::vector<Row>{{4, 0, 4, L":s1:$DATA"}}), Rows());
    ASSERT_TRUE(Read(f.path() + L"\\b.txt:other", false));
    EXPECT_EQ((std::vector<Row>{{1, 0, 3, L"::$DATA"}}), Rows()) << "a sibling itself has no streams of its own";
}

}  // namespace
