// First bytes that tell a picture format for certain.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace kelmor {

inline bool StartsWith(std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> prefix) {
    if (bytes.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (bytes[i] != prefix[i]) return false;
    return true;
}

inline bool IsPngSignature(std::span<const std::uint8_t> bytes) {
    static constexpr std::array<std::uint8_t, 8> kPng = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return StartsWith(bytes, kPng);
}

}  // namespace kelmor
