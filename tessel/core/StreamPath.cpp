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

}  // namespace tessel::core
