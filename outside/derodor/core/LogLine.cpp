#include "LogLine.h"

#include <cstdio>

namespace derodor::core {

std::u16string Escape(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        switch (c) {
        case u'\\': out += u"\\\\"; break;
        case u'\t': out += u"\\t"; break;
        case u'\r': out += u"\\r"; break;
        case u'\n': out += u"\\n"; break;
        default:
            if (c < 0x20) {
                static const char16_t digits[] = u"0123456789ABCDEF";
                out += u"\\x";
                out += digits[c >> 4];
                out += digits[c & 0xF];
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string FormatTime(const LogTime& t) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, t.millisecond);
    return text;
}

std::string FormatLogLine(const LogRecord& r) {
    const char tab = '\t';
    std::string line = FormatTime(r.time);
    line += tab + std::to_string(r.eventType);
    line += tab + ToUtf8(Escape(r.category));
    line += tab + std::to_string(r.eventId);
    line += tab + ToUtf8(Escape(r.source));
    line += tab + std::to_string(r.major) + '.' + std::to_string(r.minor) + '.' + std::to_string(r.revision);
    line += tab + ToUtf8(Escape(r.user));
    line += tab + ToUtf8(Escape(r.computer));
    line += tab + std::to_string(r.processId);
    line += tab + std::to_string(r.threadId);
    line += tab + ToUtf8(Escape(r.message));
    line += "\r\n";
    return line;
}

}  // namespace derodor::core
