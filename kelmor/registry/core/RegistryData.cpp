#include "RegistryData.h"

#include <algorithm>
#include <limits>

namespace kelmor::core {

std::optional<ValueKind> ValueKindOf(std::int32_t valueType) {
    switch (valueType) {
        case 0: return ValueKind::String;
        case 1: return ValueKind::Long;
        case 2: return ValueKind::Binary;
        default: return std::nullopt;
    }
}

std::uint32_t PlatformTypeOf(ValueKind kind) {
    switch (kind) {
        case ValueKind::String: return kRegSz;
        case ValueKind::Long: return kRegDword;
        case ValueKind::Binary: break;
    }
    return kRegBinary;
}

std::array<std::uint8_t, 4> LongToBytes(std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
            static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
}

std::int32_t LongFromBytes(std::span<const std::uint8_t> bytes) {
    std::uint32_t u = 0;
    const std::size_t n = std::min<std::size_t>(bytes.size(), 4);
    for (std::size_t i = 0; i < n; ++i) u |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

std::span<const std::uint8_t> UpToFirstZero(std::span<const std::uint8_t> bytes) {
    const auto zero = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes.first(static_cast<std::size_t>(zero - bytes.begin()));
}

std::optional<NameBuffer> NameBufferFor(std::uint32_t longestName) {
    // The buffer is 20 bytes longer than the widest form of the longest name and the enumerator
    // is told about 10 of them; both sizes are signed 32-bit counts for the platform.
    constexpr std::uint32_t kMax = std::numeric_limits<std::int32_t>::max();
    if (longestName > (kMax - 20) / kMaxAnsiBytesPerUnit) return std::nullopt;
    const std::uint32_t widest = longestName * kMaxAnsiBytesPerUnit;
    return NameBuffer{static_cast<std::size_t>(widest) + 20, widest + 10};
}

}  // namespace kelmor::core
