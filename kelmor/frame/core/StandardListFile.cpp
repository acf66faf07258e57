#include "StandardListFile.h"

#include <utility>

namespace kelmor::core {

ListFileReader::ListFileReader(ListFileRules rules, ListFileConversions conversions)
    : rules_(std::move(rules)), conversions_(std::move(conversions)) {}

bool ListFileReader::Feed(std::span<const std::uint8_t> bytes) {
    std::string_view rest(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    while (!failed_ && !rest.empty()) {
        if (afterCr_) {
            afterCr_ = false;
            if (rest.front() == '\n') {
                rest.remove_prefix(1);
                continue;
            }
        }
        const std::size_t cr = rest.find('\r');
        if (cr == std::string_view::npos) {
            partial_.append(rest);
            break;
        }
        afterCr_ = true;
        if (partial_.empty()) {
            Line(rest.substr(0, cr));
        } else {
            partial_.append(rest.substr(0, cr));
            Line(partial_);
            partial_.clear();
        }
        rest.remove_prefix(cr + 1);
    }
    return !failed_;
}

bool ListFileReader::Finish() {
    if (!failed_ && !partial_.empty()) Line(partial_);
    partial_.clear();
    return !failed_;
}

bool ListFileReader::Line(std::string_view bytes) {
    std::u16string line, trimmed;
    if (!conversions_.decode(bytes, line) || !conversions_.trim(line, trimmed)) {
        failed_ = true;
        return false;
    }
    if (rules_.trimStrings) line = trimmed;
    if (trimmed.empty() && rules_.ignoreBlanks) return true;
    const std::u16string_view marker = rules_.commentMarker;
    if (!marker.empty() && std::u16string_view(trimmed).starts_with(marker)) return true;
    if (conversions_.fromOem) {
        std::u16string converted;
        if (!conversions_.fromOem(line, converted)) {
            failed_ = true;
            return false;
        }
        line = std::move(converted);
    }
    items_.push_back(std::move(line));
    return true;
}

std::int32_t FileOpenErrorNumber(std::uint32_t systemError) {
    switch (systemError) {
        case 2:  // ERROR_FILE_NOT_FOUND
            return 53;
        case 3:   // ERROR_PATH_NOT_FOUND
        case 53:  // ERROR_BAD_NETPATH
            return 76;
        case 8:   // ERROR_NOT_ENOUGH_MEMORY
        case 14:  // ERROR_OUTOFMEMORY
            return 7;
        case 32:  // ERROR_SHARING_VIOLATION
        case 33:  // ERROR_LOCK_VIOLATION
            return 70;
        case 21:  // ERROR_NOT_READY
            return 71;
        case 123:  // ERROR_INVALID_NAME
        case 161:  // ERROR_BAD_PATHNAME
            return 52;
        default:  // access denied (a folder, no rights) and everything else
            return 75;
    }
}

}  // namespace kelmor::core
