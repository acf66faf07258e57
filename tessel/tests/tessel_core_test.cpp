// The stream lister's portable rules: the usage text's layout, the row texts' choice between
// short name, kind and stream id, the viewer's command line, the program's arguments, and which
// stream names may be deleted and how a long stream path is written.
#include <gtest/gtest.h>

#include <utility>

#include "core/StreamPath.h"
#include "core/TesselTexts.h"

namespace {

using namespace tessel::core;

TEST(TesselTexts, UsageTextIsThreeParagraphsWithTheNameGluedToItsExtensionHint) {
    EXPECT_EQ(
        u"Использование: \r\n\r\nTessel[.EXE] FileName\r\n\r\n"
        u"Выводит список всех альтернативных NTFS потоков для заданного файла или каталога.",
        UsageText(u"Tessel"));
    EXPECT_EQ(0u, UsageText(u"Другое имя").find(u"Использование: \r\n\r\nДругое имя[.EXE] FileName\r\n"));
}

TEST(TesselTexts, RowTextsPreferTheShortNameThenTheFirstKindThenTheStreamId) {
    EXPECT_EQ(u"abc", DisplayName(u"abc", 4));
    EXPECT_EQ(u"abc", DisplayName(u"abc", std::nullopt));  // a named stream of an unknown kind
    EXPECT_EQ(u"{Data}", DisplayName(u"", 1));
    EXPECT_EQ(u"{Sparse Block}", DisplayName(u"", 9));
    EXPECT_EQ(u"{Unknown}", DisplayName(u"", std::nullopt));
    EXPECT_EQ(u"{Unknown}", DisplayName(u"", 10));  // outside the table: no kind
    EXPECT_EQ(u"SECURITY_DATA", StreamIdText(3, u"0x00000003"));
    EXPECT_EQ(u"0x0000000A", StreamIdText(std::nullopt, u"0x0000000A"));
    EXPECT_EQ(u"0x0000000B", StreamIdText(11, u"0x0000000B"));
}

TEST(TesselTexts, ViewerCommandLineQuotesBothPartsAndEscapesNothing) {
    EXPECT_EQ(u"\"Write.EXE\" \"C:\\f.txt::$DATA\"", ViewerCommandLine(u"Write.EXE", u"C:\\f.txt::$DATA"));
    // Whatever the settings file holds is wrapped as it is, quotes included.
    EXPECT_EQ(u"\"\"C:\\v.exe\" /x\" \"a\"", ViewerCommandLine(u"\"C:\\v.exe\" /x", u"a"));
    EXPECT_EQ(u"\"\" \"\"", ViewerCommandLine(u"", u""));
}

TEST(TesselTexts, ArgumentTextSkipsTheProgramNameQuotedOrNot) {
    EXPECT_EQ(u"a b", ArgumentText(u"Tessel.exe a b"));
    EXPECT_EQ(u"\"x y\" z", ArgumentText(u"\"C:\\Program Files\\Tessel.exe\"   \"x y\" z"));
    EXPECT_EQ(u"", ArgumentText(u"Tessel.exe"));
    EXPECT_EQ(u"", ArgumentText(u"\"unterminated name"));
    EXPECT_EQ(u"", ArgumentText(u""));
    EXPECT_EQ(u"x", ArgumentText(u"prog\tx"));
}

TEST(StreamPath, OnlyAlternateDataStreamNamesMayBeDeleted) {
    for (const std::u16string_view name : {u":abc:$DATA", u":a:$DATA", u":поток с пробелом:$DATA", u":..:$DATA"})
        EXPECT_TRUE(IsAlternateStreamName(name)) << std::string(name.begin(), name.end());
    for (const std::u16string_view name :
         {u"", u":", u"::$DATA", u":$DATA", u"\\..\\victim.txt", u":a\\b:$DATA", u":a/b:$DATA", u":a:b:$DATA",
          u":abc", u"abc:$DATA", u":abc:$data", u":abc:$DATA ", u"x:abc:$DATA"})
        EXPECT_FALSE(IsAlternateStreamName(name)) << std::string(name.begin(), name.end());
    EXPECT_FALSE(IsAlternateStreamName(std::u16string_view(u":a\0b:$DATA", 10)));
}

TEST(StreamPath, AnAlternateStreamIsOpenedByTheFilesPathAndItsOwnName) {
    EXPECT_EQ(u"C:\\x\\a.txt:abc", StreamPath(u"C:\\x\\a.txt", u":abc:$DATA"));
    EXPECT_EQ(u"C:\\x\\a.txt::$DATA", StreamPath(u"C:\\x\\a.txt", u"::$DATA")) << "the data stream as named";
    EXPECT_EQ(u"C:\\x\\a.txt:b:$INDEX", StreamPath(u"C:\\x\\a.txt", u":b:$INDEX"));
}

}  // namespace
