// The platform's backup data: a sequence of streams, each a 20-byte header (the fixed part of
// WIN32_STREAM_ID), the stream's name and then the stream's data. All numbers little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kelmor::core {

inline constexpr std::size_t kStreamHeaderSize = 20;
// Room for the longest name NTFS reports: a colon, 255 characters and ":$DATA".
inline constexpr std::size_t kStreamNameUnits = 262;
inline constexpr std::size_t kStreamNameBytes = kStreamNameUnits * 2;

// Stream kinds (dwStreamId).
inline constexpr std::uint32_t kBackupInvalid = 0;
inline constexpr std::uint32_t kBackupData = 1;
inline constexpr std::uint32_t kBackupEaData = 2;
inline constexpr std::uint32_t kBackupSecurityData = 3;
inline constexpr std::uint32_t kBackupAlternateData = 4;
inline constexpr std::uint32_t kBackupLink = 5;
inline constexpr std::uint32_t kBackupPropertyData = 6;
inline constexpr std::uint32_t kBackupObjectId = 7;
inline constexpr std::uint32_t kBackupReparseData = 8;
inline constexpr std::uint32_t kBackupSparseBlock = 9;

// Stream attribute bits (dwStreamAttributes).
inline constexpr std::uint32_t kStreamModifiedWhenRead = 1;
inline constexpr std::uint32_t kStreamContainsSecurity = 2;
inline constexpr std::uint32_t kStreamContainsProperties = 4;
inline constexpr std::uint32_t kStreamSparseAttribute = 8;

struct StreamHeader {
    std::uint32_t streamId = 0;
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;      // bytes of data after the name
    std::uint32_t nameSize = 0;  // bytes of UTF-16LE name after the header
};

using StreamHeaderBytes = std::array<std::byte, kStreamHeaderSize>;

StreamHeader DecodeStreamHeader(std::span<const std::byte, kStreamHeaderSize> bytes);
StreamHeaderBytes EncodeStreamHeader(const StreamHeader& header);

// Header and name of one stream as they stand in backup data (the name as UTF-16LE without a
// terminator; its byte count becomes the header's name size).
std::vector<std::byte> EncodeStreamPrefix(std::uint32_t streamId, std::uint32_t attributes,
                                          std::uint64_t size, std::u16string_view name);

}  // namespace kelmor::core
