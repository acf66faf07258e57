// Standard list files: line ends, trimming, blanks, comment markers and the OEM conversion of
// kept lines, read in one piece and split across pieces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/StandardListFile.h"

namespace {

using kelmor::core::ListFileConversions;
using kelmor::core::ListFileReader;
using kelmor::core::ListFileRules;
using Items = std::vector<std::u16string>;

// Bytes as characters of the same value (what a single-byte code page of the first 256
// characters would give): enough for the rules, which look at characters only.
bool Decode(std::string_view bytes, std::u16string& text) {
    text.clear();
    for (unsigned char b : bytes) text.push_back(b);
    return true;
}

// The OEM code page 866 for the Cyrillic letters А..п and р..я; anything else above 0x7F
// cannot be converted.
bool FromOem(std::u16string_view text, std::u16string& out) {
    out.clear();
    for (char16_t c : text) {
        if (c >= 0x80 && c <= 0xAF)
            c = static_cast<char16_t>(0x0410 + (c - 0x80));
        else if (c >= 0xE0 && c <= 0xEF)
            c = static_cast<char16_t>(0x0440 + (c - 0xE0));
        else if (c >= 0x80)
            return false;
        out.push_back(c);
    }
    return true;
}

ListFileConversions Conversions(bool oem) {
    ListFileConversions c;
    c.decode = Decode;
    c.trim = [](std::u16string_view text, std::u16string& out) {
        out = kelmor::core::TrimBlanks(text);
        return true;
    };
    if (oem) c.fromOem = FromOem;
    return c;
}

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Reads `bytes` handed over in pieces of `piece` bytes (0: all at once).
Items Read(const std::string& bytes, const ListFileRules& rules, bool oem = false, size_t piece = 0) {
    ListFileReader reader(rules, Conversions(oem));
    const size_t step = piece ? piece : bytes.size() + 1;
    for (size_t at = 0; at < bytes.size(); at += step) {
        EXPECT_TRUE(reader.Feed(Bytes(bytes).subspan(at, std::min(step, bytes.size() - at))));
    }
    EXPECT_TRUE(reader.Finish());
    return reader.Items();
}

ListFileRules Rules(std::u16string marker = u";", bool ignoreBlanks = true, bool trimStrings = true) {
    return ListFileRules{std::move(marker), ignoreBlanks, trimStrings};
}

// The five lines: a with two blanks on each side, a comment, an empty line, an indented
// comment, b.
const std::string kFiveLines = "  a  \r\n;x\r\n\r\n ;y\r\nb";

struct Case {
    const char* name;
    std::string bytes;
    ListFileRules rules;
    Items expected;
};

TEST(ListFile, LinesKeptAndSkipped) {
    const Case cases[] = {
        {"defaults", kFiveLines, Rules(), {u"a", u"b"}},
        {"kept as read", kFiveLines, Rules(u";", true, false), {u"  a  ", u"b"}},
        {"blanks kept", kFiveLines, Rules(u";", false), {u"a", u"", u"b"}},
        {"blank of blanks kept, untrimmed",
         "a\r\n \t \r\nb",
         Rules(u";", false, false),
         {u"a", u" \t ", u"b"}},
        {"two-character marker", "//c\r\n/d\r\n  //e\r\n;f", Rules(u"//"), {u"/d", u";f"}},
        {"marker longer than the line", "#\r\n#!\r\n#!x", Rules(u"#!x"), {u"#", u"#!"}},
        {"marker is case-sensitive", "REM a\r\nrem b", Rules(u"rem"), {u"REM a"}},
        {"empty marker: no comments", ";a\r\n\r\n;", Rules(u""), {u";a", u";"}},
        {"lone CR ends lines", "a\rb\r\rc", Rules(), {u"a", u"b", u"c"}},
        {"lone CR, blanks kept", "a\rb\r\rc", Rules(u";", false), {u"a", u"b", u"", u"c"}},
        {"CR CR LF", "a\r\r\nb", Rules(u";", false), {u"a", u"", u"b"}},
        {"lone LF is text", "a\nb\r\n", Rules(u";", true, false), {u"a\nb"}},
        {"terminator at the end starts no line", "a\r\n", Rules(u";", false), {u"a"}},
        {"empty line at the end", "a\r\n\r\n", Rules(u";", false), {u"a", u""}},
        {"empty file", "", Rules(u";", false), {}},
        {"only comments and blanks", ";1\r\n  \r\n;2\r\n", Rules(), {}},
        {"NUL is text", std::string("a\0b", 3), Rules(), {std::u16string(u"a\0b", 3)}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, Read(c.bytes, c.rules)) << c.name;
        // The same file in pieces of one and of two bytes: a CR LF split between pieces is one
        // line end.
        EXPECT_EQ(c.expected, Read(c.bytes, c.rules, false, 1)) << c.name << ", byte by byte";
        EXPECT_EQ(c.expected, Read(c.bytes, c.rules, false, 2)) << c.name << ", two bytes at a time";
    }
}

TEST(ListFile, OemLinesAreConvertedAfterTheRulesChoseThem) {
    // "Привет" and "пока" in code page 866; the comment is not converted (it could not be).
    const std::string bytes = "  \x8F\xE0\xA8\xA2\xA5\xE2 \r\n;\xF0\xF1\r\n\xAF\xAE\xAA\xA0";
    EXPECT_EQ((Items{u"Привет", u"пока"}), Read(bytes, Rules(), true));
    EXPECT_EQ((Items{u"  Привет ", u"пока"}), Read(bytes, Rules(u";", true, false), true));
}

TEST(ListFile, AFailedConversionStopsTheReading) {
    ListFileConversions failing = Conversions(true);
    int trims = 0;
    failing.trim = [&](std::u16string_view text, std::u16string& out) {
        out = kelmor::core::TrimBlanks(text);
        return ++trims < 3;
    };
    ListFileReader reader(Rules(), failing);
    EXPECT_FALSE(reader.Feed(Bytes("a\r\nb\r\nc\r\nd")));
    EXPECT_FALSE(reader.Finish());
    EXPECT_EQ(3, trims) << "no line after the failure is looked at";

    // A kept line that the OEM conversion refuses.
    ListFileReader oem(Rules(), Conversions(true));
    EXPECT_FALSE(oem.Feed(Bytes("ok\xF5\r\nnext")));
    EXPECT_TRUE(oem.Items().empty());
}

}  // namespace
