// Backup reading of real files: the stand-in for a platform without BackupRead on its own
// (the exact bytes, skips, the end, the abort), and the source that hands over to it only when
// the platform's first answer is "not supported".
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filesys/BackupReadSource.h"
#include "filesys/BackupStandIn.h"
#include "filesys/nvkFileStreams.h"
#include "CraftedBackup.h"
#include "StreamTestSupport.h"
#include "TestSupport.h"
#include "filesys/core/StreamRecord.h"

namespace {

using kelmor::BackupFunctions;
using kelmor::BackupReadSource;
using kelmor::BackupStandIn;
using kelmor::test::CraftedBackup;
using kelmor::test::ScratchFolder;
using namespace kelmor::core;

class File {
public:
    explicit File(const std::wstring& path)
        : h_(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    ~File() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

std::vector<std::byte> Bytes(const std::string& text) {
    std::vector<std::byte> out(text.size());
    std::memcpy(out.data(), text.data(), text.size());
    return out;
}

std::vector<std::byte> SecurityDescriptor(const std::wstring& path) {
    const SECURITY_INFORMATION what =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD need = 0;
    GetFileSecurityW(path.c_str(), what, nullptr, 0, &need);
    std::vector<std::byte> sd(need);
    EXPECT_TRUE(GetFileSecurityW(path.c_str(), what, sd.data(), need, &need));
    sd.resize(GetSecurityDescriptorLength(sd.data()));
    return sd;
}

// Everything the stand-in delivers for the open file, read in chunks of `chunk` bytes.
std::vector<std::byte> ReadAll(HANDLE file, BOOL security, DWORD chunk) {
    std::vector<std::byte> out;
    std::vector<BYTE> buffer(chunk);
    LPVOID context = nullptr;
    for (;;) {
        DWORD read = 0;
        EXPECT_TRUE(BackupStandIn::Read(file, buffer.data(), chunk, &read, FALSE, security, &context))
            << GetLastError();
        if (read == 0) break;
        const auto* bytes = reinterpret_cast<const std::byte*>(buffer.data());
        out.insert(out.end(), bytes, bytes + read);
    }
    DWORD read = 0;
    EXPECT_TRUE(BackupStandIn::Read(file, nullptr, 0, &read, TRUE, security, &context));
    EXPECT_EQ(nullptr, context);
    return out;
}

TEST(StandIn, DeliversSecurityDataThenTheFilesBytesInTheBackupLayout) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string content = "the quick brown fox jumps over the lazy dog";
    const std::wstring path = folder.File(L"fox.txt", content);
    File file(path);
    ASSERT_NE(INVALID_HANDLE_VALUE, file.get());

    CraftedBackup expected;
    expected.Stream(kBackupSecurityData, kStreamContainsSecurity, u"", SecurityDescriptor(path))
        .Stream(kBackupData, 0, u"", Bytes(content));
    for (DWORD chunk : {1u, 7u, 20u, 4096u})
        EXPECT_EQ(expected.bytes(), ReadAll(file.get(), TRUE, chunk)) << chunk;

    CraftedBackup dataOnly;
    dataOnly.Stream(kBackupData, 0, u"", Bytes(content));
    EXPECT_EQ(dataOnly.bytes(), ReadAll(file.get(), FALSE, 64));
}

TEST(StandIn, AFolderHasSecurityDataAndNoDataStream) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::wstring path = folder.Folder(L"inner");
    File dir(path);
    ASSERT_NE(INVALID_HANDLE_VALUE, dir.get());
    CraftedBackup expected;
    expected.Stream(kBackupSecurityData, kStreamContainsSecurity, u"", SecurityDescriptor(path));
    EXPECT_EQ(expected.bytes(), ReadAll(dir.get(), TRUE, 20));
    EXPECT_TRUE(ReadAll(dir.get(), FALSE, 20).empty());
}

TEST(StandIn, SkipsStayInsideTheCurrentStreamsData) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.ok());
    File file(folder.File(L"ten.txt", "0123456789"));
    LPVOID context = nullptr;
    BYTE header[kStreamHeaderSize];
    DWORD read = 0, low = 9, high = 9;

    ASSERT_TRUE(BackupStandIn::Read(file.get(), header, sizeof header, &read, FALSE, FALSE, &context));
    ASSERT_EQ(kStreamHeaderSize, read);
    EXPECT_TRUE(BackupStandIn::Seek(file.get(), 3, 0, &low, &high, &context));
    EXPECT_EQ(3u, low);
    EXPECT_EQ(0u, high);
    BYTE two[2];
    ASSERT_TRUE(BackupStandIn::Read(file.get(), two, 2, &read, FALSE, FALSE, &context));
    EXPECT_EQ('3', two[0]);
    // More than is left: to the end of the stream, and FALSE.
    EXPECT_FALSE(BackupStandIn::Seek(file.get(), 0, 1, &low, &high, &context));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SEEK), GetLastError());
    EXPECT_EQ(5u, low);
    EXPECT_EQ(0u, high);
    ASSERT_TRUE(BackupStandIn::Read(file.get(), header, sizeof header, &read, FALSE, FALSE, &context));
    EXPECT_EQ(0u, read) << "the end of the backup data";
    EXPECT_TRUE(BackupStandIn::Read(file.get(), nullptr, 0, &read, TRUE, FALSE, &context));
    EXPECT_EQ(nullptr, context);

    // Without a reading under way there is nothing to skip.
    EXPECT_FALSE(BackupStandIn::Seek(file.get(), 1, 0, &low, &high, &context));
}

// --- handing over from the platform -----------------------------------------------------------

// A platform whose first read answers `firstError` (0: it works, serving `served`), and whose
// later reads fail with `laterError` from read number `failFrom` on.
struct FakePlatform {
    static inline DWORD firstError = 0;
    static inline int failFrom = 0;
    static inline DWORD laterError = 0;
    static inline std::vector<std::byte> served;
    static inline size_t position = 0;
    static inline int reads = 0;
    static inline int aborts = 0;
    static inline int seeks = 0;
    static inline std::uint64_t seekLimit = ~0ull;  // the most one skip moves

    static void Reset(DWORD first, std::vector<std::byte> data = {}, int failFromRead = 0, DWORD later = 0) {
        firstError = first;
        served = std::move(data);
        failFrom = failFromRead;
        laterError = later;
        position = 0;
        reads = aborts = seeks = 0;
        seekLimit = ~0ull;
    }
    static BOOL WINAPI Read(HANDLE, LPBYTE buffer, DWORD n, LPDWORD read, BOOL abort, BOOL, LPVOID* context) {
        *read = 0;
        if (abort) {
            ++aborts;
            *context = nullptr;
            return TRUE;
        }
        ++reads;
        if (reads == 1 && firstError) {
            SetLastError(firstError);
            return FALSE;
        }
        if (failFrom && reads >= failFrom) {
            SetLastError(laterError);
            return FALSE;
        }
        *context = &position;
        const size_t count = std::min<size_t>(n, served.size() - position);
        std::memcpy(buffer, served.data() + position, count);
        position += count;
        *read = static_cast<DWORD>(count);
        return TRUE;
    }
    static BOOL WINAPI Seek(HANDLE, DWORD low, DWORD high, LPDWORD lowMoved, LPDWORD highMoved, LPVOID*) {
        ++seeks;
        const std::uint64_t count = (static_cast<std::uint64_t>(high) << 32) | low;
        const size_t moved =
            static_cast<size_t>(std::min<std::uint64_t>({count, served.size() - position, seekLimit}));
        position += moved;
        *lowMoved = static_cast<DWORD>(moved);
        *highMoved = 0;
        return moved == count;
    }
};

const BackupFunctions kFake{&FakePlatform::Read, &FakePlatform::Seek};

std::vector<std::uint32_t> Kinds(BackupReadSource& source) {
    std::vector<std::uint32_t> kinds;
    WalkBackupStreams(source, [&](const StreamHeader& h, std::span<const std::byte>) {
        kinds.push_back(h.streamId);
        return true;
    });
    return kinds;
}

class HandOver : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.ok());
        path_ = folder_.File(L"data.bin", "0123456789");
    }
    ScratchFolder folder_;
    std::wstring path_;
};

TEST_F(HandOver, NotSupportedOnTheFirstReadHandsTheReadingToTheStandIn) {
    for (DWORD error :
         {static_cast<DWORD>(ERROR_NOT_SUPPORTED), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED)}) {
        FakePlatform::Reset(error);
        File file(path_);
        BackupReadSource source(file.get(), true, kFake);
        EXPECT_EQ((std::vector<std::uint32_t>{kBackupSecurityData, kBackupData}), Kinds(source)) << error;
        EXPECT_TRUE(source.UsesStandIn());
        EXPECT_EQ(1, FakePlatform::reads) << "the platform is asked once";
        EXPECT_EQ(0, FakePlatform::seeks);
        EXPECT_EQ(0, FakePlatform::aborts) << "the stand-in releases its own context";
    }
}

TEST_F(HandOver, OtherFailuresAndLaterFailuresStayThePlatforms) {
    // Refused on the first read for another reason: no stream, no stand-in.
    FakePlatform::Reset(ERROR_ACCESS_DENIED);
    {
        File file(path_);
        BackupReadSource source(file.get(), true, kFake);
        EXPECT_TRUE(Kinds(source).empty());
        EXPECT_FALSE(source.UsesStandIn());
        EXPECT_EQ(1, FakePlatform::aborts) << "the platform's context is released";
    }
    // A platform that reads, then answers "not supported" later: the walk just ends there.
    CraftedBackup data;
    data.Stream(kBackupData, 0, u"", std::vector<std::byte>(10)).Stream(kBackupAlternateData, 0, u":s:$DATA");
    FakePlatform::Reset(0, data.bytes(), 3, ERROR_NOT_SUPPORTED);
    {
        File file(path_);
        BackupReadSource source(file.get(), false, kFake);
        EXPECT_EQ((std::vector<std::uint32_t>{kBackupData}), Kinds(source));
        EXPECT_FALSE(source.UsesStandIn());
        EXPECT_EQ(1, FakePlatform::seeks);
        EXPECT_EQ(1, FakePlatform::aborts);
    }
    // A working platform is read to its end and never handed over.
    FakePlatform::Reset(0, data.bytes());
    {
        File file(path_);
        BackupReadSource source(file.get(), false, kFake);
        EXPECT_EQ((std::vector<std::uint32_t>{kBackupData, kBackupAlternateData}), Kinds(source));
        EXPECT_FALSE(source.UsesStandIn());
    }
}

// What the reader answers when the platform's reading goes wrong halfway: false, with the
// records read before the fault still there.
TEST_F(HandOver, AFailedReadOrAShortSkipMakesTheReadingFalseWithTheRecordsSoFar) {
    ASSERT_EQ(S_OK, CoInitialize(nullptr));
    CraftedBackup data;
    data.Stream(kBackupData, 0, u"", std::vector<std::byte>(10))
        .Stream(kBackupAlternateData, 0, u":s:$DATA", std::vector<std::byte>(4))
        .Stream(kBackupAlternateData, 0, u":t:$DATA");
    struct Case {
        const char* what;
        int failFrom;  // the read that fails (0: none)
        DWORD error;
        std::uint64_t seekLimit;
        bool whole;
        LONG records;
    };
    for (const Case& c : {Case{"read to its end", 0, 0, ~0ull, true, 3},
                          Case{"a locked region at the second header", 3, ERROR_LOCK_VIOLATION, ~0ull, false, 1},
                          Case{"an I/O error where the end would be", 6, ERROR_IO_DEVICE, ~0ull, false, 3},
                          Case{"a skip that stops short", 0, 0, 6, false, 1}}) {
        SCOPED_TRACE(c.what);
        FakePlatform::Reset(0, data.bytes(), c.failFrom, c.error);
        FakePlatform::seekLimit = c.seekLimit;
        void* raw = nullptr;
        ASSERT_EQ(S_OK, kelmor::nvkFileStreams::CreateInstance(__uuidof(_nvkFileStreams), &raw));
        Microsoft::WRL::ComPtr<kelmor::nvkFileStreams> reader;
        kelmor::Adopt(reader, static_cast<kelmor::nvkFileStreams*>(static_cast<_nvkFileStreams*>(raw)));
        File file(path_);
        BackupReadSource source(file.get(), false, kFake);
        EXPECT_EQ(c.whole, reader->ReadFrom(source));
        LONG count = -1;
        EXPECT_EQ(S_OK, reader->get_Count(&count));
        EXPECT_EQ(c.records, count);
        EXPECT_EQ(1, FakePlatform::aborts) << "the context is released";
    }
    CoUninitialize();
}

}  // namespace
