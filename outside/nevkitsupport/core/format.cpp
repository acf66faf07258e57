// Number texts: whole numbers, doubles, byte sizes, versions, error numbers, hexadecimal.
// All of them are fixed, locale-independent formats: digits grouped by three with a blank,
// a point before decimals.
#include "support_core.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace nksupport {
namespace {

// Room for the longest fixed-notation double (309 whole digits) with sign and decimals.
using NumberBuffer = std::array<char, 400>;

std::u16string Widen(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// "-1234567.25" -> "-1 234 567.25": only the whole part is grouped.
std::u16string Group(std::string_view plain) {
    std::string_view sign;
    if (!plain.empty() && plain.front() == '-') {
        sign = plain.substr(0, 1);
        plain.remove_prefix(1);
    }
    const std::size_t point = plain.find('.');
    const std::string_view whole = plain.substr(0, point);
    const std::string_view rest = point == std::string_view::npos ? std::string_view() : plain.substr(point);

    std::u16string out = Widen(sign);
    out.reserve(sign.size() + whole.size() + whole.size() / 3 + rest.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i != 0 && (whole.size() - i) % 3 == 0) out.push_back(u' ');
        out.push_back(static_cast<char16_t>(whole[i]));
    }
    out += Widen(rest);
    return out;
}

// Exact decimal of a finite double with the given number of decimals, correctly rounded
// (exact halves to even). A result that shows only zeros carries no minus sign.
std::string Fixed(double value, int decimals) {
    NumberBuffer buffer;
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                         std::chars_format::fixed, decimals);
    std::string text(buffer.data(), ec == std::errc() ? end : buffer.data());
    if (!text.empty() && text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

Status CheckFinite(double value) {
    if (std::isnan(value)) return Status::BadArgument;
    if (std::isinf(value)) return Status::Overflow;
    return Status::Ok;
}

// True when the whole part of a plain non-negative number text is below 1024.
bool WholePartBelow1024(std::string_view text) {
    const std::string_view whole = text.substr(0, text.find('.'));
    return whole.size() < 4 || (whole.size() == 4 && whole < "1024");
}

}  // namespace

std::u16string FormatLong(std::int32_t value) {
    std::array<char, 16> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return Group(std::string_view(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data())));
}

Status FormatInt64(double value, std::u16string& out) {
    if (const Status s = CheckFinite(value); s != Status::Ok) return s;
    out = Group(Fixed(value, 0));
    return Status::Ok;
}

Status FormatDouble(double value, std::u16string& out) {
    if (const Status s = CheckFinite(value); s != Status::Ok) return s;
    std::string text = Fixed(value, 4);
    // Drop the zeros that end the decimals, and the point when nothing is left after it.
    const std::size_t last = text.find_last_not_of('0');
    text.erase(last == std::string::npos ? 0 : last + 1);
    if (!text.empty() && text.back() == '.') text.pop_back();
    out = Group(text);
    return Status::Ok;
}

Status FormatByteSize(double bytes, std::u16string& out) {
    if (std::isnan(bytes) || bytes < 0) return Status::BadArgument;
    if (std::isinf(bytes)) return Status::Overflow;

    const std::string whole = Fixed(bytes, 0);
    if (WholePartBelow1024(whole)) {
        out = Widen(whole) + (whole == "1" ? u" byte" : u" bytes");
        return Status::Ok;
    }
    static constexpr std::u16string_view kUnits[] = {u" KB", u" MB", u" GB", u" TB", u" PB", u" EB"};
    constexpr int kLastUnit = static_cast<int>(std::size(kUnits));
    for (int unit = 1;; ++unit) {
        // Division by a power of two is exact, so the rounding happens once, in Fixed.
        const std::string scaled = Fixed(std::ldexp(bytes, -10 * unit), 2);
        if (unit == kLastUnit || WholePartBelow1024(scaled)) {
            out = Group(scaled);
            out += kUnits[unit - 1];
            return Status::Ok;
        }
    }
}

Status FormatVersion(std::int32_t major, std::int32_t minor, std::int32_t revision, std::u16string& out) {
    if (major < 0 || minor < 0 || revision < 0) return Status::BadArgument;
    out = Widen(std::to_string(major) + '.' + std::to_string(minor) + '.' + std::to_string(revision));
    return Status::Ok;
}

std::u16string FormatErrorNumber(std::int32_t number) {
    return Widen(std::to_string(number)) + u" (" + HexEx4(number) + u")";
}

std::u16string HexEx4(std::int32_t value) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    const auto bits = static_cast<std::uint32_t>(value);
    std::u16string out = u"0x";
    for (int shift = 28; shift >= 0; shift -= 4) out.push_back(kDigits[(bits >> shift) & 0xFu]);
    return out;
}

Status MakeLong(std::int32_t low, std::int32_t high, std::int32_t& out) {
    constexpr std::int32_t kMin = -32768;
    constexpr std::int32_t kMax = 65535;
    if (low < kMin || low > kMax || high < kMin || high > kMax) return Status::BadArgument;
    const std::uint32_t bits =
        (static_cast<std::uint32_t>(high) << 16) | (static_cast<std::uint32_t>(low) & 0xFFFFu);
    out = static_cast<std::int32_t>(bits);
    return Status::Ok;
}

double LargeIntegerToDouble(std::int64_t raw) {
    return static_cast<double>(static_cast<std::uint64_t>(raw));
}

}  // namespace nksupport
