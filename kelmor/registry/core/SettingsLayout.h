// Where the settings store keeps a program's settings and how it stores a window placement.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kelmor::core {

// Key of every program's settings under the user's or the machine's root.
inline constexpr std::u16string_view kSettingsRoot = u"Software\\Vestrimo\\Nevkit\\";
// Application title of every settings operation that is not given one.
inline constexpr std::u16string_view kDefaultAppTitle = u"Nevkit - Byaka";

// Key path of a program's settings: the settings root and the title; "\Version M.mm" when either
// version number is not 0 (the minor number with at least two digits); "\" and `keyPath` when
// that is not empty.
std::u16string SettingPath(std::u16string_view appTitle, std::int32_t verMajor, std::int32_t verMinor,
                           std::u16string_view keyPath);

// A number in decimal with at least two digits ("07", "12", "123", "-05").
std::u16string TwoDigits(std::int32_t value);

// A saved window placement: the platform's placement record, eleven 32-bit little-endian values
// beginning with the record's length.
inline constexpr std::size_t kPlacementSize = 44;
// The record to apply from stored bytes: exactly kPlacementSize of them, with the length field
// set to kPlacementSize whatever was stored there. None for any other size.
std::optional<std::array<std::uint8_t, kPlacementSize>> PlacementFromStored(
    std::span<const std::uint8_t> stored);

}  // namespace kelmor::core
