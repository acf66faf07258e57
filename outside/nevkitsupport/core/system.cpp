// Descriptions of the system: the product name from the version numbers, and the preferred
// load address from a PE image's headers.
#include "support_core.h"

#include <cstdint>
#include <string>

namespace nksupport {
namespace {

std::u16string Widen(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// Product names by version number; the build tells the releases of version 10.0 apart.
std::u16string ProductName(const OsVersion& v) {
    const bool workstation = v.productType == 1;
    if (v.major == 10 && v.minor == 0) {
        if (workstation) return v.build >= 22000 ? u"Windows 11" : u"Windows 10";
        if (v.build >= 26100) return u"Windows Server 2025";
        if (v.build >= 20348) return u"Windows Server 2022";
        if (v.build >= 17763) return u"Windows Server 2019";
        return u"Windows Server 2016";
    }
    if (v.major == 6) {
        switch (v.minor) {
            case 0:
                return workstation ? u"Windows Vista" : u"Windows Server 2008";
            case 1:
                return workstation ? u"Windows 7" : u"Windows Server 2008 R2";
            case 2:
                return workstation ? u"Windows 8" : u"Windows Server 2012";
            case 3:
                return workstation ? u"Windows 8.1" : u"Windows Server 2012 R2";
            default:
                break;
        }
    }
    if (v.major == 5) {
        switch (v.minor) {
            case 0:
                return u"Windows 2000";
            case 1:
                return u"Windows XP";
            case 2:
                return workstation ? u"Windows XP Professional x64 Edition" : u"Windows Server 2003";
            default:
                break;
        }
    }
    return u"Windows NT " + Widen(std::to_string(v.major) + '.' + std::to_string(v.minor));
}

std::uint32_t ReadU32(std::span<const std::byte> bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= std::to_integer<std::uint32_t>(bytes[at + i]) << (8 * i);
    return value;
}

std::uint64_t ReadU64(std::span<const std::byte> bytes, std::size_t at) {
    return ReadU32(bytes, at) | (std::uint64_t{ReadU32(bytes, at + 4)} << 32);
}

std::uint16_t ReadU16(std::span<const std::byte> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(std::to_integer<std::uint16_t>(bytes[at]) |
                                      (std::to_integer<std::uint16_t>(bytes[at + 1]) << 8));
}

}  // namespace

std::u16string OsFullName(const OsVersion& version, bool withVersion, bool withServicePack) {
    std::u16string text = ProductName(version);
    if (withVersion) {
        text += Widen(" (version " + std::to_string(version.major) + '.' + std::to_string(version.minor) +
                      ", build " + std::to_string(version.build) + ')');
    }
    if (withServicePack && !version.servicePack.empty()) {
        text += u"\r\n";
        text += version.servicePack;
    }
    return text;
}

std::optional<std::uint64_t> PreferredImageBase(std::span<const std::byte> head) {
    // DOS header: "MZ", the offset of the PE signature at 0x3C.
    constexpr std::size_t kDosHeaderSize = 64;
    if (head.size() < kDosHeaderSize || ReadU16(head, 0) != 0x5A4D) return std::nullopt;
    const std::uint64_t pe = ReadU32(head, 0x3C);
    // "PE\0\0", the 20-byte file header, then the optional header with its magic.
    constexpr std::size_t kFileHeaderSize = 20;
    const std::uint64_t optional = pe + 4 + kFileHeaderSize;
    if (optional + 2 > head.size() || ReadU32(head, static_cast<std::size_t>(pe)) != 0x00004550) {
        return std::nullopt;
    }
    const std::uint16_t optionalSize = ReadU16(head, static_cast<std::size_t>(pe + 4 + 16));
    const auto at = static_cast<std::size_t>(optional);
    switch (ReadU16(head, at)) {
        case 0x10B:  // PE32: 32-bit ImageBase at offset 28
            if (optionalSize < 32 || at + 32 > head.size()) return std::nullopt;
            return ReadU32(head, at + 28);
        case 0x20B:  // PE32+: 64-bit ImageBase at offset 24
            if (optionalSize < 32 || at + 32 > head.size()) return std::nullopt;
            return ReadU64(head, at + 24);
        default:
            return std::nullopt;
    }
}

}  // namespace nksupport
