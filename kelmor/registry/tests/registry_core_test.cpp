// Value bytes, listing buffers, settings key paths and stored placements.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "registry/core/RegistryData.h"
#include "registry/core/SettingsLayout.h"

namespace {

using namespace kelmor::core;
using Bytes = std::vector<std::uint8_t>;

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

TEST(RegistryData, ValueTypesAreTheThreeKindsOnly) {
    EXPECT_EQ(ValueKind::String, ValueKindOf(0));
    EXPECT_EQ(ValueKind::Long, ValueKindOf(1));
    EXPECT_EQ(ValueKind::Binary, ValueKindOf(2));
    for (std::int32_t bad : {-1, 3, 7, std::numeric_limits<std::int32_t>::min()})
        EXPECT_FALSE(ValueKindOf(bad).has_value()) << bad;
    EXPECT_EQ(1u, PlatformTypeOf(ValueKind::String));
    EXPECT_EQ(4u, PlatformTypeOf(ValueKind::Long));
    EXPECT_EQ(3u, PlatformTypeOf(ValueKind::Binary));
}

TEST(RegistryData, LongsAreFourLittleEndianBytes) {
    EXPECT_EQ((std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFF}), LongToBytes(-1));
    EXPECT_EQ((std::array<std::uint8_t, 4>{0x78, 0x56, 0x34, 0x12}), LongToBytes(0x12345678));
    EXPECT_EQ((std::array<std::uint8_t, 4>{0x00, 0x00, 0x00, 0x80}),
              LongToBytes(std::numeric_limits<std::int32_t>::min()));
    EXPECT_EQ(-1, LongFromBytes(Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(0x12345678, LongFromBytes(Bytes{0x78, 0x56, 0x34, 0x12}));
}

TEST(RegistryData, LongReadTakesFirstFourBytesAndZeroFillsShortValues) {
    // Longer values: only the first four bytes count ("abc" and its zero as a number).
    EXPECT_EQ(0x00636261, LongFromBytes(Bytes{0x61, 0x62, 0x63, 0x00, 0x99, 0x99}));
    // Shorter values: the missing high bytes are zero, nothing is read past the end.
    EXPECT_EQ(5, LongFromBytes(Bytes{0x05}));
    EXPECT_EQ(0xFFFF, LongFromBytes(Bytes{0xFF, 0xFF}));
    EXPECT_EQ(0x00FFFFFF, LongFromBytes(Bytes{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(0, LongFromBytes(Bytes{}));
}

TEST(RegistryData, TextPartEndsAtTheFirstZero) {
    const Bytes withZero{0x61, 0x62, 0x63, 0x00};
    EXPECT_EQ((Bytes{0x61, 0x62, 0x63}), Bytes(UpToFirstZero(withZero).begin(), UpToFirstZero(withZero).end()));
    const Bytes dword{0x41, 0x42, 0x00, 0x43};  // a number read as text stops at its zero byte
    EXPECT_EQ(2u, UpToFirstZero(dword).size());
    const Bytes noZero{0x31, 0x32};
    EXPECT_EQ(2u, UpToFirstZero(noZero).size());
    EXPECT_EQ(0u, UpToFirstZero(Bytes{0x00, 0x41}).size());
    EXPECT_EQ(0u, UpToFirstZero(Bytes{}).size());
}

TEST(RegistryData, NameBufferLeavesRoomForTheZeroAndStopsBeforeOverflow) {
    auto b = NameBufferFor(0);
    ASSERT_TRUE(b.has_value());
    EXPECT_EQ(20u, b->size);
    EXPECT_EQ(10u, b->told);
    // Sized for the widest ANSI form: 3 bytes a unit (UTF-8); 255 units of a double-byte code
    // page would not fit 255 + 10.
    b = NameBufferFor(255);
    ASSERT_TRUE(b.has_value());
    EXPECT_EQ(785u, b->size);
    EXPECT_EQ(775u, b->told);
    constexpr std::uint32_t kMax = std::numeric_limits<std::int32_t>::max();
    EXPECT_TRUE(NameBufferFor((kMax - 20) / 3).has_value());
    EXPECT_FALSE(NameBufferFor((kMax - 20) / 3 + 1).has_value());
    EXPECT_FALSE(NameBufferFor(std::numeric_limits<std::uint32_t>::max()).has_value());
}

TEST(SettingsLayout, KeyPathOfTitleVersionAndKeyPath) {
    EXPECT_EQ("Software\\Vestrimo\\Nevkit\\T", Narrow(SettingPath(u"T", 0, 0, u"")));
    EXPECT_EQ("Software\\Vestrimo\\Nevkit\\T\\Version 2.05\\Options", Narrow(SettingPath(u"T", 2, 5, u"Options")));
    EXPECT_EQ("Software\\Vestrimo\\Nevkit\\T\\Options", Narrow(SettingPath(u"T", 0, 0, u"Options")));
    EXPECT_EQ("Software\\Vestrimo\\Nevkit\\T\\Version 3.00", Narrow(SettingPath(u"T", 3, 0, u"")));
    EXPECT_EQ("Software\\Vestrimo\\Nevkit\\T\\Version 0.07", Narrow(SettingPath(u"T", 0, 7, u"")));
    EXPECT_EQ("Software\\Vestrimo\\Nevkit\\T\\Version 10.12\\A\\B", Narrow(SettingPath(u"T", 10, 12, u"A\\B")));
    EXPECT_EQ("Software\\Vestrimo\\Nevkit\\\\Version 1.100", Narrow(SettingPath(u"", 1, 100, u"")));
    EXPECT_EQ("Software\\Vestrimo\\Nevkit\\Nevkit - Byaka", Narrow(SettingPath(kDefaultAppTitle, 0, 0, u"")));
    EXPECT_EQ(u"Software\\Vestrimo\\Nevkit\\Тест\\Version 1.01", SettingPath(u"Тест", 1, 1, u""));
}

TEST(SettingsLayout, MinorNumberHasAtLeastTwoDigits) {
    EXPECT_EQ("00", Narrow(TwoDigits(0)));
    EXPECT_EQ("09", Narrow(TwoDigits(9)));
    EXPECT_EQ("10", Narrow(TwoDigits(10)));
    EXPECT_EQ("123", Narrow(TwoDigits(123)));
    EXPECT_EQ("-05", Narrow(TwoDigits(-5)));
    EXPECT_EQ("-2147483648", Narrow(TwoDigits(std::numeric_limits<std::int32_t>::min())));
    EXPECT_EQ("Software\\Vestrimo\\Nevkit\\T\\Version -1.-03",
              Narrow(SettingPath(u"T", -1, -3, u"")));
}

TEST(SettingsLayout, StoredPlacementMustBeFortyFourBytesAndGetsItsLengthSet) {
    Bytes stored(44);
    for (std::size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<std::uint8_t>(0xA0 + i);
    const auto record = PlacementFromStored(stored);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ((Bytes{44, 0, 0, 0}), Bytes(record->begin(), record->begin() + 4));
    EXPECT_EQ(Bytes(stored.begin() + 4, stored.end()), Bytes(record->begin() + 4, record->end()));
    EXPECT_FALSE(PlacementFromStored(Bytes(40)).has_value());
    EXPECT_FALSE(PlacementFromStored(Bytes(45)).has_value());
    EXPECT_FALSE(PlacementFromStored(Bytes{}).has_value());
}

}  // namespace
