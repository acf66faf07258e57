// What the three decoders share: the answer a decode gives, and the one way they read a file's
// numbers (bounds-checked, little- or big-endian). Portable and header-only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>

namespace kelmor::core {

// Why a decode ended.
enum class DecodeStatus {
    Ok,
    NotThisFormat,  // the bytes do not start like a file of the format
    Unsupported,    // a file of the format in a variant the decoder does not read (depth, mode, planes)
    Invalid,        // the header or the data contradict themselves (a size of 0, a stream overrunning)
    Truncated,      // the data end before the picture does
    TooLarge,       // the declared picture is larger than the data can encode or the record can hold
};

// A decode's answer; true only for a picture decoded in full.
struct DecodeResult {
    DecodeStatus status = DecodeStatus::Ok;
    constexpr DecodeResult(DecodeStatus s) : status(s) {}  // NOLINT: every status is a result
    constexpr operator bool() const { return status == DecodeStatus::Ok; }  // NOLINT: success as a truth value
};

// Runs a decode so that it never raises: a record the process cannot hold makes the picture too large.
template <class Decode>
DecodeResult NeverRaising(Decode&& decode) noexcept {
    try {
        return decode();
    } catch (const std::bad_alloc&) {
        return DecodeStatus::TooLarge;
    } catch (const std::length_error&) {
        return DecodeStatus::TooLarge;
    }
}

// A cursor over a file's bytes. Every read checks that its bytes are there: a read past the end
// gives nothing and leaves the reader exhausted, so a header read field by field needs one check.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes, std::size_t position = 0)
        : bytes_(bytes), pos_(position) {}

    std::optional<std::uint8_t> U8() { return Read(1, false); }
    std::optional<std::uint16_t> U16LE() { return Narrow<std::uint16_t>(Read(2, true)); }
    std::optional<std::uint16_t> U16BE() { return Narrow<std::uint16_t>(Read(2, false)); }
    std::optional<std::uint32_t> U32BE() { return Read(4, false); }

    // Moves on `count` bytes; past the end, every further read fails.
    void Skip(std::uint64_t count) { pos_ = count > Remaining() ? kPast : pos_ + static_cast<std::size_t>(count); }
    // Bytes left from the position; 0 once a read or skip went past the end.
    std::size_t Remaining() const { return pos_ > bytes_.size() ? 0 : bytes_.size() - pos_; }
    bool Exhausted() const { return pos_ == kPast; }
    std::size_t Position() const { return pos_; }

private:
    static constexpr std::size_t kPast = static_cast<std::size_t>(-1);

    template <typename T>
    static std::optional<T> Narrow(std::optional<std::uint32_t> v) {
        if (!v) return std::nullopt;
        return static_cast<T>(*v);
    }

    std::optional<std::uint32_t> Read(std::size_t count, bool littleEndian) {
        if (Remaining() < count || pos_ == kPast) {
            pos_ = kPast;
            return std::nullopt;
        }
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t b = bytes_[pos_ + i];
            v |= littleEndian ? b << (8 * i) : b << (8 * (count - 1 - i));
        }
        pos_ += count;
        return v;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_;
};

}  // namespace kelmor::core
