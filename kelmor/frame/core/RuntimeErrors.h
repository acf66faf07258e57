// Standard texts of the automation runtime's error numbers.
#pragma once

#include <cstdint>
#include <string_view>

namespace kelmor::core {

// The runtime's own English text for error `number`, or the generic
// "Application-defined or object-defined error." text for a number it has none for.
std::u16string_view RuntimeErrorText(std::int32_t number);

// HRESULT of runtime error `number` (0x800A0000 + number, number in 1..65535).
constexpr std::uint32_t RuntimeErrorHResult(std::int32_t number) {
    return 0x800A0000u | (static_cast<std::uint32_t>(number) & 0xFFFFu);
}

// Runtime error number carried by an HRESULT of the 0x800A.... form, or 0 for any other.
constexpr std::int32_t RuntimeErrorNumber(std::uint32_t hr) {
    return (hr & 0xFFFF0000u) == 0x800A0000u ? static_cast<std::int32_t>(hr & 0xFFFFu) : 0;
}

}  // namespace kelmor::core
