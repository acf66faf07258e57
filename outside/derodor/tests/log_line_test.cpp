// The event log line: field order, escaping, UTF-8.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "LogLine.h"

namespace {

using derodor::core::Escape;
using derodor::core::FormatLogLine;
using derodor::core::FormatTime;
using derodor::core::LogRecord;
using derodor::core::ToUtf8;

TEST(LogLine, FieldsInOrderSeparatedByTabsEndingInCrLf) {
    LogRecord r;
    r.time = {2025, 3, 7, 9, 5, 4, 12};
    r.eventType = 2;
    r.category = u"Runtime Error";
    r.eventId = -2147221005;
    r.source = u"Tessel";
    r.major = 2;
    r.minor = 0;
    r.revision = 120;
    r.user = u"olga";
    r.computer = u"WS-01";
    r.processId = 4242;
    r.threadId = 77;
    r.message = u"Error number: 9";
    EXPECT_EQ("2025-03-07T09:05:04.012Z\t2\tRuntime Error\t-2147221005\tTessel\t2.0.120\tolga\tWS-01\t4242\t77\t"
              "Error number: 9\r\n",
              FormatLogLine(r));
}

TEST(LogLine, EmptyFieldsKeepTheirPlace) {
    LogRecord r;
    EXPECT_EQ("1970-01-01T00:00:00.000Z\t0\t\t0\t\t0.0.0\t\t\t0\t0\t\r\n", FormatLogLine(r));
}

TEST(LogLine, LineBreaksTabsAndBackslashesAreEscaped) {
    EXPECT_EQ(u"a\\r\\nb\\tc\\\\d", Escape(u"a\r\nb\tc\\d"));
    EXPECT_EQ(u"\\x00\\x1B\\x1F ", Escape(std::u16string(u"\0\x1B\x1F ", 4)));
    // An escaped text can be told apart from one that held the escape's characters.
    EXPECT_NE(Escape(u"\\n"), Escape(u"\n"));

    LogRecord r;
    r.message = u"first\r\nsecond\tthird";
    r.category = u"x\ny";
    const std::string line = FormatLogLine(r);
    EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line per report";
    EXPECT_EQ(10, std::count(line.begin(), line.end(), '\t')) << "exactly eleven fields";
}

TEST(LogLine, TextsAreUtf8) {
    EXPECT_EQ("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", ToUtf8(u"Привет"));
    EXPECT_EQ("A\xC3\xA9\xE2\x82\xAC", ToUtf8(u"Aé€"));
    EXPECT_EQ("\xF0\x9F\x98\x80", ToUtf8(u"\U0001F600"));
    // A surrogate without its partner cannot be encoded: it becomes the replacement character.
    EXPECT_EQ("\xEF\xBF\xBD" "a", ToUtf8(std::u16string(u"\xD800" u"a")));
    EXPECT_EQ("a\xEF\xBF\xBD", ToUtf8(std::u16string(u"a\xDC00")));
}

TEST(LogLine, TimeIsUtcWithMilliseconds) {
    EXPECT_EQ("2024-12-31T23:59:59.999Z", FormatTime({2024, 12, 31, 23, 59, 59, 999}));
}

}  // namespace
