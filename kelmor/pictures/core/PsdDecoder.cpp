#include "pictures/core/PsdDecoder.h"

#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace kelmor::core {

namespace {

constexpr std::uint32_t kSignature = 0x38425053;  // "8BPS"
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::uint64_t kMaxBlackRecord = std::uint64_t{kPsdMaxBlackSide} * kPsdMaxBlackSide;

struct Header {
    std::int32_t channels = 0;
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t compression = 0;
    std::size_t dataOffset = 0;
};

// The header's numbers are big-endian, and every field must fit a signed value of its width (a
// larger one cannot be a size or a code this decoder accepts).
DecodeResult ReadHeader(std::span<const std::uint8_t> file, Header& h) {
    if (!IsPsd(file)) return DecodeStatus::NotThisFormat;
    ByteReader r(file, kPsdSignatureLength);
    const auto version = r.U16BE();
    if (version && *version != 1) return DecodeStatus::Unsupported;
    r.Skip(6);
    const auto channels = r.U16BE();
    const auto height = r.U32BE();
    const auto width = r.U32BE();
    const auto depth = r.U16BE();
    const auto mode = r.U16BE();
    if (!mode) return DecodeStatus::Truncated;
    if (*channels > 16 || *depth != 8 || *mode != 3) return DecodeStatus::Unsupported;
    if (*height > 0x7FFFFFFFu || *width > 0x7FFFFFFFu) return DecodeStatus::TooLarge;
    h.channels = static_cast<std::int32_t>(*channels);
    h.height = static_cast<std::int32_t>(*height);
    h.width = static_cast<std::int32_t>(*width);
    // Colour-mode data, image resources, layer and mask information: a length and its bytes each.
    for (int section = 0; section < 3; ++section) {
        const auto length = r.U32BE();
        if (!length) return DecodeStatus::Truncated;
        if (*length > 0x7FFFFFFFu) return DecodeStatus::Invalid;
        r.Skip(*length);
    }
    const auto compression = r.U16BE();
    if (!compression) return DecodeStatus::Truncated;
    if (*compression != 0 && *compression != 1) return DecodeStatus::Unsupported;
    h.compression = *compression;
    h.dataOffset = r.Position();
    return DecodeStatus::Ok;
}

// Room after the planes for the fixed-size copies of UnpackChannel.
constexpr std::size_t kPacketSlack = 128;

// Expands one PackBits channel of `count` pixels from data[k...] into `plane` (or only checks it when
// `plane` is null), advancing k. Packets run across row ends: the channel is one stream. The last
// packet may produce up to `surplus` pixels beyond the channel; more, or data ending early, is a
// failure. Packets are copied in whole blocks of 128 bytes (one packet's most) where the data allow,
// which is much faster than copies of each packet's own length; the bytes past the packet are
// overwritten by the next ones, so `plane` needs kPacketSlack bytes of room after its end.
DecodeResult UnpackChannel(const std::uint8_t* data, std::size_t size, std::size_t& k, std::uint8_t* plane,
                           std::size_t count, std::size_t surplus) {
    const std::size_t limit = count + surplus;
    std::size_t produced = 0;
    while (produced < count) {
        if (k >= size) return DecodeStatus::Truncated;
        const unsigned header = data[k++];
        if (header == 128) continue;  // a no-op packet
        if (header > 128) {
            const std::size_t run = 257 - header;
            if (k >= size) return DecodeStatus::Truncated;
            if (run > limit - produced) return DecodeStatus::Invalid;
            if (plane) std::memset(plane + produced, data[k], kPacketSlack);
            ++k;
            produced += run;
        } else {
            const std::size_t run = header + 1;
            if (run > size - k) return DecodeStatus::Truncated;
            if (run > limit - produced) return DecodeStatus::Invalid;
            if (plane) {
                if (size - k >= kPacketSlack)
                    std::memcpy(plane + produced, data + k, kPacketSlack);
                else
                    std::memcpy(plane + produced, data + k, run);
            }
            k += run;
            produced += run;
        }
    }
    return DecodeStatus::Ok;
}

// Writes the rows of the record from three planes of width x height bytes (red, green, blue).
void Interleave(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue,
                std::size_t redStep, std::size_t greenStep, std::size_t blueStep, std::int32_t width,
                std::int32_t height, std::size_t rowLength, std::uint8_t* bits) {
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t pixelBytes = w * 3;
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* __restrict o = bits + static_cast<std::size_t>(y) * rowLength;
        const std::uint8_t* __restrict r = red;
        const std::uint8_t* __restrict g = green;
        const std::uint8_t* __restrict b = blue;
        for (std::size_t x = 0; x < w; ++x) {
            o[3 * x] = b[x];
            o[3 * x + 1] = g[x];
            o[3 * x + 2] = r[x];
        }
        // The record may be reused with stale bytes: padding is always written.
        for (std::size_t p = pixelBytes; p < rowLength; ++p) o[p] = 0;
        red += redStep;
        green += greenStep;
        blue += blueStep;
    }
}

// A file without channels: a black picture, as an 8-bit record over an all-black palette (a third
// of the 24-bit record's memory). Nothing in the file bounds its size, so a fixed limit does.
DecodeResult DecodeBlack(const Header& h, DIBImage& out) {
    const std::optional<std::int32_t> rowLength = GetScanlineLength(h.width, 8);
    if (!rowLength || std::uint64_t(*rowLength) * std::uint64_t(h.height) > kMaxBlackRecord)
        return DecodeStatus::TooLarge;
    out.Bits.assign(static_cast<std::size_t>(*rowLength) * static_cast<std::size_t>(h.height), 0);
    out.Width = h.width;
    out.Height = h.height;
    out.BPP = 8;
    out.Palette.fill(0);
    return DecodeStatus::Ok;
}

DecodeResult Decode(std::span<const std::uint8_t> file, DIBImage& out) {
    Header h;
    if (const DecodeResult header = ReadHeader(file, h); !header) return header;
    // A picture without pixels is not one.
    if (h.width == 0 || h.height == 0) return DecodeStatus::Invalid;
    if (h.channels == 0) return DecodeBlack(h, out);
    // Every size the record and its arithmetic use must stay within the signed 32-bit range (four
    // bytes a pixel while decoding, plus three spare bytes).
    const std::int64_t pixels = std::int64_t{h.width} * h.height;
    if (pixels > (kInt32Max - 3) / 4) return DecodeStatus::TooLarge;  // (the product itself may reach 2^62)
    const std::optional<std::int32_t> rowLength = GetScanlineLength(h.width, 24);
    if (!rowLength || std::int64_t{*rowLength} * h.height > kInt32Max) return DecodeStatus::TooLarge;

    const std::uint8_t* data = file.data() + h.dataOffset;
    const std::size_t size = file.size() - h.dataOffset;
    const std::size_t n = static_cast<std::size_t>(pixels);
    const std::size_t w = static_cast<std::size_t>(h.width);
    const std::size_t channels = static_cast<std::size_t>(h.channels);

    // The slots in the order they take the file's channels, with their byte in a blue, green, red,
    // alpha pixel: a slot has a channel when that byte's position is below the channel count.
    const bool hasRed = channels > 2, hasGreen = channels > 1, hasBlue = channels > 0,
               hasAlpha = channels > 3;
    const std::size_t colourChannels = std::size_t{hasRed} + hasGreen + hasBlue;

    // Missing colour slots read a black row. The data bound every size from here on: raw exactly,
    // PackBits at 128 pixels per two bytes.
    const std::uint8_t* planes[3] = {nullptr, nullptr, nullptr};  // red, green, blue
    std::size_t steps[3] = {0, 0, 0};

    std::unique_ptr<std::uint8_t[]> unpacked;
    if (h.compression == 0) {
        // Raw: the channels one after the other; the alpha channel, when there is one, must be present.
        const std::size_t needed = (colourChannels + hasAlpha) * n;
        if (size < needed) return DecodeStatus::Truncated;
        std::size_t next = 0;
        for (int slot = 0; slot < 3; ++slot) {
            if (!(slot == 0 ? hasRed : slot == 1 ? hasGreen : hasBlue)) continue;
            planes[slot] = data + next * n;
            steps[slot] = w;
            ++next;
        }
    } else {
        // PackBits: a table of two bytes per row and channel (not needed: the channels are read as
        // streams), then the channels. Each channel expands to a plane of its own; every channel must
        // decode completely, alpha included, though alpha is not kept.
        const std::uint64_t table = 2 * std::uint64_t{channels} * static_cast<std::uint64_t>(h.height);
        if (table >= size) return DecodeStatus::Truncated;
        std::size_t k = static_cast<std::size_t>(table);
        // Each two bytes of data give at most 128 pixels: a file too short for that fails before the
        // planes are allocated.
        const std::size_t decoded = colourChannels + hasAlpha;
        if ((size - k) / 2 < decoded * ((n + 127) / 128)) return DecodeStatus::TooLarge;
        // One surplus pixel of a colour channel is tolerated (it lands past the channel and is not
        // used). The planes lie one after the other: whatever a channel writes past its end lands in
        // the next plane before that is written, or in the slack after the last.
        unpacked.reset(new std::uint8_t[colourChannels * n + kPacketSlack]);
        std::size_t next = 0;
        for (int slot = 0; slot < 3; ++slot) {
            if (!(slot == 0 ? hasRed : slot == 1 ? hasGreen : hasBlue)) continue;
            std::uint8_t* plane = unpacked.get() + next * n;
            if (const DecodeResult unpacked = UnpackChannel(data, size, k, plane, n, 1); !unpacked) return unpacked;
            planes[slot] = plane;
            steps[slot] = w;
            ++next;
        }
        if (hasAlpha) {
            if (const DecodeResult alpha = UnpackChannel(data, size, k, nullptr, n, 0); !alpha) return alpha;
        }
    }

    std::vector<std::uint8_t> blackRow;
    if (colourChannels < 3) blackRow.assign(w, 0);
    for (const std::uint8_t*& plane : planes)
        if (!plane) plane = blackRow.data();
    const std::size_t total = static_cast<std::size_t>(*rowLength) * static_cast<std::size_t>(h.height);
    out.Bits.resize(total);
    Interleave(planes[0], planes[1], planes[2], steps[0], steps[1], steps[2], h.width, h.height,
               static_cast<std::size_t>(*rowLength), out.Bits.data());
    out.Width = h.width;
    out.Height = h.height;
    out.BPP = 24;
    out.Palette.fill(0);
    return DecodeStatus::Ok;
}

}  // namespace

bool IsPsd(std::span<const std::uint8_t> head) {
    const std::optional<std::uint32_t> signature = ByteReader(head).U32BE();
    return signature && *signature == kSignature;
}

DecodeResult DecodePsd(std::span<const std::uint8_t> file, DIBImage& out) {
    return NeverRaising([&] { return Decode(file, out); });
}

}  // namespace kelmor::core
