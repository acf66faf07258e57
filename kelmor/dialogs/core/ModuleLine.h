// The fixed-column line of one loaded module, as the about box's module page lists it:
//
//   name (padded)  base address  (preferred address)  size (13 places)  file name
//
// The preferred address appears only for a module loaded away from it; a module at its
// preferred address has blanks of the same width there, so the size column stays aligned.
// The texts of the numbers come from the support library; this only lays them out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kelmor::core {

// Width of the size column: the size text is left-aligned in it and padded with blanks; a
// longer text stays whole.
inline constexpr std::size_t kModuleSizeColumn = 13;

struct ModuleLineFields {
    std::u16string_view name;
    std::u16string_view baseAddress;       // address texts; both of the build's address width
    std::u16string_view preferredAddress;  // (10 characters for 32-bit addresses)
    bool atPreferredAddress = true;        // the module is loaded at its preferred address
    std::u16string_view size;
    std::u16string_view fileName;
};

// The line, with the name padded with blanks to `nameSize` characters (a longer name, and any
// name when `nameSize` is 0 or less, stays as it is).
std::u16string ModuleLine(const ModuleLineFields& fields, std::int32_t nameSize);

// `text` followed by blanks up to `width` characters; a longer text stays whole.
std::u16string PadRight(std::u16string_view text, std::size_t width);

}  // namespace kelmor::core
