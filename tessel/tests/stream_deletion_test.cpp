// Deleting by stream path through the ANSI file deletion: exactly or not at all. Runs under
// code page 1251, which has no "Ä" (a best fit would write "A").
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

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
        for (const wchar_t* name : {L"\\файл-A.txt", L"\\файл.txt", L"\\cut", L"\\plain.txt"})
            DeleteFileW((folder_ + name).c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    std::wstring Make(const std::wstring& name) {
        const std::wstring path = folder_ + name;
        std::ofstream(path.c_str()) << "x";
        return path;
    }
    static bool Exists(const std::wstring& path) {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    std::wstring folder_;
};

TEST_F(StreamDeletion, DeletesAPathTheCodePageHolds) {
    ASSERT_EQ(1251u, GetACP());
    const std::wstring path = Make(L"\\файл.txt");
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), tessel::DeleteStreamA(path));
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), tessel::DeleteStreamA(path));
}

TEST_F(StreamDeletion, DeletesAPlainAsciiPath) {
    const std::wstring path = Make(L"\\plain.txt");
    EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), tessel::DeleteStreamA(path));
    EXPECT_FALSE(Exists(path));
}

TEST_F(StreamDeletion, APathTheCodePageCannotHoldDeletesNothing) {
    const std::wstring lookAlike = Make(L"\\файл-A.txt");
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION),
              tessel::DeleteStreamA(folder_ + L"\\файл-Ä.txt"));
    EXPECT_TRUE(Exists(lookAlike));
    // Half a surrogate pair, which no code page can hold.
    EXPECT_EQ(static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION),
              tessel::DeleteStreamA(folder_ + L"\\файл-\xD800.txt"));
    EXPECT_TRUE(Exists(lookAlike));
}

TEST_F(StreamDeletion, APathWithAnEmbeddedNulDeletesNothing) {
    const std::wstring cut = Make(L"\\cut");
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_NAME),
              tessel::DeleteStreamA(cut + std::wstring(1, L'\0') + L".txt"));
    EXPECT_TRUE(Exists(cut));
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), tessel::DeleteStreamA(L""));
}

}  // namespace
