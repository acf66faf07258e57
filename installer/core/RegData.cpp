#include "RegData.h"

namespace installer::core {
namespace {

char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::vector<std::u16string_view> Components(std::u16string_view path) {
    std::vector<std::u16string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = path.find(u'\\', start);
        parts.push_back(path.substr(start, end == std::u16string_view::npos ? end : end - start));
        if (end == std::u16string_view::npos) return parts;
        start = end + 1;
    }
}

std::u16string Join(const std::vector<std::u16string_view>& parts, size_t count) {
    std::u16string path;
    for (size_t i = 0; i < count && i < parts.size(); ++i) {
        if (i) path += u'\\';
        path += parts[i];
    }
    return path;
}

std::u16string Folder(std::u16string_view path) {
    const size_t slash = path.rfind(u'\\');
    return std::u16string(slash == std::u16string_view::npos ? std::u16string_view() : path.substr(0, slash));
}

// The escaped text of a literal without its quotes.
void AppendEscaped(std::u16string& out, std::u16string_view text) {
    for (char16_t c : text) {
        switch (c) {
            case u'$':
                out += u"$$";
                break;
            case u'"':
                out += u"$\\\"";
                break;
            case u'\r':
                out += u"$\\r";
                break;
            case u'\n':
                out += u"$\\n";
                break;
            case u'\t':
                out += u"$\\t";
                break;
            default:
                out += c;
        }
    }
}

std::u16string DecimalText(std::uint32_t n) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
        n /= 10;
    } while (n);
    return digits;
}

}  // namespace

std::u16string NsisQuote(std::u16string_view text) {
    std::u16string out = u"\"";
    AppendEscaped(out, text);
    return out + u"\"";
}

std::u16string RelocatedValue(std::u16string_view value, const Relocation& to) {
    const std::u16string builtFolder = Folder(to.builtPath);
    const std::u16string targetFolder = Folder(to.targetPath);
    std::u16string out = u"\"";
    size_t plain = 0;  // start of the text not yet written
    for (size_t i = 0; i < value.size();) {
        std::u16string_view rest = value.substr(i);
        const std::u16string* replacement = nullptr;
        size_t length = 0;
        if (!to.builtPath.empty() && rest.starts_with(to.builtPath)) {
            replacement = &to.targetPath;
            length = to.builtPath.size();
        } else if (!builtFolder.empty() && rest.starts_with(builtFolder) &&
                   (rest.size() == builtFolder.size() || rest[builtFolder.size()] == u'\\')) {
            replacement = &targetFolder;
            length = builtFolder.size();
        }
        if (!replacement) {
            ++i;
            continue;
        }
        AppendEscaped(out, value.substr(plain, i - plain));
        out += *replacement;
        i += length;
        plain = i;
    }
    AppendEscaped(out, value.substr(plain));
    return out + u"\"";
}

std::u16string TargetKey(std::u16string_view path, const Relocation& to) {
    std::vector<std::u16string_view> parts = Components(path);
    // TypeLib\{id}\version\locale\platform
    if (to.toWin32 && parts.size() >= 5 && SameName(parts[0], u"TypeLib") && SameName(parts[4], u"win64"))
        parts[4] = u"win32";
    return Join(parts, parts.size());
}

std::vector<OwnedKey> OwnedKeys(const std::vector<RegKey>& keys) {
    std::vector<OwnedKey> owned;
    std::vector<OwnedKey> libIds;
    auto add = [](std::vector<OwnedKey>& list, std::u16string path, bool ifEmpty) {
        for (const OwnedKey& k : list)
            if (SameName(k.path, path)) return;
        list.push_back({std::move(path), ifEmpty});
    };
    for (const RegKey& key : keys) {
        const std::vector<std::u16string_view> parts = Components(key.path);
        const std::u16string_view top = parts[0];
        if (SameName(top, u"CLSID") || SameName(top, u"Interface") || SameName(top, u"AppID")) {
            if (parts.size() >= 2) add(owned, Join(parts, 2), false);
        } else if (SameName(top, u"TypeLib")) {
            if (parts.size() >= 3) add(owned, Join(parts, 3), false);
            if (parts.size() >= 2) add(libIds, Join(parts, 2), true);
        } else {
            add(owned, std::u16string(top), false);
        }
    }
    // A type library's id key goes last, once its versions are gone.
    owned.insert(owned.end(), libIds.begin(), libIds.end());
    return owned;
}

std::u16string InstallCommands(const std::vector<RegKey>& keys, const Relocation& to) {
    std::u16string out;
    for (const RegKey& key : keys) {
        const std::u16string path = NsisQuote(TargetKey(key.path, to));
        for (const RegValue& v : key.values) {
            switch (v.kind) {
                case ValueKind::String:
                    out += u"WriteRegStr";
                    break;
                case ValueKind::ExpandString:
                    out += u"WriteRegExpandStr";
                    break;
                case ValueKind::Dword:
                    out += u"WriteRegDWORD";
                    break;
            }
            out += u" HKCR " + path + u' ' + NsisQuote(v.name) + u' ';
            out += v.kind == ValueKind::Dword ? DecimalText(v.number) : RelocatedValue(v.text, to);
            out += u'\n';
        }
        // NSIS makes a key only along with a value: a key that holds nothing gets a value that
        // is removed again at once.
        if (key.values.empty() && !key.hasSubkeys) {
            out += u"WriteRegStr HKCR " + path + u" \"RegDataKey\" \"\"\n";
            out += u"DeleteRegValue HKCR " + path + u" \"RegDataKey\"\n";
        }
    }
    return out;
}

std::u16string UninstallCommands(const std::vector<OwnedKey>& keys) {
    std::u16string out;
    for (const OwnedKey& key : keys)
        out += std::u16string(u"DeleteRegKey ") + (key.ifEmpty ? u"/ifempty " : u"") + u"HKCR " +
               NsisQuote(key.path) + u'\n';
    return out;
}

}  // namespace installer::core
