#include "SettingsLayout.h"

#include <algorithm>

namespace kelmor::core {
namespace {

std::u16string Decimal(std::int32_t value, std::size_t minDigits) {
    // Widened first: the magnitude of the smallest 32-bit number does not fit 32 bits.
    std::int64_t v = value;
    const bool negative = v < 0;
    if (negative) v = -v;
    std::u16string digits;
    do {
        digits.push_back(static_cast<char16_t>(u'0' + v % 10));
        v /= 10;
    } while (v != 0);
    while (digits.size() < minDigits) digits.push_back(u'0');
    if (negative) digits.push_back(u'-');
    std::reverse(digits.begin(), digits.end());
    return digits;
}

}  // namespace

std::u16string TwoDigits(std::int32_t value) { return Decimal(value, 2); }

std::u16string SettingPath(std::u16string_view appTitle, std::int32_t verMajor, std::int32_t verMinor,
                           std::u16string_view keyPath) {
    std::u16string path(kSettingsRoot);
    path += appTitle;
    if (verMajor != 0 || verMinor != 0) {
        path += u"\\Version ";
        path += Decimal(verMajor, 1);
        path += u'.';
        path += TwoDigits(verMinor);
    }
    if (!keyPath.empty()) {
        path += u'\\';
        path += keyPath;
    }
    return path;
}

std::optional<std::array<std::uint8_t, kPlacementSize>> PlacementFromStored(
    std::span<const std::uint8_t> stored) {
    if (stored.size() != kPlacementSize) return std::nullopt;
    std::array<std::uint8_t, kPlacementSize> record{};
    std::copy(stored.begin(), stored.end(), record.begin());
    record[0] = static_cast<std::uint8_t>(kPlacementSize);
    record[1] = record[2] = record[3] = 0;
    return record;
}

}  // namespace kelmor::core
