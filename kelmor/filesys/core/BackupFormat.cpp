#include "filesys/core/BackupFormat.h"

#include <stdexcept>

namespace kelmor::core {
namespace {

std::uint64_t LoadLE(std::span<const std::byte> bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;)
        value = (value << 8) | std::to_integer<std::uint64_t>(bytes[i]);
    return value;
}

void StoreLE(std::span<std::byte> into, std::uint64_t value) {
    for (std::byte& b : into) {
        b = static_cast<std::byte>(value & 0xFF);
        value >>= 8;
    }
}

}  // namespace

StreamHeader DecodeStreamHeader(std::span<const std::byte, kStreamHeaderSize> bytes) {
    StreamHeader h;
    h.streamId = static_cast<std::uint32_t>(LoadLE(bytes.subspan<0, 4>()));
    h.attributes = static_cast<std::uint32_t>(LoadLE(bytes.subspan<4, 4>()));
    h.size = LoadLE(bytes.subspan<8, 8>());
    h.nameSize = static_cast<std::uint32_t>(LoadLE(bytes.subspan<16, 4>()));
    return h;
}

StreamHeaderBytes EncodeStreamHeader(const StreamHeader& header) {
    StreamHeaderBytes bytes{};
    StoreLE(std::span(bytes).subspan<0, 4>(), header.streamId);
    StoreLE(std::span(bytes).subspan<4, 4>(), header.attributes);
    StoreLE(std::span(bytes).subspan<8, 8>(), header.size);
    StoreLE(std::span(bytes).subspan<16, 4>(), header.nameSize);
    return bytes;
}

std::vector<std::byte> EncodeStreamPrefix(std::uint32_t streamId, std::uint32_t attributes,
                                          std::uint64_t size, std::u16string_view name) {
    if (name.size() > UINT32_MAX / 2) throw std::length_error("stream name too long for a header");
    const StreamHeader header{streamId, attributes, size, static_cast<std::uint32_t>(name.size() * 2)};
    const StreamHeaderBytes fixed = EncodeStreamHeader(header);
    std::vector<std::byte> out(fixed.begin(), fixed.end());
    out.reserve(out.size() + header.nameSize);
    for (char16_t c : name) {
        out.push_back(static_cast<std::byte>(c & 0xFF));
        out.push_back(static_cast<std::byte>(c >> 8));
    }
    return out;
}

}  // namespace kelmor::core
