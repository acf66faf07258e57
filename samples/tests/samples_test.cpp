// The sample scripts of samples/ run by the script host as a user would run them, their output
// checked line by line (Wine's script host prints nothing on a script error, so a sample that
// breaks loses its last line). One program for all of them: each Wine program start costs a
// second, a script host started from here much less.
//
// The program runs in the copy of the test prefix where the test reader stands in for the
// library's stream reader (Wine has no alternate data streams): a file's text is the records the
// reader lists for it, one per line "<kind> <attributes> <size> <name>" (tessel/tests/fake_reader).
// Everything else is the library's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ScriptRun.h"
#include "TestSupport.h"
#include "Variants.h"

namespace {

using kelmor::test::BesideExe;
using kelmor::test::RemoveTree;
using kelmor::test::RunCommand;
using kelmor::test::ScriptRun;
using kelmor::test::Utf8;

// A line with its runs of blanks made one blank and no blanks at its ends: the samples pad
// their columns.
std::wstring Squeezed(const std::wstring& line) {
    std::wistringstream in(line);
    std::wstring word, out;
    while (in >> word) out += (out.empty() ? L"" : L" ") + word;
    return out;
}

std::vector<std::wstring> Squeezed(const ScriptRun& run) {
    std::vector<std::wstring> lines;
    for (const std::wstring& line : run.lines) lines.push_back(Squeezed(line));
    return lines;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

class Samples : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = kelmor::test::ScriptFolder(L"kelmor-samples");
        out_ = root_ + L"-out";
        for (const auto& folder : {root_, out_}) {
            RemoveTree(folder);
            ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        }
    }
    void TearDown() override {
        RemoveTree(root_);
        RemoveTree(out_);
    }

    // The output files of a run lie beside the tree, not in it, where a search would find them.
    ScriptRun Run(const std::wstring& script, const std::wstring& arguments) const {
        return RunCommand(out_, L"cscript.exe //nologo \"" + BesideExe(script) + L"\" " + arguments);
    }
    std::wstring Path(const std::wstring& relative) const { return root_ + L"\\" + relative; }
    std::wstring Quoted(const std::wstring& relative) const { return L"\"" + Path(relative) + L"\""; }

    std::wstring root_, out_;
};

TEST_F(Samples, ListStreamsInVBScriptAndJScript) {
    WriteBytes(Path(L"setup.exe"), "1 0 5 ::$DATA\n4 0 26 :Zone.Identifier:$DATA\n");
    for (const wchar_t* script : {L"ListStreams.vbs", L"ListStreams.js"}) {
        SCOPED_TRACE(Utf8(script));
        ScriptRun run = Run(script, Quoted(L"setup.exe"));
        EXPECT_EQ(0, run.exitCode);
        EXPECT_EQ((std::vector<std::wstring>{L"5 DATA ::$DATA", L"26 ALTERNATE_DATA :Zone.Identifier:$DATA",
                                             L"Streams: 2"}),
                  Squeezed(run));

        run = Run(script, Quoted(L"missing.exe"));
        EXPECT_EQ(1, run.exitCode);
        EXPECT_EQ(std::vector<std::wstring>{L"Cannot read the streams of " + Path(L"missing.exe")}, run.lines);

        run = Run(script, L"");
        EXPECT_EQ(1, run.exitCode);
        ASSERT_EQ(1u, run.lines.size());
        EXPECT_EQ(0u, run.lines[0].find(L"Usage: ")) << Utf8(run.lines[0]);
    }
}

TEST_F(Samples, FindFilesPrintsSizesAndTheTotal) {
    ASSERT_TRUE(CreateDirectoryW(Path(L"docs").c_str(), nullptr));
    WriteBytes(Path(L"a.txt"), "12345");
    WriteBytes(Path(L"docs\\b.txt"), "123");
    WriteBytes(Path(L"docs\\c.log"), "1234567");
    ScriptRun run = Run(L"FindFiles.vbs", L"\"" + root_ + L"\"");
    EXPECT_EQ(0, run.exitCode);
    std::vector<std::wstring> lines = Squeezed(run);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(L"Files: 3, bytes: 15", lines.back());
    lines.pop_back();
    EXPECT_EQ((std::set<std::wstring>{L"5 " + Path(L"a.txt"), L"3 " + Path(L"docs\\b.txt"),
                                      L"7 " + Path(L"docs\\c.log")}),
              std::set<std::wstring>(lines.begin(), lines.end()));

    // The mask holds at every level: "docs" does not match *.txt and is not entered.
    run = Run(L"FindFiles.vbs", L"\"" + root_ + L"\" *.txt");
    EXPECT_EQ((std::vector<std::wstring>{L"5 " + Path(L"a.txt"), L"Files: 1, bytes: 5"}), Squeezed(run));
}

TEST_F(Samples, PictureInfoPrintsTypeAndSize) {
    // A 4 x 2 bitmap of 24 bits per pixel.
    std::string bmp = std::string("BM") + std::string("\x4E\0\0\0\0\0\0\0\x36\0\0\0", 12) +
                      std::string("\x28\0\0\0\x04\0\0\0\x02\0\0\0\x01\0\x18\0\0\0\0\0\x18\0\0\0", 24) +
                      std::string(16, '\0') + std::string(24, '\x40');
    WriteBytes(Path(L"four by two.bmp"), bmp);
    WriteBytes(Path(L"notes.txt"), "not a picture");
    ScriptRun run = Run(L"PictureInfo.vbs", Quoted(L"four by two.bmp"));
    EXPECT_EQ(0, run.exitCode);
    ASSERT_EQ(2u, run.lines.size());
    EXPECT_EQ(L"Type: Windows bitmap (1)", run.lines[0]);
    // The depth is that of the bitmap the system's loader makes (the screen's).
    EXPECT_EQ(0u, run.lines[1].find(L"Size: 4 x 2 pixels, ")) << Utf8(run.lines[1]);
    EXPECT_EQ(L" bits per pixel", run.lines[1].substr(run.lines[1].size() - 15));

    run = Run(L"PictureInfo.vbs", Quoted(L"notes.txt"));
    EXPECT_EQ(1, run.exitCode);
    ASSERT_EQ(1u, run.lines.size());
    EXPECT_EQ(0u, run.lines[0].find(L"Cannot load " + Path(L"notes.txt") + L": ")) << Utf8(run.lines[0]);
    EXPECT_EQ(L"(481)", run.lines[0].substr(run.lines[0].size() - 5));
}

TEST_F(Samples, SettingsCountRunsAndRemoveTheirKey) {
    const wchar_t* key = L"Software\\Vestrimo\\Nevkit\\Nevkit Samples";
    RegDeleteTreeW(HKEY_CURRENT_USER, key);
    ScriptRun run = Run(L"Settings.vbs", L"");
    EXPECT_EQ(0, run.exitCode);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(L"Key: HKEY_CURRENT_USER\\" + std::wstring(key) + L"\\Version 1.00\\Options", run.lines.front());
    EXPECT_EQ(L"Runs: 1, ticked: yes", run.lines.back());
    const std::set<std::wstring> values(run.lines.begin(), run.lines.end());
    EXPECT_TRUE(values.count(L"  Runs = 1"));
    EXPECT_TRUE(values.count(L"  Ticked = True"));

    run = Run(L"Settings.vbs", L"/remove");
    EXPECT_EQ(0, run.exitCode);
    ASSERT_GE(run.lines.size(), 2u);
    EXPECT_EQ(L"Runs: 2, ticked: no", run.lines[run.lines.size() - 2]);
    EXPECT_EQ(L"Removed: HKEY_CURRENT_USER\\" + std::wstring(key), run.lines.back());
    HKEY gone = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &gone));
}

TEST_F(Samples, BenchMarkTimesItsBlock) {
    const ScriptRun run = Run(L"BenchMark.vbs", L"1000");
    EXPECT_EQ(0, run.exitCode);
    ASSERT_EQ(4u, run.lines.size());
    EXPECT_EQ(L"Repetitions: 1000, length: 1000", run.lines[0]);
    EXPECT_EQ(0u, run.lines[1].find(L"Time: ")) << Utf8(run.lines[1]);
    EXPECT_EQ(L" ms", run.lines[1].substr(run.lines[1].size() - 3));
    EXPECT_EQ(0u, run.lines[2].find(L"Counter: ")) << Utf8(run.lines[2]);
    // The stopwatch's text: per repetition, " ms. / ", the count, the total in parentheses.
    EXPECT_NE(std::wstring::npos, run.lines[3].find(L" ms. / ")) << Utf8(run.lines[3]);
    EXPECT_EQ(L" ms.)", run.lines[3].substr(run.lines[3].size() - 5));
}

TEST_F(Samples, ListFileSkipsCommentsAndBlanks) {
    WriteBytes(Path(L"list.txt"), "; servers to watch\r\n\r\n  alpha  \r\nbeta\r\n;gamma\r\n");
    ScriptRun run = Run(L"ListFile.vbs", Quoted(L"list.txt"));
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ((std::vector<std::wstring>{L"1: alpha", L"2: beta", L"Entries: 2"}), run.lines);

    run = Run(L"ListFile.vbs", Quoted(L"missing.txt"));
    EXPECT_EQ(1, run.exitCode);
    ASSERT_EQ(1u, run.lines.size());
    EXPECT_EQ(L"(53)", run.lines[0].substr(run.lines[0].size() - 4)) << Utf8(run.lines[0]);
}

}  // namespace
