// Portable rules of the support library: number texts, numbers, trimming, paths, system
// descriptions, PE headers.
#include "support_core.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

using namespace nksupport;

namespace {

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (const char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

// Text of a rule that can fail, or "<status>" when it does.
template <class Rule>
std::string TextOf(Rule&& rule) {
    std::u16string out = u"untouched";
    const Status status = rule(out);
    if (status != Status::Ok) return "<" + std::to_string(static_cast<std::int32_t>(status)) + ">";
    return Narrow(out);
}

std::string Int64(double v) {
    return TextOf([&](std::u16string& o) { return FormatInt64(v, o); });
}
std::string Dbl(double v) {
    return TextOf([&](std::u16string& o) { return FormatDouble(v, o); });
}
std::string Bytes(double v) {
    return TextOf([&](std::u16string& o) { return FormatByteSize(v, o); });
}
std::string Version(std::int32_t a, std::int32_t b, std::int32_t c) {
    return TextOf([&](std::u16string& o) { return FormatVersion(a, b, c, o); });
}

const std::string kBad = "<" + std::to_string(static_cast<std::int32_t>(Status::BadArgument)) + ">";
const std::string kOverflow = "<" + std::to_string(static_cast<std::int32_t>(Status::Overflow)) + ">";
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Statuses, AreTheAgreedHresults) {
    EXPECT_EQ(static_cast<std::uint32_t>(Status::BadArgument), 0x800A0005u);
    EXPECT_EQ(static_cast<std::uint32_t>(Status::Overflow), 0x800A0006u);
    EXPECT_EQ(static_cast<std::uint32_t>(Status::OutOfMemory), 0x8007000Eu);
    EXPECT_LT(static_cast<std::int32_t>(Status::BadArgument), 0);
}

TEST(FormatLongTest, GroupsDigitsByThreeWithBlanks) {
    EXPECT_EQ(Narrow(FormatLong(0)), "0");
    EXPECT_EQ(Narrow(FormatLong(999)), "999");
    EXPECT_EQ(Narrow(FormatLong(1000)), "1 000");
    EXPECT_EQ(Narrow(FormatLong(-1000)), "-1 000");
    EXPECT_EQ(Narrow(FormatLong(-999)), "-999");
    EXPECT_EQ(Narrow(FormatLong(123456)), "123 456");
    EXPECT_EQ(Narrow(FormatLong(INT_MAX)), "2 147 483 647");
    EXPECT_EQ(Narrow(FormatLong(INT_MIN)), "-2 147 483 648");
}

TEST(FormatLongTest, PositiveSizesFitThirteenPlaces) {
    // The module list leaves 13 places for a size text.
    EXPECT_LE(FormatLong(INT_MAX).size(), 13u);
}

TEST(FormatInt64Test, WholeNumbersAndPowersOfTwo) {
    EXPECT_EQ(Int64(0.0), "0");
    EXPECT_EQ(Int64(-0.0), "0");
    EXPECT_EQ(Int64(1250.0), "1 250");
    EXPECT_EQ(Int64(4294967296.0), "4 294 967 296");
    EXPECT_EQ(Int64(9007199254740992.0), "9 007 199 254 740 992");
    EXPECT_EQ(Int64(-9007199254740992.0), "-9 007 199 254 740 992");
    EXPECT_EQ(Int64(18446744073709551616.0), "18 446 744 073 709 551 616");
}

TEST(FormatInt64Test, RoundsToNearestWithHalvesToEven) {
    EXPECT_EQ(Int64(0.4), "0");
    EXPECT_EQ(Int64(0.5), "0");
    EXPECT_EQ(Int64(0.6), "1");
    EXPECT_EQ(Int64(1.5), "2");
    EXPECT_EQ(Int64(2.5), "2");
    EXPECT_EQ(Int64(999.5), "1 000");
    EXPECT_EQ(Int64(-0.4), "0");
    EXPECT_EQ(Int64(-1.5), "-2");
}

TEST(FormatInt64Test, HugeValuesAreWrittenOutExactly) {
    EXPECT_EQ(Int64(1e20), "100 000 000 000 000 000 000");
    const std::string max = Int64(std::numeric_limits<double>::max());
    EXPECT_EQ(max.substr(0, 23), "179 769 313 486 231 570");
    EXPECT_EQ(max.size(), 309u + 102u);  // 309 digits, 102 blanks
}

TEST(FormatInt64Test, NaNIsBadAndInfinityOverflows) {
    EXPECT_EQ(Int64(kNaN), kBad);
    EXPECT_EQ(Int64(kInf), kOverflow);
    EXPECT_EQ(Int64(-kInf), kOverflow);
}

TEST(FormatDoubleTest, FourDecimalsAtMostWithoutTrailingZeros) {
    EXPECT_EQ(Dbl(0.0), "0");
    EXPECT_EQ(Dbl(250.0), "250");
    EXPECT_EQ(Dbl(312.5), "312.5");
    EXPECT_EQ(Dbl(-1.25), "-1.25");
    EXPECT_EQ(Dbl(1.0 / 3.0), "0.3333");
    EXPECT_EQ(Dbl(2.0 / 3.0), "0.6667");
    EXPECT_EQ(Dbl(1234567.891), "1 234 567.891");
    EXPECT_EQ(Dbl(0.99996), "1");
}

TEST(FormatDoubleTest, TinyValuesBecomeZeroWithoutSign) {
    EXPECT_EQ(Dbl(0.00001), "0");
    EXPECT_EQ(Dbl(-0.00001), "0");
    EXPECT_EQ(Dbl(-0.0), "0");
    EXPECT_EQ(Dbl(std::numeric_limits<double>::denorm_min()), "0");
}

TEST(FormatDoubleTest, HugeAndNonFiniteValues) {
    EXPECT_EQ(Dbl(1e20), "100 000 000 000 000 000 000");
    EXPECT_EQ(Dbl(kNaN), kBad);
    EXPECT_EQ(Dbl(kInf), kOverflow);
    EXPECT_EQ(Dbl(-kInf), kOverflow);
}

TEST(FormatByteSizeTest, BytesBelowOneKilobyte) {
    EXPECT_EQ(Bytes(0), "0 bytes");
    EXPECT_EQ(Bytes(1), "1 byte");
    EXPECT_EQ(Bytes(2), "2 bytes");
    EXPECT_EQ(Bytes(1023), "1023 bytes");
    EXPECT_EQ(Bytes(1023.4), "1023 bytes");
}

TEST(FormatByteSizeTest, LargestUnitThatStaysBelow1024) {
    EXPECT_EQ(Bytes(1023.6), "1.00 KB");  // rounds to 1024 bytes
    EXPECT_EQ(Bytes(1024), "1.00 KB");
    EXPECT_EQ(Bytes(1536), "1.50 KB");
    EXPECT_EQ(Bytes(1048575), "1.00 MB");  // 1023.999 KB would show as 1024.00 KB
    EXPECT_EQ(Bytes(1048576), "1.00 MB");
    EXPECT_EQ(Bytes(4294967295.0), "4.00 GB");
    EXPECT_EQ(Bytes(2.0 * 1073741824.0), "2.00 GB");
    EXPECT_EQ(Bytes(1099511627776.0), "1.00 TB");
    EXPECT_EQ(Bytes(1125899906842624.0), "1.00 PB");
    EXPECT_EQ(Bytes(std::ldexp(1.0, 60)), "1.00 EB");
    EXPECT_EQ(Bytes(std::ldexp(1.0, 70)), "1 024.00 EB");
}

TEST(FormatByteSizeTest, NegativeNaNAndInfinityAreRefused) {
    EXPECT_EQ(Bytes(-1), kBad);
    EXPECT_EQ(Bytes(kNaN), kBad);
    EXPECT_EQ(Bytes(kInf), kOverflow);
    EXPECT_EQ(Bytes(-0.0), "0 bytes");
}

TEST(FormatVersionTest, PlainDottedNumbers) {
    EXPECT_EQ(Version(2, 5, 0), "2.5.0");
    EXPECT_EQ(Version(0, 0, 0), "0.0.0");
    EXPECT_EQ(Version(1, 10, 1234), "1.10.1234");
    EXPECT_EQ(Version(INT_MAX, 0, 1), "2147483647.0.1");
    EXPECT_EQ(Version(-1, 0, 0), kBad);
    EXPECT_EQ(Version(1, -1, 0), kBad);
    EXPECT_EQ(Version(1, 0, INT_MIN), kBad);
}

TEST(FormatErrorNumberTest, DecimalAndHexadecimalWithoutGrouping) {
    EXPECT_EQ(Narrow(FormatErrorNumber(0)), "0 (0x00000000)");
    EXPECT_EQ(Narrow(FormatErrorNumber(5)), "5 (0x00000005)");
    EXPECT_EQ(Narrow(FormatErrorNumber(123456)), "123456 (0x0001E240)");
    EXPECT_EQ(Narrow(FormatErrorNumber(-2147024891)), "-2147024891 (0x80070005)");
    EXPECT_EQ(Narrow(FormatErrorNumber(INT_MIN)), "-2147483648 (0x80000000)");
}

TEST(HexEx4Test, TenCharactersUpperCase) {
    EXPECT_EQ(Narrow(HexEx4(0)), "0x00000000");
    EXPECT_EQ(Narrow(HexEx4(10)), "0x0000000A");
    EXPECT_EQ(Narrow(HexEx4(0x00400000)), "0x00400000");
    EXPECT_EQ(Narrow(HexEx4(-1)), "0xFFFFFFFF");
    EXPECT_EQ(Narrow(HexEx4(INT_MIN)), "0x80000000");
    EXPECT_EQ(Narrow(HexEx4(INT_MAX)), "0x7FFFFFFF");
    EXPECT_EQ(Narrow(HexEx4(static_cast<std::int32_t>(0xABCDEF12u))), "0xABCDEF12");
}

TEST(MakeLongTest, PacksTwoHalves) {
    std::int32_t v = 0;
    ASSERT_EQ(MakeLong(-2, 0, v), Status::Ok);
    EXPECT_EQ(v, 65534);
    ASSERT_EQ(MakeLong(2, 2, v), Status::Ok);
    EXPECT_EQ(v, 0x00020002);
    ASSERT_EQ(MakeLong(0xFFFF, 0x7FFF, v), Status::Ok);
    EXPECT_EQ(v, INT_MAX);
    ASSERT_EQ(MakeLong(0, -1, v), Status::Ok);
    EXPECT_EQ(v, -65536);
    ASSERT_EQ(MakeLong(0, 0xFFFF, v), Status::Ok);
    EXPECT_EQ(v, -65536);
    ASSERT_EQ(MakeLong(0, -32768, v), Status::Ok);
    EXPECT_EQ(v, INT_MIN);
    ASSERT_EQ(MakeLong(-32768, 0, v), Status::Ok);
    EXPECT_EQ(v, 0x8000);
}

TEST(MakeLongTest, HalvesThatDoNotFitSixteenBitsAreRefused) {
    std::int32_t v = 7;
    EXPECT_EQ(MakeLong(65536, 0, v), Status::BadArgument);
    EXPECT_EQ(MakeLong(0, 65536, v), Status::BadArgument);
    EXPECT_EQ(MakeLong(-32769, 0, v), Status::BadArgument);
    EXPECT_EQ(MakeLong(0, -32769, v), Status::BadArgument);
    EXPECT_EQ(MakeLong(INT_MIN, INT_MAX, v), Status::BadArgument);
}

TEST(LargeIntegerToDoubleTest, UnsignedCountRoundedToNearest) {
    EXPECT_EQ(LargeIntegerToDouble(0), 0.0);
    EXPECT_EQ(LargeIntegerToDouble(1), 1.0);
    EXPECT_EQ(LargeIntegerToDouble(0xFFFFFFFFll), 4294967295.0);
    EXPECT_EQ(LargeIntegerToDouble(0x100000000ll), 4294967296.0);
    const std::int64_t two53 = std::int64_t{1} << 53;
    EXPECT_EQ(LargeIntegerToDouble(two53), 9007199254740992.0);
    EXPECT_EQ(LargeIntegerToDouble(two53 + 1), 9007199254740992.0);  // halfway: to even
    EXPECT_EQ(LargeIntegerToDouble(two53 + 3), 9007199254740996.0);
    EXPECT_EQ(LargeIntegerToDouble(INT64_MAX), 9223372036854775808.0);
    // The high bit is part of the count, not a sign.
    EXPECT_EQ(LargeIntegerToDouble(INT64_MIN), 9223372036854775808.0);
    EXPECT_EQ(LargeIntegerToDouble(-1), 18446744073709551616.0);
}

TEST(TrimTest, RemovesBlanksAndControlWhiteSpaceAtBothEnds) {
    EXPECT_EQ(Trim(u""), u"");
    EXPECT_EQ(Trim(u"   "), u"");
    EXPECT_EQ(Trim(u" \t\r\n\v\f "), u"");
    EXPECT_EQ(Trim(u"  a b  "), u"a b");
    EXPECT_EQ(Trim(u"\ta\tb\r\n"), u"a\tb");
    EXPECT_EQ(Trim(u"x"), u"x");
    EXPECT_EQ(Trim(u"\u00A0x\u00A0"), u"\u00A0x\u00A0");  // a no-break space is text
    EXPECT_EQ(Trim(std::u16string_view(u"\0a\0", 3)), std::u16string_view(u"\0a\0", 3));
}

TEST(BuildFileNameTest, OneBackslashBetweenFolderAndName) {
    EXPECT_EQ(BuildFileName(u"C:\\x", u"y.txt"), u"C:\\x\\y.txt");
    EXPECT_EQ(BuildFileName(u"C:\\x\\", u"y.txt"), u"C:\\x\\y.txt");
    EXPECT_EQ(BuildFileName(u"C:\\x", u"\\y.txt"), u"C:\\x\\y.txt");
    EXPECT_EQ(BuildFileName(u"C:\\x\\", u"\\\\y.txt"), u"C:\\x\\y.txt");
    EXPECT_EQ(BuildFileName(u"C:/x/", u"y"), u"C:/x/y");
    EXPECT_EQ(BuildFileName(u"C:\\", u"*.*"), u"C:\\*.*");
    EXPECT_EQ(BuildFileName(u"\\\\server\\share", u"f"), u"\\\\server\\share\\f");
}

TEST(BuildFileNameTest, EmptyPartsAndDriveRelativeFolders) {
    EXPECT_EQ(BuildFileName(u"", u"y"), u"y");
    EXPECT_EQ(BuildFileName(u"C:\\x", u""), u"C:\\x");
    EXPECT_EQ(BuildFileName(u"", u""), u"");
    EXPECT_EQ(BuildFileName(u"C:", u"y"), u"C:y");  // stays relative to drive C's folder
    EXPECT_EQ(BuildFileName(u"d:", u"\\y"), u"d:\\y");
}

TEST(PathPartsTest, FileNameFolderAndBaseName) {
    EXPECT_EQ(FileNamePart(u"C:\\x\\Tessel.exe"), u"Tessel.exe");
    EXPECT_EQ(FileNamePart(u"Tessel.exe"), u"Tessel.exe");
    EXPECT_EQ(FileNamePart(u"C:Tessel.exe"), u"Tessel.exe");
    EXPECT_EQ(FileNamePart(u"C:\\x/y.exe"), u"y.exe");
    EXPECT_EQ(FolderPart(u"C:\\x\\Tessel.exe"), u"C:\\x");
    EXPECT_EQ(FolderPart(u"C:\\Tessel.exe"), u"C:\\");
    EXPECT_EQ(FolderPart(u"\\Tessel.exe"), u"\\");
    EXPECT_EQ(FolderPart(u"\\\\srv\\share\\Tessel.exe"), u"\\\\srv\\share");
    EXPECT_EQ(FolderPart(u"C:Tessel.exe"), u"C:");
    EXPECT_EQ(FolderPart(u"Tessel.exe"), u"");
    EXPECT_EQ(BaseNameWithoutExtension(u"C:\\x\\Tessel.exe"), u"Tessel");
    EXPECT_EQ(BaseNameWithoutExtension(u"C:\\x.y\\Tessel"), u"Tessel");
    EXPECT_EQ(BaseNameWithoutExtension(u"C:\\x\\a.b.exe"), u"a.b");
    EXPECT_EQ(BaseNameWithoutExtension(u"C:\\x\\.profile"), u".profile");
}

TEST(SettingsFilePathTest, ExtensionReplacedByIni) {
    EXPECT_EQ(SettingsFilePath(u"C:\\x\\Tessel.exe"), u"C:\\x\\Tessel.ini");
    EXPECT_EQ(SettingsFilePath(u"C:\\x\\Tessel.EXE"), u"C:\\x\\Tessel.ini");
    EXPECT_EQ(SettingsFilePath(u"C:\\x\\a.b.exe"), u"C:\\x\\a.b.ini");
    EXPECT_EQ(SettingsFilePath(u"C:\\x.y\\Tessel"), u"C:\\x.y\\Tessel.ini");
    EXPECT_EQ(SettingsFilePath(u"C:\\x\\.hidden"), u"C:\\x\\.hidden.ini");
}

TEST(ResourceNumberTest, HashAndDecimalDigitsNameANumber) {
    EXPECT_EQ(ResourceNumber(u"#1"), std::optional<std::uint16_t>(1));
    EXPECT_EQ(ResourceNumber(u"#65535"), std::optional<std::uint16_t>(65535));
    EXPECT_EQ(ResourceNumber(u"#00010"), std::optional<std::uint16_t>(10));
    EXPECT_EQ(ResourceNumber(u"#65536"), std::nullopt);
    EXPECT_EQ(ResourceNumber(u"#0"), std::nullopt);
    EXPECT_EQ(ResourceNumber(u"#"), std::nullopt);
    EXPECT_EQ(ResourceNumber(u"#12a"), std::nullopt);
    EXPECT_EQ(ResourceNumber(u"#-1"), std::nullopt);
    EXPECT_EQ(ResourceNumber(u"1"), std::nullopt);
    EXPECT_EQ(ResourceNumber(u"A_MAIN"), std::nullopt);
}

OsVersion Os(std::uint32_t major, std::uint32_t minor, std::uint32_t build, std::uint8_t type = 1,
             std::u16string sp = u"") {
    OsVersion v;
    v.major = major;
    v.minor = minor;
    v.build = build;
    v.productType = type;
    v.servicePack = std::move(sp);
    return v;
}

TEST(OsFullNameTest, ProductNamesByVersionBuildAndKind) {
    EXPECT_EQ(OsFullName(Os(10, 0, 19045), false, false), u"Windows 10");
    EXPECT_EQ(OsFullName(Os(10, 0, 22631), false, false), u"Windows 11");
    EXPECT_EQ(OsFullName(Os(10, 0, 14393, 3), false, false), u"Windows Server 2016");
    EXPECT_EQ(OsFullName(Os(10, 0, 17763, 2), false, false), u"Windows Server 2019");
    EXPECT_EQ(OsFullName(Os(10, 0, 20348, 3), false, false), u"Windows Server 2022");
    EXPECT_EQ(OsFullName(Os(6, 3, 9600), false, false), u"Windows 8.1");
    EXPECT_EQ(OsFullName(Os(6, 1, 7601, 3), false, false), u"Windows Server 2008 R2");
    EXPECT_EQ(OsFullName(Os(6, 0, 6002), false, false), u"Windows Vista");
    EXPECT_EQ(OsFullName(Os(5, 2, 3790, 1), false, false), u"Windows XP Professional x64 Edition");
    EXPECT_EQ(OsFullName(Os(5, 2, 3790, 3), false, false), u"Windows Server 2003");
    EXPECT_EQ(OsFullName(Os(5, 1, 2600), false, false), u"Windows XP");
    EXPECT_EQ(OsFullName(Os(5, 0, 2195), false, false), u"Windows 2000");
    EXPECT_EQ(OsFullName(Os(4, 0, 1381), false, false), u"Windows NT 4.0");
    EXPECT_EQ(OsFullName(Os(12, 3, 1), false, false), u"Windows NT 12.3");
}

TEST(OsFullNameTest, ArgumentsAddVersionAndServicePackLine) {
    const OsVersion seven = Os(6, 1, 7601, 1, u"Service Pack 1");
    EXPECT_EQ(OsFullName(seven, true, false), u"Windows 7 (version 6.1, build 7601)");
    EXPECT_EQ(OsFullName(seven, false, true), u"Windows 7\r\nService Pack 1");
    EXPECT_EQ(OsFullName(seven, true, true), u"Windows 7 (version 6.1, build 7601)\r\nService Pack 1");
    // No service pack: no second line.
    EXPECT_EQ(OsFullName(Os(10, 0, 19045), true, true), u"Windows 10 (version 10.0, build 19045)");
}

// A PE header: DOS header with the PE offset, signature, file header, optional header.
std::vector<std::byte> PeHead(std::uint16_t magic, std::uint64_t imageBase, std::uint32_t peOffset = 0x80,
                              std::uint16_t optionalSize = 0xF0) {
    // Room for the ImageBase field even when the declared optional header is shorter.
    std::vector<std::byte> b(peOffset + 24 + std::max<std::size_t>(optionalSize, 32), std::byte{0});
    auto put = [&](std::size_t at, std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            b[at + static_cast<std::size_t>(i)] = std::byte((value >> (8 * i)) & 0xFF);
    };
    put(0, 0x5A4D, 2);
    put(0x3C, peOffset, 4);
    put(peOffset, 0x00004550, 4);
    put(peOffset + 4 + 16, optionalSize, 2);
    put(peOffset + 24, magic, 2);
    if (magic == 0x20B)
        put(peOffset + 24 + 24, imageBase, 8);
    else
        put(peOffset + 24 + 28, imageBase, 4);
    return b;
}

TEST(PreferredImageBaseTest, ReadsPe32AndPe32Plus) {
    EXPECT_EQ(PreferredImageBase(PeHead(0x10B, 0x00400000)), std::optional<std::uint64_t>(0x00400000));
    EXPECT_EQ(PreferredImageBase(PeHead(0x10B, 0x7C800000)), std::optional<std::uint64_t>(0x7C800000));
    EXPECT_EQ(PreferredImageBase(PeHead(0x20B, 0x140000000ull)),
              std::optional<std::uint64_t>(0x140000000ull));
    EXPECT_EQ(PreferredImageBase(PeHead(0x20B, 0x180000000ull, 0x200)),
              std::optional<std::uint64_t>(0x180000000ull));
}

TEST(PreferredImageBaseTest, EveryShortPrefixFails) {
    for (const std::uint16_t magic : {std::uint16_t{0x10B}, std::uint16_t{0x20B}}) {
        const std::vector<std::byte> head = PeHead(magic, 0x10000000);
        const std::size_t needed = 0x80 + 24 + 32;
        for (std::size_t n = 0; n < needed; ++n) {
            EXPECT_EQ(PreferredImageBase(std::span(head.data(), n)), std::nullopt) << "prefix " << n;
        }
        EXPECT_TRUE(PreferredImageBase(std::span(head.data(), needed)).has_value());
    }
}

TEST(PreferredImageBaseTest, WrongSignaturesAndOffsetsFail) {
    std::vector<std::byte> head = PeHead(0x10B, 0x400000);
    head[0] = std::byte{'Z'};
    EXPECT_EQ(PreferredImageBase(head), std::nullopt);

    head = PeHead(0x10B, 0x400000);
    head[0x81] = std::byte{'X'};  // "PX\0\0"
    EXPECT_EQ(PreferredImageBase(head), std::nullopt);

    head = PeHead(0x107, 0x400000);  // a ROM image
    EXPECT_EQ(PreferredImageBase(head), std::nullopt);

    head = PeHead(0x10B, 0x400000, 0x80, 16);  // optional header too short to hold ImageBase
    EXPECT_EQ(PreferredImageBase(head), std::nullopt);

    head = PeHead(0x10B, 0x400000);
    for (std::size_t i = 0; i < 4; ++i) head[0x3C + i] = std::byte{0xFF};  // offset far beyond the data
    EXPECT_EQ(PreferredImageBase(head), std::nullopt);
    head[0x3C] = std::byte{0xF0};  // 0xFFFFFFF0: must not wrap around
    EXPECT_EQ(PreferredImageBase(head), std::nullopt);
}

}  // namespace
