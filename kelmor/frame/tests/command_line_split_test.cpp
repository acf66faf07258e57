// Splitting a command line into the program name and its arguments.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CommandLineSplit.h"

namespace {

using kelmor::core::SplitCommandLine;
using kelmor::core::TrimBlanks;
using Items = std::vector<std::u16string>;

TEST(CommandLineSplit, BlanksSeparateAndRunsOfBlanksGiveNoEmptyItems) {
    EXPECT_EQ((Items{u"prog", u"a", u"b"}), SplitCommandLine(u"prog a b"));
    EXPECT_EQ((Items{u"prog", u"a", u"b"}), SplitCommandLine(u"prog   a  b"));
    EXPECT_EQ((Items{u"prog", u"a", u"b"}), SplitCommandLine(u"  prog a b   "));
}

TEST(CommandLineSplit, QuotedItemsKeepTheirBlanksAndLoseTheirQuotes) {
    EXPECT_EQ((Items{u"prog", u"a b", u"c"}), SplitCommandLine(u"prog \"a b\" c"));
    EXPECT_EQ((Items{u"C:\\dir with blanks\\prog.exe", u"arg"}),
              SplitCommandLine(u"\"C:\\dir with blanks\\prog.exe\" arg"));
    // Blanks inside the quotes are kept even at their ends.
    EXPECT_EQ((Items{u"prog", u"  a  "}), SplitCommandLine(u"prog \"  a  \""));
}

TEST(CommandLineSplit, ClosingQuoteEndsTheItemEvenWithoutBlank) {
    EXPECT_EQ((Items{u"prog", u"a", u"b"}), SplitCommandLine(u"prog \"a\"b"));
    EXPECT_EQ((Items{u"prog", u"a", u"b c"}), SplitCommandLine(u"prog \"a\"\"b c\""));
}

TEST(CommandLineSplit, QuotesInsideUnquotedItemsAreOrdinaryCharacters) {
    EXPECT_EQ((Items{u"prog", u"a\"b", u"c\""}), SplitCommandLine(u"prog a\"b c\""));
    // No escapes: a backslash before a quote is an ordinary character too.
    EXPECT_EQ((Items{u"prog", u"a\\", u"b"}), SplitCommandLine(u"prog \"a\\\"b"));
}

TEST(CommandLineSplit, EmptyQuotesGiveAnEmptyItem) {
    EXPECT_EQ((Items{u"prog", u"", u"x"}), SplitCommandLine(u"prog \"\" x"));
    EXPECT_EQ((Items{u"prog", u""}), SplitCommandLine(u"prog \"\""));
}

TEST(CommandLineSplit, MissingClosingQuoteTakesTheRestOfTheLine) {
    EXPECT_EQ((Items{u"prog", u"abc"}), SplitCommandLine(u"prog \"abc"));
    EXPECT_EQ((Items{u"prog", u"a b  c"}), SplitCommandLine(u"prog \"a b  c   "));
    EXPECT_EQ((Items{u"prog", u""}), SplitCommandLine(u"prog \""));
}

TEST(CommandLineSplit, OnlyTheBlankSeparatesOtherWhiteSpaceBelongsToTheItem) {
    EXPECT_EQ((Items{u"prog", u"a\tb"}), SplitCommandLine(u"prog a\tb"));
    // ... even at the end of an item; trimming removes it only at the ends of what is left.
    EXPECT_EQ((Items{u"prog\t", u"a", u"b"}), SplitCommandLine(u"prog\t a \t b\r\n"));
}

TEST(CommandLineSplit, EmptyOrBlankTextGivesNoItems) {
    EXPECT_TRUE(SplitCommandLine(u"").empty());
    EXPECT_TRUE(SplitCommandLine(u"  \t ").empty());
}

TEST(CommandLineSplit, TrimmingMatchesTheSupportLibrary) {
    EXPECT_EQ(u"a b", TrimBlanks(u" \t\n\v\f\ra b\r\n "));
    // The no-break space and NUL are text.
    EXPECT_EQ(u"\u00A0a\u00A0", TrimBlanks(u"\u00A0a\u00A0"));
    EXPECT_EQ(std::u16string(u"a\0", 2), TrimBlanks(std::u16string(u"a\0 ", 3)));
}

TEST(CommandLineSplit, AFailingTrimStopsTheSplit) {
    int calls = 0;
    Items items;
    const bool ok = SplitCommandLine(
        u"prog a b",
        [&](std::u16string_view text, std::u16string& out) {
            if (++calls == 2) return false;
            out = TrimBlanks(text);
            return true;
        },
        items);
    EXPECT_FALSE(ok);
    EXPECT_EQ((Items{u"prog"}), items);
}

}  // namespace
