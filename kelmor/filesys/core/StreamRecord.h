// The rules of a stream record: what a backup stream header and its name make of the record's
// kind, flags, size and names.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "filesys/core/BackupFormat.h"

namespace kelmor::core {

// The record's full name: the name bytes as UTF-16LE when the header gives a name (an odd
// last byte, which makes no whole code unit, is dropped); "::$DATA" for the unnamed data
// stream; empty for every other stream without a name.
std::u16string StreamName(const StreamHeader& header, std::span<const std::byte> name);

// The name without its colons and type: ":abc:$DATA" -> "abc", "::$DATA" -> "", ":abc" ->
// "abc", "abc" -> "abc". Empty for the unnamed data stream and every stream without a name.
std::u16string_view StreamShortName(std::u16string_view name);

// The kind and flag tests behind the record's properties; kind and flags are kept exactly as
// the header gives them, so a kind the list does not know (10 and above) matches none.
constexpr bool IsStreamKind(std::int32_t streamId, std::uint32_t kind) {
    return static_cast<std::uint32_t>(streamId) == kind;
}
constexpr bool HasStreamAttribute(std::int32_t attributes, std::uint32_t bit) {
    return (static_cast<std::uint32_t>(attributes) & bit) != 0;
}

}  // namespace kelmor::core
