#include "pictures/core/PcxDecoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <vector>

namespace kelmor::core {

namespace {

constexpr std::uint8_t kManufacturer = 10;
constexpr std::uint8_t kRunFlags = 0xC0;
constexpr std::uint8_t kRunCount = 0x3F;
// Room the fast expansion needs ahead of its write position: up to 7 literals, then a run stored
// as a whole 64-byte block.
constexpr std::size_t kFastRoom = 72;

struct Header {
    std::size_t width = 0;
    std::size_t height = 0;
    std::size_t planes = 0;
    std::size_t bytesPerLine = 0;  // of one plane
    std::size_t lineBytes = 0;     // of one encoded scan line, all planes
};

// The header's sizes. The words are signed 16-bit values in this format's tradition: a word above
// 32767, a width or height outside 1..32767 or a scan line of more than 32767 bytes is refused.
// Only the layouts this decoder draws correctly are taken: 8 bits per plane, one plane (palette
// indices) or three (red, green, blue), and scan lines that hold at least the picture's width.
// Anything else (16-colour planar files, four planes) would come out as a scrambled picture.
DecodeResult ReadHeader(std::span<const std::uint8_t> file, Header& h) {
    if (!IsPcx(file)) return DecodeStatus::NotThisFormat;
    if (file.size() < kPcxHeaderSize) return DecodeStatus::Truncated;
    ByteReader r(file, 3);
    const int bitsPerPlane = *r.U8();
    const int xMin = *r.U16LE(), yMin = *r.U16LE(), xMax = *r.U16LE(), yMax = *r.U16LE();
    r.Skip(65 - r.Position());
    const int planes = *r.U8();
    const int bytesPerLine = *r.U16LE();
    for (int word : {xMin, yMin, xMax, yMax, bytesPerLine})
        if (word > 32767) return DecodeStatus::Invalid;
    const int width = xMax - xMin + 1, height = yMax - yMin + 1;
    if (width <= 0 || width > 32767 || height <= 0 || height > 32767) return DecodeStatus::Invalid;
    if (bitsPerPlane != 8 || (planes != 1 && planes != 3)) return DecodeStatus::Unsupported;
    if (planes * bytesPerLine > 32767 || bytesPerLine < width) return DecodeStatus::Unsupported;
    h.width = static_cast<std::size_t>(width);
    h.height = static_cast<std::size_t>(height);
    h.planes = static_cast<std::size_t>(planes);
    h.bytesPerLine = static_cast<std::size_t>(bytesPerLine);
    h.lineBytes = h.planes * h.bytesPerLine;
    return DecodeStatus::Ok;
}

// Stores a run of `count` (at most 63) bytes of `value` at out: a whole 8 or 64-byte block, the
// bytes beyond the count to be overwritten by what follows.
inline void StoreRun(std::uint8_t* out, std::uint8_t value, std::size_t count) {
    if (count <= 8) {
        const std::uint64_t block = value * 0x0101010101010101ull;
        std::memcpy(out, &block, 8);
    } else {
        std::memset(out, value, 64);
    }
}

// Expands run-length data from s[k] into out[x] while there is room for kFastRoom bytes before
// `end` and 9 input bytes are left (8 to look at, and the value of a run byte among them). Eight
// bytes are taken at a time where they hold no run or four short runs, else one run and the
// literals before it. Writes reach past a run's count and past the last literal; the caller goes
// on filling every byte up to `end`, so those bytes are overwritten. Leaves the rest, near either
// end, to the careful loop.
inline void ExpandFast(const std::uint8_t* s, std::size_t n, std::size_t& k, std::uint8_t* out,
                       std::size_t& x, std::size_t end) {
    if constexpr (std::endian::native != std::endian::little) return;
    if (end < kFastRoom) return;
    const std::size_t last = end - kFastRoom;
    while (x <= last && k + 9 <= n) {
        std::uint64_t w;
        std::memcpy(&w, s + k, 8);
        // Bit 7 of a byte of `runs` is set where that byte has both top bits set: a run byte (or
        // a run's value, which the parsing below steps over).
        const std::uint64_t runs = w & (w << 1) & 0x8080808080808080ull;
        std::memcpy(out + x, &w, 8);
        if (runs == 0) {
            x += 8;
            k += 8;
            continue;
        }
        // Four runs of one: how single bytes of 0xC0 and above are coded, common in bright areas.
        if ((w & 0x00FF00FF00FF00FFull) == 0x00C100C100C100C1ull) {
            std::uint64_t v = (w >> 8) & 0x00FF00FF00FF00FFull;
            v = (v | (v >> 8)) & 0x0000FFFF0000FFFFull;
            v = v | (v >> 16);
            std::memcpy(out + x, &v, 8);
            x += 4;
            k += 8;
            continue;
        }
        // Four runs of up to 7 bytes: bright areas with some repeats.
        if ((w & 0x00F800F800F800F8ull) == 0x00C000C000C000C0ull) {
            for (unsigned p = 0; p < 64; p += 16) {
                StoreRun(out + x, static_cast<std::uint8_t>(w >> (p + 8)), 0);
                x += (w >> p) & 7;
            }
            k += 8;
            continue;
        }
        // Otherwise one run, after the literals before it (in place already). Its count comes from
        // the loaded word, so the next position waits for no further load; its value is at most
        // byte 8, within the 9 known bytes.
        const auto literals = static_cast<unsigned>(std::countr_zero(runs)) >> 3;
        const auto count = static_cast<std::size_t>((w >> (8 * literals)) & kRunCount);
        StoreRun(out + x + literals, s[k + literals + 1], count);
        x += literals + count;
        k += literals + 2;
    }
}

// One plane of palette indices, scan line by scan line. A run that would pass the end of the
// scan line is cut at the picture's width; bytes of the scan line beyond the width are read but
// not stored, so rows keep zero padding whatever the scan-line length.
DecodeResult DecodeOnePlane(std::span<const std::uint8_t> body, const Header& h, std::size_t rowBytes,
                            std::uint8_t* dst) {
    const std::uint8_t* s = body.data();
    const std::size_t n = body.size(), width = h.width, line = h.lineBytes;
    std::size_t k = 0;
    for (std::size_t r = 0; r < h.height; ++r) {
        std::uint8_t* row = dst + r * rowBytes;
        std::size_t x = 0;
        ExpandFast(s, n, k, row, x, width);
        while (x < width) {
            if (k >= n) return DecodeStatus::Truncated;
            const std::uint8_t b = s[k++];
            if ((b & kRunFlags) != kRunFlags) {
                row[x++] = b;
                continue;
            }
            if (k >= n) return DecodeStatus::Truncated;
            const std::uint8_t value = s[k++];
            const std::size_t count = b & kRunCount;
            if (x + count > line) {
                std::memset(row + x, value, width - x);
                x = width;
            } else {
                std::memset(row + x, value, std::min(count, width - x));
                x += count;
            }
        }
        // The rest of the scan line: a run that would pass its end moves nothing.
        while (x < line) {
            if (k >= n) return DecodeStatus::Truncated;
            const std::uint8_t b = s[k++];
            if ((b & kRunFlags) != kRunFlags) {
                ++x;
                continue;
            }
            if (k++ >= n) return DecodeStatus::Truncated;
            const std::size_t count = b & kRunCount;
            if (x + count <= line) x += count;
        }
        std::memset(row + width, 0, rowBytes - width);
    }
    return DecodeStatus::Ok;
}

// Three planes: the data is one run-length stream across scan lines (a run may continue on the
// next line), expanded a scan line at a time and interleaved into blue, green, red pixels. The
// stream may end early only inside the last scan line's blue plane padding (the missing bytes
// count as zero), and may go on past the last scan line by one byte at most.
DecodeResult DecodeThreePlanes(std::span<const std::uint8_t> data, const Header& h, std::size_t rowBytes,
                               std::uint8_t* dst) {
    const std::uint8_t* s = data.data();
    const std::size_t n = data.size(), width = h.width, plane = h.bytesPerLine, line = h.lineBytes;
    std::vector<std::uint8_t> buffer(line);
    std::uint8_t* const scan = buffer.data();
    std::size_t k = 0, pending = 0;  // a run's bytes still to come on the next scan line
    std::uint8_t pendingValue = 0;
    for (std::size_t r = 0; r < h.height; ++r) {
        std::size_t c = std::min(pending, line);
        std::memset(scan, pendingValue, c);
        pending -= c;
        ExpandFast(s, n, k, scan, c, line);
        while (c < line && k < n) {
            const std::uint8_t b = s[k++];
            if ((b & kRunFlags) != kRunFlags) {
                scan[c++] = b;
                continue;
            }
            const std::size_t count = b & kRunCount;
            if (count == 0) {  // its value byte is skipped unread, even at the very end
                ++k;
                continue;
            }
            if (k >= n) return DecodeStatus::Truncated;
            pendingValue = s[k++];
            const std::size_t now = std::min(count, line - c);
            std::memset(scan + c, pendingValue, now);
            c += now;
            pending = count - now;
        }
        if (c < line) {
            if (r + 1 < h.height || c < 2 * plane + width) return DecodeStatus::Truncated;
            std::memset(scan + c, 0, line - c);
        }
        const std::uint8_t* red = scan;
        const std::uint8_t* green = scan + plane;
        const std::uint8_t* blue = scan + 2 * plane;
        std::uint8_t* out = dst + r * rowBytes;
        std::size_t x = 0;
        if constexpr (std::endian::native == std::endian::little) {
            // Four pixels from three 32-bit loads into three 32-bit stores.
            for (; x + 4 <= width; x += 4) {
                std::uint32_t b4, g4, r4;
                std::memcpy(&b4, blue + x, 4);
                std::memcpy(&g4, green + x, 4);
                std::memcpy(&r4, red + x, 4);
                const std::uint32_t o0 =
                    (b4 & 0xFF) | (g4 & 0xFF) << 8 | (r4 & 0xFF) << 16 | (b4 >> 8 & 0xFF) << 24;
                const std::uint32_t o1 = (g4 >> 8 & 0xFF) | (r4 >> 8 & 0xFF) << 8 | (b4 >> 16 & 0xFF) << 16 |
                                         (g4 >> 16 & 0xFF) << 24;
                const std::uint32_t o2 =
                    (r4 >> 16 & 0xFF) | (b4 >> 24) << 8 | (g4 >> 24) << 16 | (r4 >> 24) << 24;
                std::memcpy(out + 3 * x, &o0, 4);
                std::memcpy(out + 3 * x + 4, &o1, 4);
                std::memcpy(out + 3 * x + 8, &o2, 4);
            }
        }
        for (; x < width; ++x) {
            out[3 * x] = blue[x];
            out[3 * x + 1] = green[x];
            out[3 * x + 2] = red[x];
        }
        std::memset(out + 3 * width, 0, rowBytes - 3 * width);
    }
    // What follows the last scan line may expand to one byte at most: a palette or other data
    // appended after the pixels is refused.
    std::size_t surplus = pending;
    while (k < n && surplus <= 1) {
        const std::uint8_t b = s[k++];
        if ((b & kRunFlags) != kRunFlags) {
            ++surplus;
            continue;
        }
        const std::size_t count = b & kRunCount;
        if (count > 0 && k >= n) return DecodeStatus::Invalid;
        surplus += count;
        ++k;
    }
    return surplus <= 1 ? DecodeStatus::Ok : DecodeStatus::Invalid;
}

}  // namespace

bool IsPcx(std::span<const std::uint8_t> head) {
    return head.size() >= kPcxSignatureSize && head[0] == kManufacturer;
}

namespace {

DecodeResult Decode(std::span<const std::uint8_t> file, DIBImage& out) {
    Header h;
    if (const DecodeResult header = ReadHeader(file, h); !header) return header;
    const bool onePlane = h.planes == 1;
    std::span<const std::uint8_t> data = file.subspan(kPcxHeaderSize);
    // The picture is bounded by what the data can encode before anything is allocated: a two-byte
    // run gives 63 bytes at most.
    if (onePlane) {
        // The pixel data ends where the palette begins.
        if (data.size() < kPcxPaletteSize) return DecodeStatus::Truncated;
        const std::span<const std::uint8_t> palette = data.last(kPcxPaletteSize);
        if (palette[0] != kPcxPaletteMarker) return DecodeStatus::Invalid;
        data = data.first(data.size() - kPcxPaletteSize);
        // Each scan line is encoded on its own, so a row of b bytes of data holds at most 63 pixels
        // per two bytes, and one for a last odd byte: over all rows, width x height is at most
        // 63 x (data + height) / 2, and every row takes a byte at least.
        const std::uint64_t pixels = std::uint64_t{h.width} * h.height;
        if (h.height > data.size() || 2 * pixels > 63 * (std::uint64_t{data.size()} + h.height))
            return DecodeStatus::TooLarge;
        for (std::size_t i = 0; i < 256; ++i) {
            const std::uint8_t* rgb = &palette[1 + 3 * i];
            out.Palette[i] = static_cast<std::int32_t>(rgb[2] | (rgb[1] << 8) | (rgb[0] << 16));
        }
    } else {
        out.Palette.fill(0);
        // The stream must reach the last row's blue plane.
        const std::uint64_t needed = (h.height - 1) * h.lineBytes + 2 * h.bytesPerLine + h.width;
        if (needed > 63 * ((static_cast<std::uint64_t>(data.size()) + 1) / 2)) return DecodeStatus::TooLarge;
    }

    out.Width = static_cast<std::int32_t>(h.width);
    out.Height = static_cast<std::int32_t>(h.height);
    out.BPP = onePlane ? 8 : 24;
    // Sizes are at most 32767: the row length of either depth is there.
    const auto rowBytes = static_cast<std::size_t>(*GetScanlineLength(out.Width, out.BPP));
    // Every byte of every row is written below, so a buffer of the right size is reused as it is.
    out.Bits.resize(rowBytes * h.height);
    return onePlane ? DecodeOnePlane(data, h, rowBytes, out.Bits.data())
                    : DecodeThreePlanes(data, h, rowBytes, out.Bits.data());
}

}  // namespace

DecodeResult DecodePcx(std::span<const std::uint8_t> file, DIBImage& out) {
    return NeverRaising([&] { return Decode(file, out); });
}

}  // namespace kelmor::core
