// The messages of the error display: the caller's text in front of an error object's details
// or of an error code with its system text, and the style of the box.
#include <gtest/gtest.h>

#include <string>

#include "core/ErrorDisplayText.h"

namespace {

using kelmor::core::ErrorCodeMessage;
using kelmor::core::ErrorObjectMessage;
using kelmor::core::ErrorObjectStyle;
using kelmor::core::ErrorReportFields;
using kelmor::core::kWin32ApiError;
using kelmor::core::kWinMMError;

// gtest prints u16string mismatches as code units; this shows the texts.
std::string Show(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c == u'\r')
            out += "\\r";
        else if (c == u'\n')
            out += "\\n";
        else if (c < 0x80)
            out += static_cast<char>(c);
        else
            out += "?";
    }
    return out;
}
#define EXPECT_TEXT(expected, actual)                                                    \
    do {                                                                                 \
        const std::u16string e_ = (expected), a_ = (actual);                             \
        EXPECT_TRUE(e_ == a_) << "expected: " << Show(e_) << "\n  actual: " << Show(a_); \
    } while (0)

ErrorReportFields NumberDescriptionSource() {
    ErrorReportFields f;
    f.number = 53;
    f.numberText = u"53 (0x00000035)";
    f.description = u"File not found";
    f.source = u"Kelmor0200.nvkFileStreams";
    return f;
}

TEST(ErrorObjectMessage, CallerTextNumberDescriptionAndSource) {
    // The caller's line, an empty line, the number line, the description line, an empty line and
    // the source line, with no line break at the end.
    EXPECT_TEXT(
        u"Could not read the streams.\r\n"
        u"\r\n"
        u"Error number: 53 (0x00000035)\r\n"
        u"Description:  File not found\r\n"
        u"\r\n"
        u"Source:       Kelmor0200.nvkFileStreams",
        ErrorObjectMessage(u"Could not read the streams.", NumberDescriptionSource()));
    // Without the caller's text the details stand alone.
    EXPECT_TEXT(
        u"Error number: 53 (0x00000035)\r\n"
        u"Description:  File not found\r\n"
        u"\r\n"
        u"Source:       Kelmor0200.nvkFileStreams",
        ErrorObjectMessage(u"", NumberDescriptionSource()));
}

TEST(ErrorObjectMessage, OnlyANumberEndsWithoutLineBreak) {
    ErrorReportFields f;
    f.number = -2147024891;
    f.numberText = u"-2147024891 (0x80070005)";
    EXPECT_TEXT(u"Error number: -2147024891 (0x80070005)", ErrorObjectMessage(u"", f));
    EXPECT_TEXT(u"Access check\r\n\r\nError number: -2147024891 (0x80070005)",
                ErrorObjectMessage(u"Access check", f));
}

TEST(ErrorObjectMessage, DescriptionLinesAreFoldedIntoOneLine) {
    ErrorReportFields f;
    f.number = 5;
    f.numberText = u"5 (0x00000005)";
    f.description = u"The first line\r\nthe second line\r\n";
    // Each CR LF becomes a blank; a description section at the end keeps one line break.
    EXPECT_TEXT(u"U\r\n\r\nError number: 5 (0x00000005)\r\nDescription:  The first line the second line \r\n",
                ErrorObjectMessage(u"U", f));
}

TEST(ErrorObjectMessage, HelpFileAndContext) {
    ErrorReportFields f = NumberDescriptionSource();
    f.helpFile = u"C:\\Help\\Tessel.hlp";
    f.helpContext = 1200;
    f.helpContextText = u"1200 (0x000004B0)";
    EXPECT_TEXT(
        u"Error number: 53 (0x00000035)\r\n"
        u"Description:  File not found\r\n"
        u"\r\n"
        u"Source:       Kelmor0200.nvkFileStreams\r\n"
        u"Help file:    C:\\Help\\Tessel.hlp\r\n"
        u"Help context: 1200 (0x000004B0)",
        ErrorObjectMessage(u"", f));
    // A help context without a help file is still shown.
    ErrorReportFields contextOnly;
    contextOnly.helpContext = 7;
    contextOnly.helpContextText = u"7 (0x00000007)";
    EXPECT_TEXT(u"Help context: 7 (0x00000007)", ErrorObjectMessage(u"", contextOnly));
}

TEST(ErrorObjectMessage, NothingKnown) {
    EXPECT_TEXT(u"Unknown run-time error.", ErrorObjectMessage(u"", ErrorReportFields{}));
    // The caller's text alone, without a blank line or the unknown-error text.
    EXPECT_TEXT(u"The file could not be deleted.",
                ErrorObjectMessage(u"The file could not be deleted.", ErrorReportFields{}));
    // The caller's own line breaks are kept as they are.
    EXPECT_TEXT(u"a\r\nb\r\n", ErrorObjectMessage(u"a\r\nb\r\n", ErrorReportFields{}));
}

TEST(ErrorCodeMessage, LabelNumberAndSystemText) {
    EXPECT_TEXT(
        u"Win32 API error: 2 (0x00000002)\r\nDescription: Не удается найти указанный файл.",
        ErrorCodeMessage(u"", kWin32ApiError, u"2 (0x00000002)", u"Не удается найти указанный файл."));
    EXPECT_TEXT(u"Could not open.\r\n\r\nWinMM.DLL error: 2 (0x00000002)\r\nDescription: bad device id",
                ErrorCodeMessage(u"Could not open.", kWinMMError, u"2 (0x00000002)", u"bad device id"));
    // The system's text keeps its line breaks (one blank after the label here).
    EXPECT_TEXT(u"Win32 API error: 1 (0x00000001)\r\nDescription: line one\r\nline two\r\n",
                ErrorCodeMessage(u"", kWin32ApiError, u"1 (0x00000001)", u"line one\r\nline two\r\n"));
}

TEST(ErrorCodeMessage, CodeWithoutSystemText) {
    EXPECT_TEXT(u"Win32 API error: 123456 (0x0001E240)",
                ErrorCodeMessage(u"", kWin32ApiError, u"123456 (0x0001E240)", u""));
    EXPECT_TEXT(u"U\r\n\r\nWinMM.DLL error: 0 (0x00000000)",
                ErrorCodeMessage(u"U", kWinMMError, u"0 (0x00000000)", u""));
}

TEST(ErrorObjectStyle, HelpFileSetsTheHelpButton) {
    EXPECT_EQ(16, ErrorObjectStyle(16, u""));
    EXPECT_EQ(16 + 0x4000, ErrorObjectStyle(16, u"x.hlp"));
    EXPECT_EQ(0x40 | 4 | 0x100 | 0x1000 | 0x4000, ErrorObjectStyle(0x40 | 4 | 0x100 | 0x1000, u"x.hlp"));
    // Asked for already: the style stays as passed, the next flag (0x8000) is not touched.
    EXPECT_EQ(16 | 0x4000, ErrorObjectStyle(16 | 0x4000, u"x.hlp"));
    EXPECT_EQ(16 | 0x4000, ErrorObjectStyle(16 | 0x4000, u""));
}

}  // namespace
