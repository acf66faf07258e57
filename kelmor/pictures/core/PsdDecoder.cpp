#include "pictures/core/PsdDecoder.h"

#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <vector>

namespace kelmor::core {

namespace {

constexpr std::uint32_t kSignature = 0x38425053;  // "8BPS"
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

// The header's numbers: big-endian, and every field must fit a signed value of its width (a larger
// one cannot be a size or a code this decoder accepts).
class HeaderReader {
public:
    explicit HeaderReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool Word(std::int32_t& value) {
        if (bytes_.size() < 2 || pos_ > bytes_.size() - 2) return false;
        const std::uint32_t v = (std::uint32_t{bytes_[pos_]} << 8) | bytes_[pos_ + 1];
        pos_ += 2;
        if (v > 0x7FFF) return false;
        value = static_cast<std::int32_t>(v);
        return true;
    }
    bool DWord(std::int32_t& value) {
        if (bytes_.size() < 4 || pos_ > bytes_.size() - 4) return false;
        const std::uint32_t v = (std::uint32_t{bytes_[pos_]} << 24) |
                                (std::uint32_t{bytes_[pos_ + 1]} << 16) |
                                (std::uint32_t{bytes_[pos_ + 2]} << 8) | bytes_[pos_ + 3];
        pos_ += 4;
        if (v > 0x7FFFFFFF) return false;
        value = static_cast<std::int32_t>(v);
        return true;
    }
    // Skips `count` bytes; a position past the end makes the next read fail.
    void Skip(std::size_t count) {
        pos_ = pos_ > bytes_.size() || count > bytes_.size() - pos_ ? bytes_.size() + 1 : pos_ + count;
    }
    std::size_t Position() const { return pos_; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

struct Header {
    std::int32_t channels = 0;
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t compression = 0;
    std::size_t dataOffset = 0;
};

bool ReadHeader(std::span<const std::uint8_t> file, Header& h) {
    if (!IsPsd(file)) return false;
    HeaderReader r(file);
    r.Skip(4);
    std::int32_t version = 0, depth = 0, mode = 0;
    if (!r.Word(version) || version != 1) return false;
    r.Skip(6);
    if (!r.Word(h.channels) || h.channels > 16) return false;
    if (!r.DWord(h.height) || !r.DWord(h.width)) return false;
    if (!r.Word(depth) || depth != 8) return false;
    if (!r.Word(mode) || mode != 3) return false;
    // Colour-mode data, image resources, layer and mask information: a length and its bytes each.
    for (int section = 0; section < 3; ++section) {
        std::int32_t length = 0;
        if (!r.DWord(length)) return false;
        r.Skip(static_cast<std::size_t>(length));
    }
    if (!r.Word(h.compression) || (h.compression != 0 && h.compression != 1)) return false;
    h.dataOffset = r.Position();
    return true;
}

// Room after the planes for the fixed-size copies of UnpackChannel.
constexpr std::size_t kPacketSlack = 128;

// Expands one PackBits channel of `count` pixels from data[k...] into `plane` (or only checks it when
// `plane` is null), advancing k. Packets run across row ends: the channel is one stream. The last
// packet may produce up to `surplus` pixels beyond the channel; more, or data ending early, is a
// failure. Packets are copied in whole blocks of 128 bytes (one packet's most) where the data allow,
// which is much faster than copies of each packet's own length; the bytes past the packet are
// overwritten by the next ones, so `plane` needs kPacketSlack bytes of room after its end.
bool UnpackChannel(const std::uint8_t* data, std::size_t size, std::size_t& k, std::uint8_t* plane,
                   std::size_t count, std::size_t surplus) {
    const std::size_t limit = count + surplus;
    std::size_t produced = 0;
    while (produced < count) {
        if (k >= size) return false;
        const unsigned header = data[k++];
        if (header == 128) continue;  // a no-op packet
        if (header > 128) {
            const std::size_t run = 257 - header;
            if (k >= size || run > limit - produced) return false;
            if (plane) std::memset(plane + produced, data[k], kPacketSlack);
            ++k;
            produced += run;
        } else {
            const std::size_t run = header + 1;
            if (run > size - k || run > limit - produced) return false;
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
    return true;
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

bool Decode(std::span<const std::uint8_t> file, DIBImage& out) {
    Header h;
    if (!ReadHeader(file, h)) return false;
    // A picture without pixels is not one; every size the record and its arithmetic use must stay
    // within the signed 32-bit range (four bytes a pixel while decoding, plus three spare bytes).
    if (h.width == 0 || h.height == 0) return false;
    const std::int64_t pixels = std::int64_t{h.width} * h.height;
    if (pixels > (kInt32Max - 3) / 4) return false;  // (the product itself may reach 2^62)
    const std::optional<std::int32_t> rowLength = GetScanlineLength(h.width, 24);
    if (!rowLength || std::int64_t{*rowLength} * h.height > kInt32Max) return false;

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

    // Missing colour slots read a black row.
    std::vector<std::uint8_t> blackRow;
    if (colourChannels < 3) blackRow.assign(w, 0);
    const std::uint8_t* planes[3] = {blackRow.data(), blackRow.data(), blackRow.data()};  // red, green, blue
    std::size_t steps[3] = {0, 0, 0};

    std::unique_ptr<std::uint8_t[]> unpacked;
    if (h.compression == 0) {
        // Raw: the channels one after the other; the alpha channel, when there is one, must be present.
        const std::size_t needed = (colourChannels + hasAlpha) * n;
        if (size < needed) return false;
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
        if (channels > 0 && table >= size) return false;
        std::size_t k = static_cast<std::size_t>(channels > 0 ? table : 0);
        // Each two bytes of data give at most 128 pixels: a file too short for that fails before the
        // planes are allocated.
        const std::size_t decoded = colourChannels + hasAlpha;
        if (decoded > 0 && (size - k) / 2 < decoded * ((n + 127) / 128)) return false;
        // One surplus pixel of a colour channel is tolerated (it lands past the channel and is not
        // used). The planes lie one after the other: whatever a channel writes past its end lands in
        // the next plane before that is written, or in the slack after the last.
        unpacked.reset(new std::uint8_t[colourChannels * n + kPacketSlack]);
        std::size_t next = 0;
        for (int slot = 0; slot < 3; ++slot) {
            if (!(slot == 0 ? hasRed : slot == 1 ? hasGreen : hasBlue)) continue;
            std::uint8_t* plane = unpacked.get() + next * n;
            if (!UnpackChannel(data, size, k, plane, n, 1)) return false;
            planes[slot] = plane;
            steps[slot] = w;
            ++next;
        }
        if (hasAlpha && !UnpackChannel(data, size, k, nullptr, n, 0)) return false;
    }

    const std::size_t total = static_cast<std::size_t>(*rowLength) * static_cast<std::size_t>(h.height);
    out.Bits.resize(total);
    Interleave(planes[0], planes[1], planes[2], steps[0], steps[1], steps[2], h.width, h.height,
               static_cast<std::size_t>(*rowLength), out.Bits.data());
    out.Width = h.width;
    out.Height = h.height;
    out.BPP = 24;
    out.Palette.fill(0);
    return true;
}

}  // namespace

bool IsPsd(std::span<const std::uint8_t> head) {
    if (head.size() < kPsdSignatureLength) return false;
    const std::uint32_t value = (std::uint32_t{head[0]} << 24) | (std::uint32_t{head[1]} << 16) |
                                (std::uint32_t{head[2]} << 8) | head[3];
    return value == kSignature;
}

bool DecodePsd(std::span<const std::uint8_t> file, DIBImage& out) {
    try {
        return Decode(file, out);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

}  // namespace kelmor::core
