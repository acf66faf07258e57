// The loaded-module list of this very process: the snapshot through the support library and
// the fixed-column lines of real modules, one of them relocated on purpose.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>

#include "TestSupport.h"
#include "dialogs/CToolHelpInfo.h"

namespace {

using kelmor::CModuleEntry;
using kelmor::CToolHelpInfo;
using kelmor::test::Hr;

// The expected texts, written out here independently of the library's code.
std::wstring Hex(LONG_PTR address) {
    wchar_t text[32];
    if (sizeof(LONG_PTR) == 8)
        swprintf(text, 32, L"0x%016llX", static_cast<unsigned long long>(address));
    else
        swprintf(text, 32, L"0x%08lX", static_cast<unsigned long>(address));
    return text;
}
std::wstring Grouped(LONG value) {
    std::wstring digits = std::to_wstring(value), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += L' ';
        out += digits[i];
    }
    return out;
}
std::wstring Padded(std::wstring text, size_t width) {
    if (text.size() < width) text.append(width - text.size(), L' ');
    return text;
}
std::wstring ExpectedLine(const CModuleEntry& m, LONG nameSize) {
    std::wstring line = Padded(m.Name, nameSize > 0 ? static_cast<size_t>(nameSize) : 0) + L"  " +
                        Hex(m.BaseAddress) + L"  ";
    if (m.BaseAddress == m.PrefferedAddress)
        line += std::wstring(Hex(0).size() + 4, L' ');
    else
        line += L"(" + Hex(m.PrefferedAddress) + L")  ";
    return line + Padded(Grouped(m.BaseSize), 13) + L"  " + m.FileName;
}

bool FindModule(const CToolHelpInfo& info, const wchar_t* name, CModuleEntry* found) {
    for (LONG i = 0; i < info.ModulesCount(); ++i) {
        CModuleEntry m;
        if (FAILED(info.ModuleItem(i, &m))) return false;
        if (_wcsicmp(m.Name.c_str(), name) == 0) {
            *found = m;
            return true;
        }
    }
    return false;
}

// Whether the process token holds `privilege` enabled (false also when it does not hold it).
bool PrivilegeEnabled(const wchar_t* privilege) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    LUID luid{};
    PRIVILEGE_SET set{1, PRIVILEGE_SET_ALL_NECESSARY, {}};
    BOOL enabled = FALSE;
    if (LookupPrivilegeValueW(nullptr, privilege, &luid)) {
        set.Privilege[0].Luid = luid;
        PrivilegeCheck(token, &set, &enabled);
    }
    CloseHandle(token);
    return enabled != FALSE;
}

TEST(ModuleList, TheSnapshotLeavesTheDebugPrivilegeAsItWas) {
    ASSERT_FALSE(PrivilegeEnabled(SE_DEBUG_NAME)) << "a test process starts without it";
    std::unique_ptr<CToolHelpInfo> info;
    ASSERT_EQ(Hr(S_OK), Hr(CToolHelpInfo::Create(&info)));
    EXPECT_GE(info->ModulesCount(), 3);
    EXPECT_FALSE(PrivilegeEnabled(SE_DEBUG_NAME)) << "the host program must not be left with it";
}

TEST(ModuleList, ListsThisProcessWithNtdllAndKernel32) {
    std::unique_ptr<CToolHelpInfo> info;
    ASSERT_EQ(Hr(S_OK), Hr(CToolHelpInfo::Create(&info)));
    ASSERT_GE(info->ModulesCount(), 3);
    // The platform lists the program first.
    CModuleEntry first;
    ASSERT_EQ(Hr(S_OK), Hr(info->ModuleItem(0, &first)));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetModuleHandleW(nullptr)), first.BaseAddress);
    EXPECT_EQ(0, _wcsicmp(kelmor::test::BesideExe(L"").c_str(),
                          first.FileName.substr(0, first.FileName.find_last_of(L'\\') + 1).c_str()))
        << first.FileName;
    for (const wchar_t* name : {L"ntdll.dll", L"kernel32.dll"}) {
        CModuleEntry m;
        ASSERT_TRUE(FindModule(*info, name, &m)) << name;
        const HMODULE loaded = GetModuleHandleW(name);
        MODULEINFO mi{};
        ASSERT_TRUE(GetModuleInformation(GetCurrentProcess(), loaded, &mi, sizeof mi));
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(loaded), m.BaseAddress) << name;
        EXPECT_EQ(static_cast<LONG>(mi.SizeOfImage), m.BaseSize) << name;
        EXPECT_NE(0, m.PrefferedAddress) << name;
        const size_t slash = m.FileName.find_last_of(L'\\');
        ASSERT_NE(std::wstring::npos, slash) << m.FileName;
        EXPECT_EQ(0, _wcsicmp(name, m.FileName.substr(slash + 1).c_str())) << m.FileName;
    }
}

TEST(ModuleList, IndexOutsideTheListIsError9) {
    std::unique_ptr<CToolHelpInfo> info;
    ASSERT_EQ(Hr(S_OK), Hr(CToolHelpInfo::Create(&info)));
    CModuleEntry m;
    EXPECT_EQ(Hr(static_cast<HRESULT>(0x800A0009)), Hr(info->ModuleItem(-1, &m)));
    EXPECT_EQ(Hr(static_cast<HRESULT>(0x800A0009)), Hr(info->ModuleItem(info->ModulesCount(), &m)));
}

TEST(ModuleList, LinesOfRealModulesAtAndAwayFromTheirPreferredAddress) {
    // A second copy of the support library cannot load where the first one is: it is
    // relocated, so its line shows the preferred address in parentheses.
    wchar_t temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
    const std::wstring copyName = L"nkcopy" + std::to_wstring(GetCurrentProcessId()) + L".dll";
    const std::wstring copy = std::wstring(temp) + copyName;
    ASSERT_TRUE(CopyFileW(kelmor::test::BesideExe(L"NevkitSupport0100.dll").c_str(), copy.c_str(), FALSE));
    const HMODULE relocated = LoadLibraryW(copy.c_str());
    ASSERT_NE(nullptr, relocated);

    std::unique_ptr<CToolHelpInfo> info;
    ASSERT_EQ(Hr(S_OK), Hr(CToolHelpInfo::Create(&info)));
    const LONG nameSize = info->LongestNameLength();
    CModuleEntry away, original;
    ASSERT_TRUE(FindModule(*info, copyName.c_str(), &away));
    ASSERT_TRUE(FindModule(*info, L"NevkitSupport0100.dll", &original));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(relocated), away.BaseAddress);
    EXPECT_NE(away.BaseAddress, away.PrefferedAddress);
    EXPECT_EQ(original.PrefferedAddress, away.PrefferedAddress);

    std::wstring line;
    ASSERT_EQ(Hr(S_OK), Hr(away.toString(nameSize, &line)));
    EXPECT_EQ(ExpectedLine(away, nameSize), line);
    EXPECT_NE(std::wstring::npos, line.find(L"(" + Hex(away.PrefferedAddress) + L")  ")) << line;

    CModuleEntry kernel32;
    ASSERT_TRUE(FindModule(*info, L"kernel32.dll", &kernel32));
    for (LONG size : {nameSize, 0L, 3L}) {
        ASSERT_EQ(Hr(S_OK), Hr(kernel32.toString(size, &line)));
        EXPECT_EQ(ExpectedLine(kernel32, size), line) << size;
    }
    // A module at its preferred address has blanks where the parentheses would be, so the
    // size column of both lines starts at the same place.
    kernel32.PrefferedAddress = kernel32.BaseAddress;
    ASSERT_EQ(Hr(S_OK), Hr(kernel32.toString(nameSize, &line)));
    EXPECT_EQ(ExpectedLine(kernel32, nameSize), line);
    const size_t sizeColumn = static_cast<size_t>(nameSize) + 2 + Hex(0).size() + 2 + Hex(0).size() + 4;
    EXPECT_EQ(Grouped(kernel32.BaseSize), line.substr(sizeColumn, Grouped(kernel32.BaseSize).size())) << line;
    std::wstring awayLine;
    away.toString(nameSize, &awayLine);
    EXPECT_EQ(Grouped(away.BaseSize), awayLine.substr(sizeColumn, Grouped(away.BaseSize).size())) << awayLine;

    FreeLibrary(relocated);
    DeleteFileW(copy.c_str());
}

}  // namespace
