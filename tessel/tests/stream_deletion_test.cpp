// Deleting a stream by its record's name: only alternate data stream names, exactly or not at
// all in the ANSI code page, and beyond MAX_PATH through the wide deletion. Runs under code page
// 1251, which has no "Ä" (a best fit would write "A"). A stream is deleted by "file:name", which Wine
// keeps as a host file of that name (it has no streams), so a deleted stream here is a deleted file.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "StreamDeletion.h"

namespace {

class StreamDeletion : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"tessel-deletion-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            DeleteFileW(it->c_str());
            RemoveDirectoryW(it->c_str());
        }
        RemoveDirectoryW(folder_.c_str());
    }
    std::wstring Make(const std::wstring& name) {
        const std::wstring path = folder_ + name;
        std::ofstream(path.c_str()) << "x";
        made_.push_back(path);
        return path;
    }
    // A folder of folders below the test's folder whose full path is `length` characters long.
    std::wstring DeepFolder(size_t length) {
        std::wstring path = folder_;
        while (path.size() < length) {
            path += L"\\" + std::wstring(std::min<size_t>(60, length - path.size() - 1), L'д');
            CreateDirectoryW(path.c_str(), nullptr);
            made_.push_back(path);
        }
        return path;
    }
    static bool Exists(const std::wstring& path) {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::wstring folder_;
    std::vector<std::wstring> made_;
};

TEST_F(StreamDeletion, DeletesAStreamWhosePathTheCodePageHolds) {
    ASSERT_EQ(1251u, GetACP());
    const std::wstring file = Make(L"\\файл.txt");
    const std::wstring stream = Make(L"\\файл.txt:поток");
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), tessel::DeleteStream(file, L":поток:$DATA"));
    EXPECT_FALSE(Exists(stream));
    EXPECT_TRUE(Exists(file));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), tessel::DeleteStream(file, L":поток:$DATA"));
}

TEST_F(StreamDeletion, NamesThatAreNoAlternateStreamDeleteNothing) {
    const std::wstring file = Make(L"\\plain.txt");
    const std::wstring victim = Make(L"\\victim.txt");
    const std::wstring dataStream = Make(L"\\plain.txt::$DATA");
    for (const std::wstring name : {L"", L"\\..\\victim.txt", L"::$DATA", L":a\\b:$DATA", L":a/b:$DATA",
                                    L":a:b:$DATA", L":abc", L"abc:$DATA", L":abc:$DATA:$DATA", L":abc:$data"}) {
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), tessel::DeleteStream(file, name))
            << testing::PrintToString(name);
    }
    EXPECT_TRUE(Exists(file));
    EXPECT_TRUE(Exists(victim));
    EXPECT_TRUE(Exists(dataStream));
}

TEST_F(StreamDeletion, APathTheCodePageCannotHoldDeletesNothing) {
    const std::wstring file = Make(L"\\файл.txt");
    const std::wstring lookAlike = Make(L"\\файл.txt:A");
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION), tessel::DeleteStream(file, L":Ä:$DATA"));
    EXPECT_TRUE(Exists(lookAlike));
    // Half a surrogate pair, which no code page can hold.
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION), tessel::DeleteStream(file, L":\xD800:$DATA"));
    EXPECT_TRUE(Exists(lookAlike));
}

TEST_F(StreamDeletion, APathWithAnEmbeddedNulDeletesNothing) {
    const std::wstring cut = Make(L"\\cut");
    const std::wstring stream = Make(L"\\cut:s:$DATA");
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME),
              tessel::DeleteStream(cut + std::wstring(1, L'\0') + L".txt", L":s:$DATA"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME), tessel::DeleteStream(cut, std::wstring(L":s\0:$DATA", 10)));
    EXPECT_TRUE(Exists(stream));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), tessel::DeleteStream(L"", L":s:$DATA"));
}

TEST_F(StreamDeletion, ALongPathIsDeletedThroughItsExtendedLengthForm) {
    const std::wstring folder = DeepFolder(300);
    const std::wstring file = folder + L"\\длинный.txt";
    std::ofstream(file.c_str()) << "x";
    const std::wstring stream = file + L":поток";
    std::ofstream(stream.c_str()) << "x";
    made_.push_back(file);
    made_.push_back(stream);
    ASSERT_TRUE(Exists(stream));
    ASSERT_LT(300u, stream.size());

    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), tessel::DeleteStream(file, L":поток:$DATA"));
    EXPECT_FALSE(Exists(stream));
    EXPECT_TRUE(Exists(file));
}

}  // namespace
