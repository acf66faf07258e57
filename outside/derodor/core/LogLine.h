// One line of the event log: the fields of a report in fixed order, separated by tabs, texts
// escaped so that every report stays on one line, encoded as UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace derodor::core {

// A moment in UTC.
struct LogTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

struct LogRecord {
    LogTime time;
    std::int32_t eventType = 0;
    std::u16string category;
    std::int32_t eventId = 0;
    std::u16string source;
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t revision = 0;
    std::u16string user;
    std::u16string computer;
    std::uint32_t processId = 0;
    std::uint32_t threadId = 0;
    std::u16string message;
};

// The text with backslash, tab, CR and LF written as \\, \t, \r and \n and the other control
// characters below U+0020 as \xHH, so that it holds no line break and no tab.
std::u16string Escape(std::u16string_view text);

// UTF-16 to UTF-8; a surrogate without its partner becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// The time as 2025-01-31T23:59:59.123Z.
std::string FormatTime(const LogTime& time);

// The whole line, ending in CR LF: time, event type, category, event id, source, version
// (major.minor.revision), user, computer, process id, thread id, message.
std::string FormatLogLine(const LogRecord& record);

}  // namespace derodor::core
