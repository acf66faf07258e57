// samples/StreamReport.vbs run by cscript as an administrator would run it.
//
// StreamReport.* run in the copy of the test prefix where the test reader stands in for the
// library's stream reader (Wine has no alternate data streams): each file of the tree the tests
// build holds the records the reader lists for it, one per line "<kind> <attributes> <size>
// <name>" (tessel/tests/fake_reader). The file search is the library's own.
//
// StreamReportMarks.* runs in the build's own prefix with the real reader, on real files whose
// streams are what Wine makes of the streams Windows programs write: "a.txt:Zone.Identifier"
// beside a.txt.
//
// StreamReportSpeed.* runs in the build's own prefix with the real reader, on a generated tree of
// 20,000 files under tools/bench.sh (2,000 under the test command, which checks only that the
// report and the walk see the same files): the report against the same walk without stream reading.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "ScriptRun.h"
#include "TestSupport.h"
#include "Variants.h"

namespace {

using kelmor::test::BesideExe;
using kelmor::test::ForEachEntry;
using kelmor::test::RemoveTree;
using kelmor::test::ScriptFolder;
using kelmor::test::ScriptRun;
using kelmor::test::Utf8;

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs `script` under cscript with `arguments` in `folder`.
ScriptRun RunScript(const std::wstring& folder, const std::wstring& script, const std::wstring& arguments) {
    ScriptRun run = kelmor::test::RunCommand(folder, L"cscript.exe //nologo \"" + script + L"\" " + arguments);
    EXPECT_NE(-1, run.exitCode) << "the script host did not start or did not end";
    return run;
}

void WriteText(const std::wstring& path, const std::string& utf8) {
    std::ofstream(path.c_str(), std::ios::binary) << utf8;
}

// The cells of a console row: size, kind, stream name (it may hold blanks) and the path, which
// starts with `root`.
std::vector<std::wstring> Cells(const std::wstring& row, const std::wstring& root) {
    std::wistringstream in(row);
    std::wstring size, kind;
    in >> size >> kind;
    std::wstring rest;
    std::getline(in, rest);
    const std::size_t path = rest.find(root);
    std::wstring name = rest.substr(0, path);
    name.erase(0, name.find_first_not_of(L' '));
    name.erase(name.find_last_not_of(L' ') + 1);
    return {size, kind, name, rest.substr(path)};
}

class StreamReport : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = ScriptFolder(L"kelmor-report");
        out_ = root_ + L"-out";
        for (const auto& folder : {root_, out_}) RemoveTree(folder);
        for (const auto& folder : {root_, out_, root_ + L"\\level1", root_ + L"\\level1\\level2"})
            ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        WriteText(root_ + L"\\a.txt", "1 0 5 \n4 0 26 :Zone.Identifier:$DATA\n");
        WriteText(root_ + L"\\plain.txt", "1 0 3 \n");
        WriteText(root_ + L"\\level1\\" + kCyrillic, "1 0 10 \n4 0 7 :say \"hi\", all:$DATA\n"
                                                      "4 0 1234567 :\xD0\x94\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5:$DATA\n");
        WriteText(root_ + L"\\level1\\level2\\deep.log", "1 0 1 \n3 2 120 \n4 0 9 :x:$DATA\n10 0 4 :odd:$DATA\n");
        script_ = BesideExe(L"StreamReport.vbs");
    }
    void TearDown() override {
        RemoveTree(root_);
        RemoveTree(out_);
    }

    // The rows of a run that name a file of the tree, as cells.
    std::set<std::vector<std::wstring>> Rows(const ScriptRun& run, const std::wstring& of = L"") const {
        std::set<std::vector<std::wstring>> rows;
        for (const std::wstring& line : run.lines)
            if (line.find(root_ + L"\\") != std::wstring::npos && line.find(of) != std::wstring::npos &&
                line.rfind(L"  " + root_, 0) != 0)
                rows.insert(Cells(line, root_));
        return rows;
    }

    std::wstring Path(const std::wstring& relative) const { return root_ + L"\\" + relative; }

    // "отчёт, итог.txt": Cyrillic and a comma.
    static constexpr const wchar_t* kCyrillic = L"\u043E\u0442\u0447\u0451\u0442, \u0438\u0442\u043E\u0433.txt";
    std::wstring root_, out_, script_;
};

TEST_F(StreamReport, ListsNamedStreamsOfTheWholeTree) {
    const ScriptRun run = RunScript(out_, script_, L"\"" + root_ + L"\"");
    ASSERT_EQ(0, run.exitCode);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(L"Folders: 3, files: 4, streams: 4, could not be read: 0, with alternate streams: 3 (1234609 bytes)", run.lines.back());
    const std::wstring cyrillic = Path(L"level1\\") + kCyrillic;
    EXPECT_EQ((std::set<std::vector<std::wstring>>{
                  {L"26", L"ALTERNATE_DATA", L"Zone.Identifier", Path(L"a.txt")},
                  {L"9", L"ALTERNATE_DATA", L"x", Path(L"level1\\level2\\deep.log")},
                  {L"7", L"ALTERNATE_DATA", L"say \"hi\", all", cyrillic},
                  {L"1234567", L"ALTERNATE_DATA", L"\u0414\u0430\u043D\u043D\u044B\u0435", cyrillic},
              }),
              Rows(run));
}

TEST_F(StreamReport, AllListsEveryKindAndMaskNarrowsEveryLevel) {
    ScriptRun run = RunScript(out_, script_, L"\"" + root_ + L"\" /all");
    ASSERT_EQ(0, run.exitCode);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(L"Folders: 3, files: 4, streams: 10, could not be read: 0, with alternate streams: 3 (1234609 bytes)", run.lines.back());
    const std::wstring log = Path(L"level1\\level2\\deep.log");
    EXPECT_EQ((std::set<std::vector<std::wstring>>{{L"1", L"DATA", L"{Data}", log},
                                                   {L"120", L"SECURITY_DATA", L"{Security Data}", log},
                                                   {L"9", L"ALTERNATE_DATA", L"x", log},
                                                   {L"4", L"0x0000000A", L"odd", log}}),
              Rows(run, L"deep.log"));

    // The mask holds at every level: level1 does not match *.txt, so it is not entered.
    run = RunScript(out_, script_, L"/mask:*.txt \"" + root_ + L"\"");
    ASSERT_EQ(0, run.exitCode);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(L"Folders: 1, files: 2, streams: 1, could not be read: 0, with alternate streams: 1 (26 bytes)", run.lines.back());
}

TEST_F(StreamReport, CsvIsUtf8WithItsMarkAndQuotedFields) {
    const std::wstring csv = out_ + L"\\report.csv";
    const ScriptRun run = RunScript(out_, script_, L"\"" + root_ + L"\" \"/csv:" + csv + L"\"");
    ASSERT_EQ(0, run.exitCode);
    for (const std::wstring& line : run.lines) EXPECT_EQ(std::wstring::npos, line.find(L"ALTERNATE_DATA")) << "csv only";
    const std::string bytes = ReadBytes(csv);
    ASSERT_EQ("\xEF\xBB\xBF", bytes.substr(0, 3));
    std::set<std::string> lines;
    std::istringstream in(bytes.substr(3));
    std::string header;
    std::getline(in, header);
    EXPECT_EQ("Path,Stream,Size,Kind\r", header);
    for (std::string line; std::getline(in, line);) lines.insert(line);
    const std::string cyrillic = "\"" + Utf8(Path(L"level1\\") + kCyrillic) + "\"";
    EXPECT_EQ((std::set<std::string>{
                  Utf8(Path(L"a.txt")) + ",Zone.Identifier,26,ALTERNATE_DATA\r",
                  cyrillic + ",\"say \"\"hi\"\", all\",7,ALTERNATE_DATA\r",
                  cyrillic + ",\xD0\x94\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5,1234567,ALTERNATE_DATA\r",
                  Utf8(Path(L"level1\\level2\\deep.log")) + ",x,9,ALTERNATE_DATA\r",
              }),
              lines);
}

TEST_F(StreamReport, UnreadableFilesAreCountedAndTheWalkGoesOn) {
    WriteText(Path(L"broken.txt"), "fail 5\n");
    // Held open without sharing: the reader cannot open it.
    HANDLE locked = CreateFileW(Path(L"level1\\locked.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    const ScriptRun run = RunScript(out_, script_, L"\"" + root_ + L"\"");
    CloseHandle(locked);
    EXPECT_EQ(2, run.exitCode);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(L"Folders: 3, files: 6, streams: 4, could not be read: 2, with alternate streams: 3 (1234609 bytes)", run.lines.back());
    int named = 0;
    for (const std::wstring& line : run.lines)
        named += line.rfind(L"  " + Path(L"broken.txt") + L": ", 0) == 0 ||
                 line.rfind(L"  " + Path(L"level1\\locked.txt") + L": ", 0) == 0;
    EXPECT_EQ(2, named);
}

TEST_F(StreamReport, BadCommandLinesGiveUsageAndExitCodeOne) {
    for (const std::wstring& arguments : {std::wstring(), L"\"" + Path(L"missing") + L"\"",
                                          L"\"" + root_ + L"\" /bogus", L"\"" + root_ + L"\" \"" + root_ + L"\""}) {
        SCOPED_TRACE(Utf8(arguments));
        const ScriptRun run = RunScript(out_, script_, arguments);
        EXPECT_EQ(1, run.exitCode);
        ASSERT_FALSE(run.lines.empty());
        EXPECT_EQ(0u, run.lines.back().rfind(L"Usage: cscript //nologo StreamReport.vbs FOLDER", 0));
    }
}

// What the platform charges for touching every file once as a stream reader must: open it for
// reading, ask its size, close it; the folders found as a search finds them.
double OpenEveryFile(const std::wstring& folder) {
    const auto start = std::chrono::steady_clock::now();
    ForEachEntry(folder, [](const std::wstring& path, const WIN32_FIND_DATAW& found) {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            OpenEveryFile(path);
            return;
        }
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        LARGE_INTEGER size{};
        GetFileSizeEx(file, &size);
        CloseHandle(file);
    });
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Marks of the Web, as browsers and mail programs write them, in a tree of real files: two
// zones, a mark that is no zone text, an empty one, one too large to be a mark, and a stream
// that is not a mark.
class StreamReportMarks : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = ScriptFolder(L"kelmor-marks");
        out_ = root_ + L"-out";
        for (const auto& folder : {root_, out_}) RemoveTree(folder);
        for (const auto& folder : {root_, out_, root_ + L"\\sub"}) ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        const std::pair<const wchar_t*, const char*> files[] = {
            {L"a.txt", "hello"},
            {L"a.txt:Zone.Identifier", kInternet},
            {L"sub\\b.txt", "b"},
            {L"sub\\b.txt:Zone.Identifier", "[ZoneTransfer]\r\nZoneId=4\r\nHostUrl=https://bad.example/b\r\n"},
            {L"c.txt", "c"},
            {L"c.txt:Zone.Identifier", "not a zone text\r\n"},
            {L"d.txt", "d"},
            {L"d.txt:Zone.Identifier", ""},
            {L"e.txt", "e"},
            {L"e.txt:notes", "12345"},
            {L"f.txt", "f"},
            {L"g.txt", "g"},
        };
        for (const auto& [name, text] : files) WriteText(root_ + L"\\" + name, text);
        WriteText(root_ + L"\\g.txt:Zone.Identifier", std::string(70000, 'x'));  // no mark is that large
    }
    void TearDown() override {
        RemoveTree(root_);
        RemoveTree(out_);
    }
    static constexpr const char* kInternet =
        "[ZoneTransfer]\r\nZoneId=3\r\nReferrerUrl=https://example.org/find?q=a,b&x=\"y\"\r\n"
        "HostUrl=https://example.org/files/a.txt\r\n";
    std::wstring root_, out_;
};

TEST_F(StreamReportMarks, ZoneListsWhereEachFileCameFromAndCountsTheMarks) {
    const ScriptRun run = RunScript(out_, BesideExe(L"StreamReport.vbs"), L"\"" + root_ + L"\" /zone");
    EXPECT_EQ(0, run.exitCode);
    ASSERT_GE(run.lines.size(), 2u);
    const std::wstring sizes = std::to_wstring(std::string(kInternet).size() + 57 + 17 + 0 + 5 + 70000);
    EXPECT_EQ(L"Folders: 2, files: 7, streams: 5, could not be read: 0, with alternate streams: 6 (" + sizes +
                  L" bytes)",
              run.lines.back());
    // The stream's row, then its zone and addresses on lines of their own.
    const auto after = [&](const std::wstring& path) {
        std::vector<std::wstring> lines;
        for (std::size_t i = 0; i < run.lines.size(); ++i)
            if (run.lines[i].ends_with(L"  " + root_ + L"\\" + path))
                for (std::size_t j = i + 1; j < run.lines.size() && run.lines[j].rfind(L"                ", 0) == 0; ++j)
                    lines.push_back(run.lines[j].substr(16));
        return lines;
    };
    EXPECT_EQ((std::vector<std::wstring>{L"Zone: 3 (Internet)", L"HostUrl: https://example.org/files/a.txt",
                                         L"ReferrerUrl: https://example.org/find?q=a,b&x=\"y\""}),
              after(L"a.txt"));
    EXPECT_EQ((std::vector<std::wstring>{L"Zone: 4 (Restricted sites)", L"HostUrl: https://bad.example/b"}),
              after(L"sub\\b.txt"));
    EXPECT_EQ((std::vector<std::wstring>{L"Zone: not a zone mark (no [ZoneTransfer] section)"}), after(L"c.txt"));
    EXPECT_EQ((std::vector<std::wstring>{L"Zone: empty"}), after(L"d.txt"));
    EXPECT_EQ((std::vector<std::wstring>{L"Zone: too large for a mark (70000 bytes)"}), after(L"g.txt"));
    EXPECT_TRUE(after(L"e.txt").empty()) << "a stream that is not a mark is not listed with /zone";
    EXPECT_NE(run.lines.end(), std::find(run.lines.begin(), run.lines.end(),
                                         L"Marked: 5; by zone: 3 Internet: 1, 4 Restricted sites: 1, no usable mark: 3"));
}

TEST_F(StreamReportMarks, CsvCarriesTheZoneFieldsQuoted) {
    const std::wstring csv = out_ + L"\\marks.csv";
    const ScriptRun run = RunScript(out_, BesideExe(L"StreamReport.vbs"), L"\"" + root_ + L"\" /zone \"/csv:" + csv + L"\"");
    EXPECT_EQ(0, run.exitCode);
    const std::string bytes = ReadBytes(csv);
    ASSERT_EQ("\xEF\xBB\xBF", bytes.substr(0, 3));
    std::istringstream in(bytes.substr(3));
    std::string header;
    std::getline(in, header);
    EXPECT_EQ("Path,Stream,Size,Kind,Zone,Zone name,HostUrl,ReferrerUrl\r", header);
    std::set<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.insert(line);
    const auto path = [&](const wchar_t* relative) { return Utf8(root_ + L"\\" + relative); };
    EXPECT_EQ((std::set<std::string>{
                  path(L"a.txt") + ",Zone.Identifier," + std::to_string(std::string(kInternet).size()) +
                      ",ALTERNATE_DATA,3,Internet,https://example.org/files/a.txt,"
                      "\"https://example.org/find?q=a,b&x=\"\"y\"\"\"\r",
                  path(L"sub\\b.txt") + ",Zone.Identifier,57,ALTERNATE_DATA,4,Restricted sites,https://bad.example/b,\r",
                  path(L"c.txt") + ",Zone.Identifier,17,ALTERNATE_DATA,,not a zone mark (no [ZoneTransfer] section),,\r",
                  path(L"d.txt") + ",Zone.Identifier,0,ALTERNATE_DATA,,empty,,\r",
                  path(L"g.txt") + ",Zone.Identifier,70000,ALTERNATE_DATA,,too large for a mark (70000 bytes),,\r",
              }),
              lines);
}

// The report over 20,000 files in 2,000 folders against the same walk without reading streams.
// Reading streams means opening every file, which the walk never does: under Wine an open, a
// size and a close cost about three times what the walk spends on an entry. So the report is held
// to 1.5 times the walk plus that floor, measured in the same run.
TEST(StreamReportSpeed, TheReportSeesTheWalksFilesAndReadingStreamsDoesNotDominate) {
    const int folders = kelmor::bench::Full() ? 2000 : 200;
    const std::wstring root = ScriptFolder(L"kelmor-report-speed");
    RemoveTree(root);
    RemoveTree(root + L"-out");
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((root + L"-out").c_str(), nullptr));
    for (int d = 0; d < folders; ++d) {
        const std::wstring folder = root + L"\\d" + std::to_wstring(d / 100) + (d % 100 ? L"\\s" + std::to_wstring(d % 100) : L"");
        CreateDirectoryW(folder.c_str(), nullptr);
        for (int f = 0; f < 10; ++f) {
            HANDLE file = CreateFileW((folder + L"\\f" + std::to_wstring(f) + L".dat").c_str(), GENERIC_WRITE, 0,
                                      nullptr, CREATE_NEW, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, file);
            CloseHandle(file);
        }
    }
    const std::wstring walkOnly = BesideExe(L"stream_report_walk.vbs");
    const auto timed = [&](const std::wstring& script, const std::wstring& args) {
        const auto start = std::chrono::steady_clock::now();
        const ScriptRun run = RunScript(root + L"-out", script, args);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(0, run.exitCode);
        EXPECT_FALSE(run.lines.empty());
        return std::pair{seconds, run.lines.empty() ? std::wstring() : run.lines.back()};
    };
    const std::wstring counts =
        L"Folders: " + std::to_wstring(folders + 1) + L", files: " + std::to_wstring(folders * 10);
    EXPECT_TRUE(kelmor::bench::Guard(
        "stream report of " + std::to_string(folders * 10) + " files vs walk + opening every file", "s", 1.5,
        kelmor::bench::Better::Lower, [&] {
            double walk = 1e9, report = 1e9, floor = 1e9;
            for (int round = 0; round < kelmor::bench::Rounds(2); ++round) {
                const auto w = timed(walkOnly, L"\"" + root + L"\"");
                const auto r = timed(BesideExe(L"StreamReport.vbs"), L"\"" + root + L"\"");
                EXPECT_EQ(counts, w.second);
                EXPECT_EQ(counts + L", streams: 0, could not be read: 0, with alternate streams: 0 (0 bytes)",
                          r.second);
                walk = std::min(walk, w.first);
                report = std::min(report, r.first);
                floor = std::min(floor, OpenEveryFile(root));
            }
            return kelmor::bench::Measured{report, walk + floor};
        }));
    RemoveTree(root);
    RemoveTree(root + L"-out");
}

}  // namespace
