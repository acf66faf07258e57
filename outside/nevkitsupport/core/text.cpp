// Text and path rules: trimming, joining a folder and a name, the parts of a path, the
// settings file beside the program, resource numbers.
#include "support_core.h"

#include <string>
#include <string_view>

namespace nksupport {
namespace {

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

bool IsDriveOnly(std::u16string_view path) {
    return path.size() == 2 && path[1] == u':' &&
           ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
}

bool HasDrivePrefix(std::u16string_view path) {
    return path.size() >= 2 && IsDriveOnly(path.substr(0, 2));
}

// Index just after the folder part: after the last separator, or after "X:" of a
// drive-relative name; 0 when the path is a bare name.
std::size_t NameStart(std::u16string_view path) {
    const std::size_t separator = path.find_last_of(u"\\/");
    if (separator != std::u16string_view::npos) return separator + 1;
    return HasDrivePrefix(path) ? 2 : 0;
}

// Index of the dot that starts the extension of a file name, or npos. A leading dot
// (".profile") names the file; it does not start an extension.
std::size_t ExtensionDot(std::u16string_view name) {
    const std::size_t dot = name.rfind(u'.');
    return dot == 0 ? std::u16string_view::npos : dot;
}

}  // namespace

bool IsTrimmable(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsTrimmable(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsTrimmable(text.back())) text.remove_suffix(1);
    return text;
}

std::u16string BuildFileName(std::u16string_view folder, std::u16string_view name) {
    if (folder.empty()) return std::u16string(name);
    if (name.empty()) return std::u16string(folder);
    // "C:" + "x" stays drive-relative: "C:\x" would name another file.
    if (IsDriveOnly(folder)) return std::u16string(folder) + std::u16string(name);
    while (!name.empty() && IsSeparator(name.front())) name.remove_prefix(1);
    std::u16string path(folder);
    if (!IsSeparator(path.back())) path.push_back(u'\\');
    path += name;
    return path;
}

std::u16string_view FileNamePart(std::u16string_view path) {
    return path.substr(NameStart(path));
}

std::u16string_view FolderPart(std::u16string_view path) {
    const std::size_t start = NameStart(path);
    if (start == 0) return {};
    std::u16string_view folder = path.substr(0, start);
    if (!IsSeparator(folder.back())) return folder;  // "X:" of a drive-relative name
    const std::u16string_view withoutSeparator = folder.substr(0, folder.size() - 1);
    // A root keeps its separator: "C:\" and "\" name folders, "C:" and "" do not.
    if (withoutSeparator.empty() || IsDriveOnly(withoutSeparator)) return folder;
    return withoutSeparator;
}

std::u16string_view BaseNameWithoutExtension(std::u16string_view path) {
    const std::u16string_view name = FileNamePart(path);
    return name.substr(0, ExtensionDot(name));
}

std::u16string SettingsFilePath(std::u16string_view executablePath) {
    const std::size_t start = NameStart(executablePath);
    const std::size_t dot = ExtensionDot(executablePath.substr(start));
    std::u16string path(dot == std::u16string_view::npos ? executablePath
                                                         : executablePath.substr(0, start + dot));
    path += u".ini";
    return path;
}

std::optional<std::uint16_t> ResourceNumber(std::u16string_view name) {
    if (name.size() < 2 || name.size() > 6 || name.front() != u'#') return std::nullopt;
    std::uint32_t number = 0;
    for (const char16_t c : name.substr(1)) {
        if (c < u'0' || c > u'9') return std::nullopt;
        number = number * 10 + static_cast<std::uint32_t>(c - u'0');
    }
    if (number == 0 || number > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(number);
}

}  // namespace nksupport
