// A standard list file of 100,000 lines read through nvkMain.ReadStandardListFile, whose collection
// takes every line under its number as a key: the key index keeps that linear. The target is an
// absolute bound: the whole read in under one second (the row's reference is that bound, 1 s, and
// its target ratio 1). The plain reading of the same file's lines (read, split, each line made a
// text of its own) is measured beside it and printed as a note, for scale.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "Kelmor0200.h"
#include "TestSupport.h"
#include "Variants.h"
#include "nvkMain.h"

namespace {

using Microsoft::WRL::ComPtr;
using kelmor::test::Hr;
namespace bench = kelmor::bench;

constexpr int kLines = 100000;

template <typename Body>
double BestSeconds(int rounds, Body&& body) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        body();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// Reads the file and makes a BSTR of every line: what any reader of the lines does at least.
std::size_t PlainLines(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    std::vector<BSTR> lines;
    std::size_t start = 0;
    while (start < read) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = read;
        const std::size_t length = end - start - (end > start && bytes[end - 1] == '\r' ? 1 : 0);
        const int wide = MultiByteToWideChar(CP_ACP, 0, bytes.data() + start, static_cast<int>(length), nullptr, 0);
        BSTR line = SysAllocStringLen(nullptr, static_cast<UINT>(wide));
        MultiByteToWideChar(CP_ACP, 0, bytes.data() + start, static_cast<int>(length), line, wide);
        lines.push_back(line);
        start = end + 1;
    }
    for (BSTR line : lines) SysFreeString(line);
    return lines.size();
}

TEST(ListFileBenchmark, AHundredThousandLinesReadInUnderASecond) {
    ASSERT_EQ(Hr(S_OK), Hr(CoInitialize(nullptr)));
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        const std::wstring path = std::wstring(temp) + L"kelmor-list-bench-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
        std::string text;
        for (int i = 0; i < kLines; ++i) text += "line number " + std::to_string(i) + " of the list\r\n";
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);

        ComPtr<_nvkMain> main;
        ASSERT_EQ(Hr(S_OK), Hr(kelmor::nvkMain::CreateInstance(IID_PPV_ARGS(&main))));
        const int rounds = bench::Rounds(3);
        const BSTR name = SysAllocString(path.c_str());
        const BSTR comment = SysAllocString(L"#");
        double plain = 0;
        const bool ok = bench::Guard("ReadStandardListFile 100,000 lines, bound 1 s", "s", 1.0, bench::Better::Lower, [&] {
            bench::Measured m;
            m.reference = 1.0;  // the bound itself
            m.ours = BestSeconds(rounds, [&] {
                ComPtr<_Collection> list;
                EXPECT_EQ(Hr(S_OK), Hr(main->ReadStandardListFile(name, comment, VARIANT_TRUE, VARIANT_TRUE, VARIANT_FALSE,
                                                                  VARIANT_TRUE, &list)));
                LONG count = 0;
                if (list) list->Count(&count);
                EXPECT_EQ(kLines, count);
            });
            plain = BestSeconds(rounds, [&] { EXPECT_EQ(static_cast<std::size_t>(kLines), PlainLines(path)); });
            return m;
        });
        std::printf("# plain reading of the same lines: %.4g s\n", plain);
        SysFreeString(name);
        SysFreeString(comment);
        DeleteFileW(path.c_str());
        EXPECT_TRUE(ok) << "the bound was missed";
    }
    CoUninitialize();
}

}  // namespace
