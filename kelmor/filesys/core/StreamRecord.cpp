#include "filesys/core/StreamRecord.h"

namespace kelmor::core {

std::u16string StreamName(const StreamHeader& header, std::span<const std::byte> name) {
    if (header.nameSize != 0) {
        if (name.size() > header.nameSize) name = name.first(header.nameSize);
        std::u16string text(name.size() / 2, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            text[i] = static_cast<char16_t>(std::to_integer<unsigned>(name[2 * i]) |
                                            (std::to_integer<unsigned>(name[2 * i + 1]) << 8));
        }
        return text;
    }
    if (header.streamId == kBackupData) return u"::$DATA";
    return {};
}

std::u16string_view StreamShortName(std::u16string_view name) {
    const std::size_t first = name.find(u':');
    if (first == std::u16string_view::npos) return name;
    const std::u16string_view rest = name.substr(first + 1);
    return rest.substr(0, rest.find(u':'));
}

}  // namespace kelmor::core
