// Streams under a platform that cannot list them (Wine): a Windows program that writes
// "C:\x\a.txt:name" gets an ordinary file "a.txt:name" beside a.txt, and the reader lists such
// siblings of real files and folders as their named streams. No test reader: the library's own.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StreamTestSupport.h"
#include "TestSupport.h"
#include "filesys/nvkFileStreams.h"

namespace {

using kelmor::test::Bstr;
using kelmor::test::Hr;
using kelmor::test::ScratchFolder;
using Microsoft::WRL::ComPtr;

struct Listed {
    LONG id;
    double size;
    std::wstring name;
    bool operator==(const Listed&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Listed& r) {
    return os << "{" << r.id << ", " << r.size << ", \"" << std::string(r.name.begin(), r.name.end()) << "\"}";
}

// What the reader lists for `path`, without security data; nothing when it answers False.
std::vector<Listed> ListedFor(const std::wstring& path) {
    ComPtr<_nvkFileStreams> reader;
    EXPECT_EQ(Hr(S_OK), Hr(kelmor::nvkFileStreams::CreateInstance(IID_PPV_ARGS(&reader))));
    BSTR p = SysAllocString(path.c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(Hr(S_OK), Hr(reader->ReadFileStreams(p, VARIANT_FALSE, &ok)));
    SysFreeString(p);
    std::vector<Listed> rows;
    LONG count = 0;
    if (ok != VARIANT_TRUE || FAILED(reader->get_Count(&count))) return rows;
    for (LONG i = 0; i < count; ++i) {
        ComPtr<_FileStream> r;
        Listed row{};
        BSTR name = nullptr;
        if (FAILED(reader->get_Item(i, &r))) continue;
        r->get_StreamID(&row.id);
        r->get_Size(&row.size);
        r->get_Name(&name);
        row.name = Bstr(name);
        rows.push_back(row);
    }
    return rows;
}

TEST(SiblingStreams, FilesNamedAfterAFileOrFolderAndAColonAreItsStreams) {
    ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
    {
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

        EXPECT_EQ((std::vector<Listed>{{1, 5, L"::$DATA"},
                                       {4, 3, L":new.txt:$DATA"},
                                       {4, 1, L":x:$DATA"},
                                       {4, 26, L":Zone.Identifier:$DATA"}}),
                  ListedFor(file));
        EXPECT_EQ((std::vector<Listed>{{4, 4, L":s1:$DATA"}}), ListedFor(folder));
        EXPECT_EQ((std::vector<Listed>{{1, 3, L"::$DATA"}}), ListedFor(f.path() + L"\\b.txt:other"))
            << "a sibling itself is an ordinary file with no streams of its own";
    }
    CoUninitialize();
}

}  // namespace
