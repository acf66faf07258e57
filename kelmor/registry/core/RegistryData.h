// How registry values become bytes and back, and how big the name buffers of a key listing are.
// The byte forms are those the ANSI registry functions read and write; code-page conversion of
// texts happens in the Windows layer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kelmor::core {

// The kinds of value the registry class handles (the numbers of its value-type enumeration)
// and the platform type each is written as.
enum class ValueKind : std::int32_t { String = 0, Long = 1, Binary = 2 };
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// The kind named by a value-type number; none for a number outside the three kinds.
std::optional<ValueKind> ValueKindOf(std::int32_t valueType);
// Platform type under which a kind is written.
std::uint32_t PlatformTypeOf(ValueKind kind);

// A 32-bit number as the four little-endian bytes of a REG_DWORD.
std::array<std::uint8_t, 4> LongToBytes(std::int32_t value);
// The first four stored bytes as a little-endian signed number, whatever type the value has.
// A value shorter than four bytes reads as if the missing high bytes were zero (nothing is read
// past its end): one byte 05 is 5, no bytes at all is 0.
std::int32_t LongFromBytes(std::span<const std::uint8_t> bytes);
// The bytes of a stored value up to (not including) its first zero byte: the text part of a
// value read as a string.
std::span<const std::uint8_t> UpToFirstZero(std::span<const std::uint8_t> bytes);

// Name buffer of a key listing: `longestName` is the longest name the key reports, in UTF-16
// code units (the platform counts characters, not the bytes of their ANSI form). The buffer is
// sized in bytes for the widest ANSI form of that many units, kMaxAnsiBytesPerUnit each (a
// double-byte code page needs 2, UTF-8 up to 3), and holds `size` zero bytes; the enumerator is
// told that it holds `told`, so a terminating zero always follows what the enumerator writes.
// None when the sizes leave the signed 32-bit range.
inline constexpr std::uint32_t kMaxAnsiBytesPerUnit = 3;
struct NameBuffer {
    std::size_t size;
    std::uint32_t told;
};
std::optional<NameBuffer> NameBufferFor(std::uint32_t longestName);

}  // namespace kelmor::core
