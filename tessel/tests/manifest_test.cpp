// The application manifest embedded in Tessel.exe, read back from the built program (resource
// RT_MANIFEST 1), and what it does for the program when it runs.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

std::wstring Lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
    return text;
}

// The manifest as the loader sees it: the resource bytes (UTF-8) as text.
class Manifest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::wstring exe = kelmor::test::BesideExe(L"Tessel.exe");
        HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(nullptr, module) << "cannot load " << testing::PrintToString(exe);
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
        ASSERT_NE(nullptr, found) << "no manifest resource 1";
        const DWORD size = SizeofResource(module, found);
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
        ASSERT_NE(nullptr, bytes);
        const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, static_cast<int>(size), nullptr, 0);
        ASSERT_LT(0, n) << "the manifest is not UTF-8";
        text_.assign(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(size), text_.data(), n);
        // The file version, which the manifest's assembly version repeats.
        DWORD ignored = 0;
        std::vector<char> info(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
        ASSERT_FALSE(info.empty());
        ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        version_ = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." + std::to_wstring(LOWORD(fixed->dwFileVersionMS)) +
                   L"." + std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
                   std::to_wstring(LOWORD(fixed->dwFileVersionLS));
        FreeLibrary(module);
    }

    // The start tags of the elements named `name` (any namespace prefix), attributes included.
    static std::vector<std::wstring> Tags(const std::wstring& name) {
        std::vector<std::wstring> tags;
        for (size_t at = text_.find(L'<'); at != std::wstring::npos; at = text_.find(L'<', at + 1)) {
            const size_t end = text_.find(L'>', at);
            if (end == std::wstring::npos) break;
            std::wstring tag = text_.substr(at + 1, end - at - 1);
            std::wstring tagName = tag.substr(0, tag.find_first_of(L" \t\r\n/"));
            if (const size_t colon = tagName.find(L':'); colon != std::wstring::npos) tagName = tagName.substr(colon + 1);
            if (tagName == name) tags.push_back(tag);
        }
        return tags;
    }
    // The value of attribute `attribute` in a start tag; empty when it has none.
    static std::wstring Attribute(const std::wstring& tag, const std::wstring& attribute) {
        const size_t at = tag.find(L" " + attribute + L"=\"");
        if (at == std::wstring::npos) return {};
        const size_t start = at + attribute.size() + 3;
        return tag.substr(start, tag.find(L'"', start) - start);
    }
    // The text of the one element named `name`, and its namespace.
    static std::pair<std::wstring, std::wstring> Element(const std::wstring& name) {
        const std::vector<std::wstring> tags = Tags(name);
        if (tags.size() != 1) return {L"<" + std::to_wstring(tags.size()) + L" elements>", {}};
        const size_t open = text_.find(L"<" + tags[0] + L">");
        const size_t start = open + tags[0].size() + 2;
        return {text_.substr(start, text_.find(L'<', start) - start), Attribute(tags[0], L"xmlns")};
    }

    static std::wstring text_;
    static std::wstring version_;
};
std::wstring Manifest::text_;
std::wstring Manifest::version_;

TEST_F(Manifest, NamesTheProgramAndCommonControlsSix) {
    ASSERT_EQ(0u, text_.find(L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"));
    const std::vector<std::wstring> identities = Tags(L"assemblyIdentity");
    ASSERT_EQ(2u, identities.size());
    EXPECT_EQ(L"Nevkit.Tessel", Attribute(identities[0], L"name"));
    EXPECT_EQ(version_, Attribute(identities[0], L"version")) << "the file version and the manifest differ";
    EXPECT_EQ(L"win32", Attribute(identities[0], L"type"));
    EXPECT_EQ(L"Microsoft.Windows.Common-Controls", Attribute(identities[1], L"name"));
    EXPECT_EQ(L"6.0.0.0", Attribute(identities[1], L"version"));
    EXPECT_EQ(L"6595b64144ccf1df", Attribute(identities[1], L"publicKeyToken"));
    EXPECT_EQ(L"*", Attribute(identities[1], L"processorArchitecture"));
}

TEST_F(Manifest, RunsAsItsCallerOnTheSystemsItWasMadeFor) {
    const std::vector<std::wstring> levels = Tags(L"requestedExecutionLevel");
    ASSERT_EQ(1u, levels.size());
    EXPECT_EQ(L"asInvoker", Attribute(levels[0], L"level"));
    EXPECT_EQ(L"false", Attribute(levels[0], L"uiAccess"));
    std::vector<std::wstring> systems;
    for (const std::wstring& tag : Tags(L"supportedOS")) systems.push_back(Lower(Attribute(tag, L"Id")));
    EXPECT_EQ((std::vector<std::wstring>{L"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",    // Windows 7
                                         L"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",    // Windows 8
                                         L"{1f676c76-80e1-4239-95bb-83d0f6d0da78}",    // Windows 8.1
                                         L"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}),  // Windows 10 and 11
              systems);
}

TEST_F(Manifest, IsDpiAwarePerMonitorAndLongPathAware) {
    EXPECT_EQ((std::pair<std::wstring, std::wstring>{L"true/pm", L"http://schemas.microsoft.com/SMI/2005/WindowsSettings"}),
              Element(L"dpiAware"));
    EXPECT_EQ((std::pair<std::wstring, std::wstring>{L"PerMonitorV2, PerMonitor",
                                                     L"http://schemas.microsoft.com/SMI/2016/WindowsSettings"}),
              Element(L"dpiAwareness"));
    EXPECT_EQ((std::pair<std::wstring, std::wstring>{L"true", L"http://schemas.microsoft.com/SMI/2016/WindowsSettings"}),
              Element(L"longPathAware"));
}

// The loader honours it: the running program has the common controls of version 6 (from the
// side-by-side store, not the system folder's version 5).
TEST(ManifestAtRunTime, TheRunningProgramHasTheCommonControlsOfVersionSix) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring file = std::wstring(temp) + L"tessel-manifest-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    HANDLE f = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    CloseHandle(f);
    const std::wstring exe = kelmor::test::BesideExe(L"Tessel.exe");
    std::wstring line = L"\"" + exe + L"\" \"" + file + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);
    // Its main window up means its common controls are loaded.
    HWND window = nullptr;
    for (int i = 0; i < 600 && !window; ++i) {
        window = FindWindowW(L"TesselMainForm", nullptr);
        DWORD pid = 0;
        if (window) GetWindowThreadProcessId(window, &pid);
        if (pid != pi.dwProcessId) window = nullptr;
        if (!window) Sleep(25);
    }
    ASSERT_NE(nullptr, window);
    std::vector<std::wstring> comctl;
    HMODULE modules[512];
    DWORD bytes = 0;
    ASSERT_TRUE(EnumProcessModules(pi.hProcess, modules, sizeof modules, &bytes));
    for (DWORD i = 0; i < bytes / sizeof(HMODULE); ++i) {
        wchar_t name[MAX_PATH * 2] = {};
        if (GetModuleFileNameExW(pi.hProcess, modules[i], name, MAX_PATH * 2) == 0) continue;
        const std::wstring lower = Lower(name);
        if (lower.size() >= 12 && lower.substr(lower.size() - 12) == L"comctl32.dll") comctl.push_back(lower);
    }
    ASSERT_EQ(1u, comctl.size()) << "comctl32 loaded " << comctl.size() << " times";
    EXPECT_NE(std::wstring::npos, comctl[0].find(L"\\winsxs\\")) << testing::PrintToString(comctl[0]);
    EXPECT_NE(std::wstring::npos, comctl[0].find(L"common-controls_6595b64144ccf1df_6.")) << testing::PrintToString(comctl[0]);

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 15000));
    if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    DeleteFileW(file.c_str());
}

}  // namespace
