// The recursive file search on trees made here: levels and nodes, masks, callbacks and cancels,
// links followed or not and links leading back up, local times; and list files read through
// nvkMain (the reading rules themselves are tested natively).
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>
#include <string>
#include <vector>

#include "NevkitSupport0100.h"
#include "StreamTestSupport.h"
#include "TestSupport.h"
#include "Text.h"
#include "filesys/FoundedFile.h"
#include "filesys/IFindFilesCallback.h"
#include "filesys/nvkFoundedFiles.h"
#include "frame/nvkMain.h"

namespace {

using kelmor::FromBstr;
using kelmor::NewBstr;
using kelmor::test::Bstr;
using kelmor::test::Hr;
using Microsoft::WRL::ComPtr;
using Names = std::vector<std::wstring>;

// A client's callback object, called through its table: records each completed directory and
// cancels at `stopAt`, or fails there with `failure`.
class Recorder final : public kelmor::test::StackDual<_IFindFilesCallback> {
public:
    Names paths;
    std::wstring stopAt;
    LONG failure = 0;

    HRESULT STDMETHODCALLTYPE DirectoryCompleted(BSTR Path, VARIANT_BOOL* Cancel) override {
        paths.push_back(FromBstr(Path));
        if (paths.back() != stopAt) return S_OK;
        if (failure) return kelmor::RaiseError(failure, L"Recorder");
        *Cancel = VARIANT_TRUE;
        return S_OK;
    }
};

LONG Count(_nvkFoundedFiles* level) {
    LONG n = -1;
    EXPECT_EQ(Hr(S_OK), Hr(level->get_Count(&n)));
    return n;
}
bool HasSubItems(_nvkFoundedFiles* level) {
    VARIANT_BOOL has = 7;
    level->get_HasSubItems(&has);
    return has == VARIANT_TRUE;
}
// The level's file names, sorted (the system lists in an order of its own).
Names NamesOf(_nvkFoundedFiles* level) {
    Names names;
    for (LONG i = 0; i < Count(level); ++i) {
        ComPtr<_FoundedFile> node;
        BSTR name = nullptr;
        EXPECT_EQ(Hr(S_OK), Hr(level->get_Item(i, &node)));
        node->get_FileName(&name);
        names.push_back(Bstr(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}
ComPtr<_FoundedFile> Node(_nvkFoundedFiles* level, const std::wstring& name) {
    for (LONG i = 0; i < Count(level); ++i) {
        ComPtr<_FoundedFile> node;
        BSTR text = nullptr;
        if (SUCCEEDED(level->get_Item(i, &node)) && SUCCEEDED(node->get_FileName(&text)) &&
            Bstr(text) == name)
            return node;
    }
    ADD_FAILURE() << "no node " << std::string(name.begin(), name.end());
    return nullptr;
}
// The level below the node `name`.
ComPtr<_nvkFoundedFiles> Below(_nvkFoundedFiles* level, const std::wstring& name) {
    ComPtr<_nvkFoundedFiles> childs;
    if (ComPtr<_FoundedFile> node = Node(level, name)) {
        EXPECT_EQ(Hr(S_OK), Hr(node->get_Childs(&childs)));
    }
    return childs;
}

// Test tree: a.txt (5 bytes), b.dat (3 bytes), sub\c.txt (7 bytes).
class Search : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
        ASSERT_TRUE(tree_.ok());
        tree_.File(L"a.txt", "hello");
        tree_.File(L"b.dat", "abc");
        tree_.Folder(L"sub");
        tree_.File(L"sub\\c.txt", "1234567");
        ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkFoundedFiles::CreateInstance(IID_PPV_ARGS(&top_))));
    }
    void TearDown() override {
        top_.Reset();
        CoUninitialize();
    }

    bool RefreshEx(const std::wstring& path, const std::wstring& mask, VARIANT_BOOL follow = VARIANT_FALSE,
                   _IFindFilesCallback* callback = nullptr, HRESULT expected = S_OK) {
        VARIANT_BOOL found = 7;
        EXPECT_EQ(Hr(expected),
                  Hr(top_->RefreshEx(NewBstr(path).get(), NewBstr(mask).get(), follow, callback, &found)));
        EXPECT_TRUE(found == VARIANT_TRUE || found == VARIANT_FALSE) << found;
        return found == VARIANT_TRUE;
    }
    bool Refresh(const std::wstring& mask) {
        VARIANT_BOOL found = 7;
        EXPECT_EQ(Hr(S_OK), Hr(top_->Refresh(NewBstr(root_).get(), NewBstr(mask).get(), &found)));
        return found == VARIANT_TRUE;
    }

    kelmor::test::ScratchFolder tree_;
    const std::wstring& root_ = tree_.path();
    ComPtr<_nvkFoundedFiles> top_;
};

TEST_F(Search, EveryLevelListsItsEntriesAndSubdirectoriesTheirs) {
    // A path ending in a backslash is kept as given, and still joins to the nodes' full paths.
    ASSERT_TRUE(RefreshEx(root_ + L"\\", L"*"));
    EXPECT_EQ((Names{L"a.txt", L"b.dat", L"sub"}), NamesOf(top_.Get()));
    EXPECT_TRUE(HasSubItems(top_.Get()));
    BSTR searched = nullptr;
    top_->get_Path(&searched);
    EXPECT_EQ(root_ + L"\\", Bstr(searched));

    struct Expected {
        const wchar_t* name;
        double size;
        VARIANT_BOOL directory;
        LONG children;
    };
    for (const Expected& e :
         {Expected{L"a.txt", 5, VARIANT_FALSE, 0}, Expected{L"b.dat", 3, VARIANT_FALSE, 0},
          Expected{L"sub", 0, VARIANT_TRUE, 1}}) {
        SCOPED_TRACE(std::string(e.name, e.name + wcslen(e.name)));
        ComPtr<_FoundedFile> node = Node(top_.Get(), e.name);
        ASSERT_TRUE(node);
        double size = -1, compressed = -1;
        VARIANT_BOOL directory = 7;
        BSTR path = nullptr, full = nullptr;
        node->get_FileSize(&size);
        node->get_CompressedFileSize(&compressed);
        node->get_AttributeDirectory(&directory);
        node->get_Path(&path);
        EXPECT_EQ(e.size, size);
        EXPECT_EQ(e.size, compressed) << "Wine compresses nothing";
        EXPECT_EQ(e.directory, directory);
        const kelmor::UniqueBstr folder(path), name = NewBstr(e.name);
        EXPECT_EQ(root_ + L"\\", FromBstr(folder.get()));
        ASSERT_GE(nkBuildFileName(folder.get(), name.get(), &full), 0);
        EXPECT_EQ(root_ + L"\\" + e.name, Bstr(full));
        ComPtr<_nvkFoundedFiles> childs = Below(top_.Get(), e.name);
        EXPECT_EQ(e.children, Count(childs.Get()));
        EXPECT_EQ(e.children > 0, HasSubItems(childs.Get()));
    }
    EXPECT_EQ((Names{L"c.txt"}), NamesOf(Below(top_.Get(), L"sub").Get()));

    for (LONG index : {-1L, 3L}) {
        ComPtr<_FoundedFile> node;
        EXPECT_EQ(Hr(static_cast<HRESULT>(0x800A0009)), Hr(top_->get_Item(index, &node))) << index;
    }
    ComPtr<IUnknown> unknown;
    ComPtr<IEnumVARIANT> enumerator;
    ASSERT_EQ(Hr(S_OK), Hr(top_->get_NewEnum(&unknown)));
    ASSERT_EQ(Hr(S_OK), Hr(unknown.As(&enumerator)));
    VARIANT all[4];
    ULONG fetched = 0;
    enumerator->Next(4, all, &fetched);
    EXPECT_EQ(3u, fetched);
    for (ULONG i = 0; i < fetched; ++i) VariantClear(&all[i]);
}

TEST_F(Search, TheMaskFiltersEveryLevelSubdirectoriesIncluded) {
    tree_.Folder(L"more.txt");
    tree_.File(L"more.txt\\d.txt", "");
    tree_.File(L"more.txt\\e.dat", "");
    ASSERT_TRUE(Refresh(L"*.txt"));
    EXPECT_EQ((Names{L"a.txt", L"more.txt"}), NamesOf(top_.Get()));
    EXPECT_EQ((Names{L"d.txt"}), NamesOf(Below(top_.Get(), L"more.txt").Get()));

    // What cannot be listed: false, nothing listed, no callback.
    Recorder recorder;
    const std::wstring cases[][2] = {{root_ + L"\\missing", L"*"},
                                     {root_, L"*.none"},
                                     {root_, L""},
                                     {root_, L"sub\\*"},
                                     {root_, std::wstring(L"*\0x", 3)},
                                     {root_ + std::wstring(L"\0x", 2), L"*"}};
    for (const auto& c : cases) {
        EXPECT_FALSE(RefreshEx(c[0], c[1], VARIANT_TRUE, &recorder)) << c[1].size();
        EXPECT_EQ(0, Count(top_.Get()));
        EXPECT_FALSE(HasSubItems(top_.Get()));
    }
    EXPECT_TRUE(recorder.paths.empty());
}

TEST_F(Search, CallbacksComeDepthFirstAndTheirCancelEmptiesEveryLevelAbove) {
    tree_.Folder(L"sub\\deep");
    tree_.Folder(L"other");
    const std::wstring sub = root_ + L"\\sub", deep = sub + L"\\deep";

    Recorder all;
    ASSERT_TRUE(RefreshEx(root_, L"*", VARIANT_FALSE, &all));
    ASSERT_EQ(4u, all.paths.size());
    EXPECT_EQ(root_, all.paths.back()) << "the start directory comes last";
    const auto at = [&](const std::wstring& p) { return std::find(all.paths.begin(), all.paths.end(), p); };
    EXPECT_EQ(at(deep) + 1, at(sub)) << "a directory right after its only subdirectory";

    // A cancel or a failure ends the search at once: no callback after it (the calls before it
    // follow the full search, whose order of siblings is the system's).
    struct Case {
        const char* name;
        std::wstring stopAt;
        LONG failure;
        bool found;
        LONG count;
    };
    for (const Case& c :
         {Case{"cancel in the deepest", deep, 0, false, 0}, Case{"cancel below", sub, 0, false, 0},
          Case{"cancel at the start", root_, 0, true, 4}, Case{"callback fails", sub, 5, false, 0}}) {
        Recorder recorder;
        recorder.stopAt = c.stopAt;
        recorder.failure = c.failure;
        const HRESULT raised = c.failure ? static_cast<HRESULT>(0x800A0000 + c.failure) : S_OK;
        EXPECT_EQ(c.found, RefreshEx(root_, L"*", VARIANT_FALSE, &recorder, raised)) << c.name;
        EXPECT_EQ(c.count, Count(top_.Get())) << c.name;
        EXPECT_EQ(c.count > 0, HasSubItems(top_.Get())) << c.name;
        EXPECT_EQ(Names(all.paths.begin(), at(c.stopAt) + 1), recorder.paths) << c.name;
    }

    // The library's own callback object lets the search run to its end.
    ComPtr<_IFindFilesCallback> own;
    ASSERT_EQ(Hr(S_OK), Hr(kelmor::IFindFilesCallback::CreateInstance(IID_PPV_ARGS(&own))));
    EXPECT_TRUE(RefreshEx(root_, L"*", VARIANT_FALSE, own.Get()));
    EXPECT_EQ(4, Count(top_.Get()));
}

// Starts a Unix program of Wine's host on Windows paths (Wine starts host programs given by their
// Z: path); does nothing elsewhere. Neither its exit code nor its end comes through.
void RunOnHost(const wchar_t* program, std::initializer_list<std::wstring> paths, const wchar_t* options) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName =
        kelmor::test::Export<UnixName>(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    if (!unixName) return;
    std::wstring line = std::wstring(program) + L" " + options;
    for (const std::wstring& path : paths) {
        char* name = unixName(path.c_str());
        if (!name) return;
        line += L" \"" + std::wstring(name, name + strlen(name)) + L"\"";
        HeapFree(GetProcessHeap(), 0, name);
    }
    kelmor::test::RunAndWait(line);
}

// A link to a directory for the time of a test: CreateSymbolicLinkW where the system makes one;
// under Wine, whose CreateSymbolicLinkW answers success without making anything, a Unix
// symbolic link, which Wine presents as a directory reparse point that opens as its target.
class DirectoryLink {
public:
    DirectoryLink(std::wstring link, const std::wstring& target) : link_(std::move(link)) {
        if (CreateSymbolicLinkW(link_.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) && made())
            return;
        RunOnHost(L"Z:\\bin\\ln", {target, link_}, L"-s");
        WaitFor(true);
    }
    ~DirectoryLink() {
        // Neither RemoveDirectoryW nor DeleteFileW removes a Unix link to a directory under Wine.
        if (!made() || RemoveDirectoryW(link_.c_str())) return;
        RunOnHost(L"Z:\\bin\\rm", {link_}, L"-f");
        WaitFor(false);
    }
    bool made() const {
        const DWORD attributes = GetFileAttributesW(link_.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    }

private:
    void WaitFor(bool present) const {
        for (int i = 0; i < 300 && made() != present; ++i) Sleep(10);
    }

    std::wstring link_;
};

TEST_F(Search, LinksAreFollowedByRefreshButNeverBackIntoADirectoryBeingSearched) {
    // sub\loop leads back to the start, link to sub.
    const DirectoryLink loop(root_ + L"\\sub\\loop", root_), link(root_ + L"\\link", root_ + L"\\sub");
    if (!loop.made() || !link.made()) GTEST_SKIP() << "this system makes no directory links for a test";

    Recorder recorder;
    ASSERT_TRUE(RefreshEx(root_, L"*", VARIANT_TRUE, &recorder));
    EXPECT_EQ((Names{L"a.txt", L"b.dat", L"link", L"sub"}), NamesOf(top_.Get()));
    for (const wchar_t* name : {L"sub", L"link"}) {
        ComPtr<_nvkFoundedFiles> below = Below(top_.Get(), name);
        EXPECT_EQ((Names{L"c.txt", L"loop"}), NamesOf(below.Get())) << "followed";
        EXPECT_EQ(0, Count(Below(below.Get(), L"loop").Get())) << "not entered again";
    }
    EXPECT_EQ(3u, recorder.paths.size());

    // Without following, the links are entries with empty levels.
    ASSERT_TRUE(RefreshEx(root_, L"*"));
    VARIANT_BOOL reparse = 0;
    Node(top_.Get(), L"link")->get_AttributeReparsePoint(&reparse);
    EXPECT_EQ(VARIANT_TRUE, reparse);
    EXPECT_EQ(0, Count(Below(top_.Get(), L"link").Get()));
    EXPECT_EQ((Names{L"c.txt", L"loop"}), NamesOf(Below(top_.Get(), L"sub").Get()));
}

TEST_F(Search, TimesAreDatesOfTheLocalZone) {
    // The test runs in the zone UTC+5:30 (TZ=Asia/Kolkata), which has no summer time.
    TIME_ZONE_INFORMATION zone;
    GetTimeZoneInformation(&zone);
    ASSERT_EQ(-330, zone.Bias) << "the test expects the zone UTC+5:30";
    const std::wstring file = root_ + L"\\a.txt";
    const auto utc = [](WORD day, WORD hour) {
        SYSTEMTIME parts{2020, 1, 0, day, hour, 0, 0, 0};
        FILETIME time;
        SystemTimeToFileTime(&parts, &time);
        return time;
    };
    const FILETIME created = utc(10, 12), accessed = utc(10, 20), written = utc(12, 0);
    {
        kelmor::UniqueHandle h(
            CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(SetFileTime(h.get(), &created, &accessed, &written));
    }
    ASSERT_TRUE(Refresh(L"a.txt"));
    ComPtr<_FoundedFile> node = Node(top_.Get(), L"a.txt");
    DATE times[3] = {};
    node->get_CreationTime(&times[0]);
    node->get_LastAccessTime(&times[1]);
    node->get_LastWriteTime(&times[2]);
    // 2020-01-12 05:30 local (43840 is 2020-01-10), and 01:30 the day before.
    EXPECT_NEAR(43842 + 5.5 / 24, times[2], 1e-7);
    EXPECT_NEAR(43841 + 1.5 / 24, times[1], 1e-7);
    // Wine keeps no creation time of its own: the file's, whatever it is, 5:30 later.
    WIN32_FILE_ATTRIBUTE_DATA data;
    SYSTEMTIME parts;
    DATE createdUtc = 0;
    ASSERT_TRUE(GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data));
    ASSERT_TRUE(FileTimeToSystemTime(&data.ftCreationTime, &parts) &&
                SystemTimeToVariantTime(&parts, &createdUtc));
    EXPECT_NEAR(createdUtc + 5.5 / 24, times[0], 1e-5);
}

TEST(FoundedFileEntry, SizeAndNamesComeFromTheEntry) {
    WIN32_FIND_DATAW entry{};
    entry.dwFileAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_COMPRESSED;
    entry.nFileSizeHigh = 1;
    entry.nFileSizeLow = 5;
    wcscpy(entry.cFileName, L"long name.text");
    wcscpy(entry.cAlternateFileName, L"LONGNA~1.TEX");
    ComPtr<kelmor::FoundedFile> node;
    kelmor::Adopt(node, kelmor::FoundedFile::New<kelmor::FoundedFile>());
    kelmor::FoundedFile::Entry kind = kelmor::FoundedFile::Entry::Skipped;
    ASSERT_EQ(Hr(S_OK), Hr(node->InitEntry(entry, L"Z:\\no such folder", &kind)));
    EXPECT_EQ(kelmor::FoundedFile::Entry::File, kind);
    double size = 0, compressed = 0;
    VARIANT_BOOL hidden = 0, compressedFlag = 0, readOnly = 7;
    BSTR name = nullptr, alternate = nullptr;
    LONG attributes = 0;
    node->get_FileAttributes(&attributes);
    EXPECT_EQ(LONG{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_COMPRESSED}, attributes);
    node->get_FileSize(&size);
    node->get_CompressedFileSize(&compressed);
    node->get_AttributeHidden(&hidden);
    node->get_AttributeCompressed(&compressedFlag);
    node->get_AttributeReadOnly(&readOnly);
    node->get_FileName(&name);
    node->get_AlternateFileName(&alternate);
    EXPECT_EQ(4294967301.0, size);
    EXPECT_EQ(4294967301.0, compressed) << "the data size stands for a file the system cannot find";
    EXPECT_EQ(VARIANT_TRUE, hidden);
    EXPECT_EQ(VARIANT_TRUE, compressedFlag);
    EXPECT_EQ(VARIANT_FALSE, readOnly);
    EXPECT_EQ(L"long name.text", Bstr(name));
    EXPECT_EQ(L"LONGNA~1.TEX", Bstr(alternate));
}

// --- faults only real systems show, made through the search's platform functions ------------

// The platform's find and size functions, with failures on demand: the listing of a directory
// whose pattern contains `breakIn` fails after `entriesBefore` entries (FindFirst's own entry
// counts; 0: FindFirst fails) with `error`; every pattern and size path asked is recorded.
struct FakeCalls {
    static inline std::wstring breakIn;
    static inline int entriesBefore = 0;
    static inline DWORD error = 0;
    static inline HANDLE broken = nullptr;
    static inline int given = 0;
    static inline std::vector<std::wstring> patterns, sizePaths;
    // The size function's answer: low half, high half, the last error it leaves (none: the
    // platform's own).
    static inline std::optional<std::tuple<DWORD, DWORD, DWORD>> size;

    static HANDLE WINAPI FindFirst(LPCWSTR pattern, FINDEX_INFO_LEVELS level, LPVOID data, FINDEX_SEARCH_OPS op,
                                   LPVOID filter, DWORD flags) {
        patterns.push_back(pattern);
        const bool breaking = !breakIn.empty() && std::wstring_view(pattern).ends_with(breakIn);
        if (breaking && entriesBefore == 0) {
            SetLastError(error);
            return INVALID_HANDLE_VALUE;
        }
        const HANDLE h = FindFirstFileExW(pattern, level, data, op, filter, flags);
        if (breaking) {
            broken = h;
            given = 1;
        } else if (h == broken) {
            broken = nullptr;  // a handle value used again
        }
        return h;
    }
    static BOOL WINAPI FindNext(HANDLE find, LPWIN32_FIND_DATAW data) {
        if (find && find == broken && given++ >= entriesBefore) {
            SetLastError(error);
            return FALSE;
        }
        return FindNextFileW(find, data);
    }
    static DWORD WINAPI CompressedSize(LPCWSTR path, LPDWORD high) {
        sizePaths.push_back(path);
        if (!size) return GetCompressedFileSizeW(path, high);
        *high = std::get<1>(*size);
        SetLastError(std::get<2>(*size));
        return std::get<0>(*size);
    }
};
const kelmor::FileSearch::Functions kFakeCalls{&FakeCalls::FindFirst, &FakeCalls::FindNext,
                                               &FakeCalls::CompressedSize};

class FaultySearch : public Search {
protected:
    void SetUp() override {
        Search::SetUp();
        FakeCalls::breakIn.clear();
        FakeCalls::broken = nullptr;
        FakeCalls::patterns.clear();
        FakeCalls::sizePaths.clear();
        FakeCalls::size.reset();
        kelmor::FileSearch::UseFunctions(&kFakeCalls);
    }
    void TearDown() override {
        kelmor::FileSearch::UseFunctions(nullptr);
        Search::TearDown();
    }
    static DWORD ReadError(_nvkFoundedFiles* level) {
        // As a script reads it: by name through IDispatch; and as the library keeps it.
        VARIANT value;
        VariantInit(&value);
        EXPECT_EQ(Hr(S_OK), Hr(kelmor::test::CallByName(level, L"readerror", DISPATCH_PROPERTYGET, {}, &value)));
        EXPECT_EQ(VT_I4, V_VT(&value));
        EXPECT_EQ(static_cast<DWORD>(V_I4(&value)), static_cast<kelmor::nvkFoundedFiles*>(level)->ReadError());
        return static_cast<DWORD>(V_I4(&value));
    }
};

TEST_F(FaultySearch, AListingThatBreaksOffKeepsItsEntriesButIsNeverReportedComplete) {
    tree_.File(L"sub\\d.txt", "");
    tree_.File(L"sub\\e.txt", "");
    const std::wstring sub = root_ + L"\\sub";
    struct Case {
        std::wstring breakIn;  // the end of the pattern of the directory whose listing fails
        int entriesBefore;     // entries it gives first, "." and ".." included (Wine's first two)
        DWORD error;
    };
    for (const Case& c : {
             // A subdirectory that breaks off after ".", ".." and one name: one node kept.
             Case{L"\\sub\\*", 3, ERROR_NETNAME_DELETED},
             // One that cannot be opened at all: empty, as one that cannot be listed.
             Case{L"\\sub\\*", 0, ERROR_ACCESS_DENIED},
             // The start directory itself, after one name.
             Case{root_ + L"\\*", 3, ERROR_IO_DEVICE},
         }) {
        SCOPED_TRACE(std::to_string(c.error));
        FakeCalls::breakIn = c.breakIn;
        FakeCalls::entriesBefore = c.entriesBefore;
        FakeCalls::error = c.error;
        Recorder recorder;
        const bool found = RefreshEx(root_, L"*", VARIANT_FALSE, &recorder);
        if (c.breakIn[0] == L'\\') {
            EXPECT_TRUE(found) << "the start directory was read whole";
            EXPECT_EQ((Names{root_}), recorder.paths) << "only complete listings are reported";
            EXPECT_EQ((Names{L"a.txt", L"b.dat", L"sub"}), NamesOf(top_.Get()));
            EXPECT_EQ(0u, ReadError(top_.Get()));
            ComPtr<_nvkFoundedFiles> below = Below(top_.Get(), L"sub");
            EXPECT_EQ(c.entriesBefore ? 1 : 0, Count(below.Get()));
            EXPECT_EQ(c.entriesBefore != 0, HasSubItems(below.Get()));
            EXPECT_EQ(c.error, ReadError(below.Get()));
        } else {
            EXPECT_FALSE(found) << "a start directory read in part is no complete search";
            EXPECT_EQ(1, Count(top_.Get())) << "the entry read is kept";
            EXPECT_TRUE(HasSubItems(top_.Get()));
            EXPECT_EQ(c.error, ReadError(top_.Get()));
            EXPECT_EQ(NamesOf(top_.Get()) == Names{L"sub"} ? Names{sub} : Names{}, recorder.paths);
        }
    }
    // A complete search again: no error left from before.
    FakeCalls::breakIn.clear();
    ASSERT_TRUE(RefreshEx(root_, L"*"));
    ComPtr<_nvkFoundedFiles> held = Below(top_.Get(), L"sub");
    EXPECT_EQ(0u, ReadError(top_.Get()));
    EXPECT_EQ(0u, ReadError(held.Get()));
    // Nothing matching is an empty listing, not an unreadable one.
    EXPECT_FALSE(RefreshEx(root_, L"*.none"));
    EXPECT_EQ(0u, ReadError(top_.Get()));
}

TEST_F(FaultySearch, TheCompressedSizeFailsOnlyOnTheDocumentedPair) {
    ASSERT_TRUE(RefreshEx(root_, L"*"));
    struct Case {
        DWORD low, high, error;
        double expected;
    };
    for (const Case& c : {
             Case{1234, 0, ERROR_ALREADY_EXISTS, 1234},  // a success that leaves an error of its own
             Case{INVALID_FILE_SIZE, 1, NO_ERROR, 8589934591.0},  // a size whose low half looks like a failure
             Case{INVALID_FILE_SIZE, 0, ERROR_ACCESS_DENIED, 5},  // the failure: the data size stands
         }) {
        FakeCalls::size = std::make_tuple(c.low, c.high, c.error);
        ComPtr<_FoundedFile> node = Node(top_.Get(), L"a.txt");  // 5 bytes
        ASSERT_TRUE(node);
        double compressed = -1;
        // A new search makes new nodes: the size is asked anew.
        EXPECT_EQ(Hr(S_OK), Hr(node->get_CompressedFileSize(&compressed)));
        EXPECT_EQ(c.expected, compressed) << c.low << " " << c.error;
        ASSERT_TRUE(RefreshEx(root_, L"*"));
    }
}

TEST_F(FaultySearch, LongPathsReachTheSystemWithTheExtendedPrefixAndComeBackAsGiven) {
    // A folder whose path is over 300 characters (Wine makes it without the prefix).
    std::wstring relative, deep;
    while (deep.size() < 300) {
        relative += (relative.empty() ? L"" : L"\\") + std::wstring(40, L'n');
        deep = tree_.Folder(relative);
    }
    const std::wstring file = tree_.File(relative + L"\\long.txt", "12345678");
    ASSERT_TRUE(RefreshEx(deep, L"*"));
    EXPECT_EQ((Names{L"long.txt"}), NamesOf(top_.Get()));
    ASSERT_FALSE(FakeCalls::patterns.empty());
    EXPECT_EQ(L"\\\\?\\" + deep + L"\\*", FakeCalls::patterns.front());
    ComPtr<_FoundedFile> node = Node(top_.Get(), L"long.txt");
    ASSERT_TRUE(node);
    BSTR path = nullptr;
    double compressed = 0;
    node->get_Path(&path);
    EXPECT_EQ(deep, Bstr(path)) << "the path comes back as it was given";
    node->get_CompressedFileSize(&compressed);
    EXPECT_EQ(8, compressed);
    ASSERT_EQ(1u, FakeCalls::sizePaths.size());
    EXPECT_EQ(L"\\\\?\\" + file, FakeCalls::sizePaths[0]);
    // Short paths go as they are.
    ASSERT_TRUE(RefreshEx(root_, L"*.txt"));
    EXPECT_EQ(root_ + L"\\*.txt", FakeCalls::patterns.back());
}

// A search of a deep tree on a thread, run in the last `free` bytes of the thread's stack.
struct DeepRun {
    std::wstring start;
    size_t free = 0;
    size_t left = 0;  // stack left below the frame that runs the search
    bool found = false;
    Names completed;
    int depthListed = 0;
};

[[gnu::noinline]] void SearchAndRelease(DeepRun& r) {
    ULONG_PTR low = 0, high = 0;
    GetCurrentThreadStackLimits(&low, &high);
    r.left = reinterpret_cast<ULONG_PTR>(&low) - low;
    ComPtr<_nvkFoundedFiles> top;
    Recorder recorder;
    VARIANT_BOOL found = VARIANT_FALSE;
    if (FAILED(kelmor::nvkFoundedFiles::CreateInstance(IID_PPV_ARGS(&top))) ||
        FAILED(top->RefreshEx(NewBstr(r.start).get(), NewBstr(L"*").get(), VARIANT_FALSE, &recorder, &found)))
        return;
    r.found = found == VARIANT_TRUE;
    r.completed = recorder.paths;
    ComPtr<_nvkFoundedFiles> level = top;
    LONG count = 0;
    while (SUCCEEDED(level->get_Count(&count)) && count == 1) {
        ComPtr<_FoundedFile> node;
        ComPtr<_nvkFoundedFiles> below;
        if (FAILED(level->get_Item(0, &node)) || FAILED(node->get_Childs(&below))) break;
        level = below;
        ++r.depthListed;
    }
    // The whole tree goes here, in the same small stack.
}

DWORD WINAPI DeepThread(void* argument) {
    DeepRun& r = *static_cast<DeepRun*>(argument);
    ULONG_PTR low = 0, high = 0;
    GetCurrentThreadStackLimits(&low, &high);
    const size_t used = reinterpret_cast<ULONG_PTR>(&low) - low;
    if (used <= r.free) return 2;
    // Takes (and touches, page by page) all of the stack but the last `free` bytes.
    volatile char* taken = static_cast<char*>(__builtin_alloca(used - r.free));
    taken[0] = 1;
    if (FAILED(CoInitialize(nullptr))) return 1;
    SearchAndRelease(r);
    CoUninitialize();
    return taken[0] == 1 ? 0 : 3;
}

// A search and a release whose stack use does not grow with the depth of the tree: they run in
// the last 64 KB of a thread's stack, which a search or a release nesting calls per level would
// overflow long before the end of this tree; so the same walk searches a tree of 4,000 levels
// within a program's usual 1 MB. (A tree that deep is not made here: Wine looks every path up
// name by name, which makes such a tree and its search take many minutes.)
TEST_F(Search, ADeepTreeIsSearchedAndReleasedInAStackThatDoesNotGrowWithDepth) {
    constexpr int kDepth = 300;
    std::vector<std::wstring> levels{root_ + L"\\deep"};
    ASSERT_TRUE(CreateDirectoryW(levels[0].c_str(), nullptr)) << GetLastError();
    for (int i = 1; i < kDepth; ++i) {
        levels.push_back(levels.back() + L"\\d");
        ASSERT_TRUE(CreateDirectoryW(levels.back().c_str(), nullptr)) << i << " " << GetLastError();
    }
    DeepRun run;
    run.start = levels[0];
    run.free = 32 * 1024;
    const HANDLE thread = CreateThread(nullptr, 1024 * 1024, DeepThread, &run, STACK_SIZE_PARAM_IS_A_RESERVATION,
                                       nullptr);
    ASSERT_NE(nullptr, thread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 120000));
    DWORD code = 99;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    EXPECT_EQ(0u, code) << "the thread did not end normally";
    EXPECT_LE(run.left, 40u * 1024) << "the search did not run in a small stack";
    EXPECT_TRUE(run.found);
    EXPECT_EQ(kDepth - 1, run.depthListed);
    ASSERT_EQ(static_cast<size_t>(kDepth), run.completed.size());
    EXPECT_TRUE(std::equal(levels.rbegin(), levels.rend(), run.completed.begin())) << "deepest first";
    for (auto it = levels.rbegin(); it != levels.rend(); ++it) RemoveDirectoryW(it->c_str());
}

// --- list files through nvkMain ---------------------------------------------------------------

TEST_F(Search, AListFileIsReadIntoAKeyedCollectionOrGivesNothingOrItsError) {
    ComPtr<_nvkMain> main;
    ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkMain::CreateInstance(IID_PPV_ARGS(&main))));
    const auto read = [&](const std::wstring& name, VARIANT_BOOL raise, HRESULT expected) {
        ComPtr<_Collection> list;
        EXPECT_EQ(Hr(expected),
                  Hr(main->ReadStandardListFile(NewBstr(name).get(), NewBstr(L";").get(), VARIANT_TRUE,
                                                VARIANT_TRUE, VARIANT_TRUE, raise, &list)));
        EXPECT_EQ(SUCCEEDED(expected) && raise, list != nullptr);
        return list;
    };
    const std::wstring missing = root_ + L"\\missing.lst";
    read(missing, VARIANT_FALSE, S_OK);
    EXPECT_FALSE(kelmor::test::TakeError().present);
    read(missing, VARIANT_TRUE, static_cast<HRESULT>(0x800A0035));
    const kelmor::test::TakenError e = kelmor::test::TakeError();
    EXPECT_EQ(L"Kelmor0200.nvkMain", e.source);
    EXPECT_EQ(L"File not found", e.description);
    read(root_ + L"\\none\\x.lst", VARIANT_TRUE, static_cast<HRESULT>(0x800A004C));  // path not found
    read(root_, VARIANT_TRUE, static_cast<HRESULT>(0x800A004B));  // a folder: path/file access error

    // OEM text (code page 866 here): "Привет" as its bytes, a comment, a blank line, b.
    const std::wstring file = tree_.File(L"list.lst", "  \x8F\xE0\xA8\xA2\xA5\xE2  \r\n ;x\r\n\r\nb");
    const ComPtr<_Collection> list = read(file, VARIANT_TRUE, S_OK);
    ASSERT_TRUE(list);
    LONG count = 0;
    list->Count(&count);
    EXPECT_EQ(2, count);
    for (const auto& [key, text] : {std::pair{L"1", L"Привет"}, std::pair{L"2", L"b"}}) {
        VARIANT index, item;
        V_VT(&index) = VT_BSTR;
        V_BSTR(&index) = SysAllocString(key);
        VariantInit(&item);
        EXPECT_EQ(Hr(S_OK), Hr(list->Item(&index, &item)));
        EXPECT_EQ(std::wstring(text), V_VT(&item) == VT_BSTR ? FromBstr(V_BSTR(&item)) : L"<not a text>");
        VariantClear(&index);
        VariantClear(&item);
    }
}

}  // namespace
