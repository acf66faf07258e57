// Speed of the file search against the system's own recursive listing ("dir /s /b") over the
// same generated tree of 20,000 files in 2,000 directories, measured in the same run. Both must
// list every entry of the tree. Under tools/bench.sh each side runs a few rounds and keeps its
// best, and the search must be no slower (ratio at most 1); the test command lists a tree of a
// tenth of the size once (tests/BenchReport.h).
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "TestSupport.h"
#include "Text.h"
#include "filesys/nvkFoundedFiles.h"

namespace {

using kelmor::test::Hr;
using Microsoft::WRL::ComPtr;

const int kTopFolders = kelmor::bench::Full() ? 40 : 4;
constexpr int kSubFolders = 49;  // in each top folder: 40 + 40 * 49 = 2,000 directories
constexpr int kFilesPerFolder = 10;
const int kRounds = kelmor::bench::Rounds(2);

// The generated tree under the temporary folder, removed at the end.
class Tree {
public:
    Tree() {
        wchar_t temp[MAX_PATH + 1];
        root_ = std::wstring(temp, GetTempPathW(MAX_PATH + 1, temp)) + L"kelmor-search-bench-" +
                std::to_wstring(GetCurrentProcessId());
        Folder(root_);
        for (int t = 0; t < kTopFolders; ++t) {
            const std::wstring top = root_ + L"\\d" + std::to_wstring(t);
            Folder(top);
            for (int s = 0; s < kSubFolders; ++s) Folder(top + L"\\s" + std::to_wstring(s));
        }
        for (size_t i = 1; i < folders_.size(); ++i) {
            for (int f = 0; f < kFilesPerFolder; ++f) {
                const std::wstring file = folders_[i] + L"\\file" + std::to_wstring(f) + L".txt";
                const HANDLE h =
                    CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
                if (h == INVALID_HANDLE_VALUE) continue;
                CloseHandle(h);
                files_.push_back(file);
            }
        }
    }
    ~Tree() {
        for (const std::wstring& file : files_) DeleteFileW(file.c_str());
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveDirectoryW(it->c_str());
    }
    const std::wstring& root() const { return root_; }
    size_t entries() const { return folders_.size() - 1 + files_.size(); }

private:
    void Folder(const std::wstring& path) {
        if (CreateDirectoryW(path.c_str(), nullptr)) folders_.push_back(path);
    }

    std::wstring root_;
    std::vector<std::wstring> folders_;  // the root first, parents before children
    std::vector<std::wstring> files_;
};

template <class Run>
double Seconds(Run&& run) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    run();
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

size_t Nodes(_nvkFoundedFiles* level) {
    LONG count = 0;
    level->get_Count(&count);
    size_t nodes = static_cast<size_t>(count);
    for (LONG i = 0; i < count; ++i) {
        ComPtr<_FoundedFile> node;
        ComPtr<_nvkFoundedFiles> childs;
        if (SUCCEEDED(level->get_Item(i, &node)) && SUCCEEDED(node->get_Childs(&childs)))
            nodes += Nodes(childs.Get());
    }
    return nodes;
}

TEST(SearchBenchmark, TheSearchListsWhatDirSListsAndIsNoSlower) {
    ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
    {
        const Tree tree;
        ASSERT_EQ(static_cast<size_t>(kTopFolders * (1 + kSubFolders) * (1 + kFilesPerFolder)), tree.entries());
        const kelmor::UniqueBstr root = kelmor::NewBstr(tree.root()), mask = kelmor::NewBstr(L"*");
        const std::wstring dir = L"cmd /c dir /s /b \"" + tree.root() + L"\"";

        // Both list the whole tree (once, outside the timing).
        const std::wstring listing = tree.root() + L".txt";
        ASSERT_EQ(0, kelmor::test::RunAndWait(dir + L" > \"" + listing + L"\""));
        size_t listed = 0;
        if (FILE* lines = _wfopen(listing.c_str(), L"rb")) {
            for (int c; (c = std::fgetc(lines)) != EOF;) listed += c == '\n';
            std::fclose(lines);
        }
        DeleteFileW(listing.c_str());
        EXPECT_EQ(tree.entries(), listed);

        ComPtr<_nvkFoundedFiles> search;
        ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkFoundedFiles::CreateInstance(IID_PPV_ARGS(&search))));
        EXPECT_TRUE(kelmor::bench::Guard(
            "file search (Refresh) of " + std::to_string(tree.entries()) + " entries vs cmd /c dir /s /b", "s", 1.0,
            kelmor::bench::Better::Lower, [&] {
                double ours = 1e9, theirs = 1e9;
                for (int round = 0; round < kRounds; ++round) {
                    VARIANT_BOOL found = VARIANT_FALSE;
                    ours = std::min(ours, Seconds([&] { search->Refresh(root.get(), mask.get(), &found); }));
                    EXPECT_EQ(VARIANT_TRUE, found);
                    theirs = std::min(theirs, Seconds([&] { kelmor::test::RunAndWait(dir + L" > NUL"); }));
                }
                return kelmor::bench::Measured{ours, theirs};
            }));
        EXPECT_EQ(tree.entries(), Nodes(search.Get()));
    }
    CoUninitialize();
}

}  // namespace
