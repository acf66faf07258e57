#include "ModuleLine.h"

namespace kelmor::core {

std::u16string PadRight(std::u16string_view text, std::size_t width) {
    std::u16string out(text);
    if (out.size() < width) out.append(width - out.size(), u' ');
    return out;
}

std::u16string ModuleLine(const ModuleLineFields& f, std::int32_t nameSize) {
    std::u16string line = PadRight(f.name, nameSize > 0 ? static_cast<std::size_t>(nameSize) : 0);
    line += u"  ";
    line += f.baseAddress;
    line += u"  ";
    if (f.atPreferredAddress) {
        // As wide as "(" address ")  " would be: 14 blanks for 32-bit address texts.
        line.append(f.baseAddress.size() + 4, u' ');
    } else {
        line += u'(';
        line += f.preferredAddress;
        line += u")  ";
    }
    line += PadRight(f.size, kModuleSizeColumn);
    line += u"  ";
    line += f.fileName;
    return line;
}

}  // namespace kelmor::core
