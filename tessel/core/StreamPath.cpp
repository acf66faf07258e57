#include "core/StreamPath.h"

namespace tessel::core {

namespace {
constexpr std::u16string_view kDataSuffix = u":$DATA";
}  // namespace

bool IsAlternateStreamName(std::u16string_view name) {
    if (name.size() < 1 + 1 + kDataSuffix.size() || name.front() != u':') return false;
    if (name.substr(name.size() - kDataSuffix.size()) != kDataSuffix) return false;
    const std::u16string_view own = name.substr(1, name.size() - 1 - kDataSuffix.size());
    return own.find_first_of(std::u16string_view(u"\\/:\0", 4)) == std::u16string_view::npos;
}

std::u16string StreamPath(std::u16string_view path, std::u16string_view name) {
    std::u16string full(path);
    full += IsAlternateStreamName(name) ? name.substr(0, name.size() - kDataSuffix.size()) : name;
    return full;
}

std::u16string ExtendedLengthPath(std::u16string_view absolutePath) {
    auto isSlash = [](char16_t c) { return c == u'\\' || c == u'/'; };
    const std::u16string_view p = absolutePath;
    if (p.size() >= 4 && isSlash(p[0]) && isSlash(p[1]) && (p[2] == u'?' || p[2] == u'.') && isSlash(p[3]))
        return std::u16string(p);
    if (p.size() >= 3 && p[1] == u':' && isSlash(p[2])) return u"\\\\?\\" + std::u16string(p);
    if (p.size() >= 3 && isSlash(p[0]) && isSlash(p[1]) && !isSlash(p[2]))
        return u"\\\\?\\UNC\\" + std::u16string(p.substr(2));
    return std::u16string(p);
}

}  // namespace tessel::core
