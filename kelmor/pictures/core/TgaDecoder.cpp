#include "pictures/core/TgaDecoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <new>

namespace kelmor::core {

namespace {

constexpr std::uint8_t kTypeUncompressed = 2;
constexpr std::uint8_t kTypeRunLength = 10;
constexpr std::uint8_t kTopDownBit = 0x20;

// The fixed header, little-endian throughout.
struct Header {
    std::uint8_t idLength;
    std::uint8_t colourMapType;
    std::uint8_t imageType;
    std::uint16_t mapLength;
    std::uint8_t mapEntryBits;
    std::int16_t width;
    std::int16_t height;
    std::uint8_t depth;
    std::uint8_t descriptor;
};

// The caller has checked that the whole header is there.
Header ReadHeader(std::span<const std::uint8_t> file) {
    ByteReader r(file);
    Header h{};
    h.idLength = *r.U8();
    h.colourMapType = *r.U8();
    h.imageType = *r.U8();
    r.Skip(2);  // first map entry: plays no part in decoding
    h.mapLength = *r.U16LE();
    h.mapEntryBits = *r.U8();
    r.Skip(4);  // origin
    h.width = static_cast<std::int16_t>(*r.U16LE());
    h.height = static_cast<std::int16_t>(*r.U16LE());
    h.depth = *r.U8();
    h.descriptor = *r.U8();
    return h;
}

// Stored bytes per pixel, or 0 for a depth this reader does not decode. 15-bit files store
// their pixels exactly as 16-bit ones do (the top bit unused), so both are decoded alike; 8-bit
// true-colour and odd depths are refused rather than shown as a black picture.
int BytesPerPixel(std::uint8_t depth) {
    switch (depth) {
        case 15:
        case 16:
            return 2;
        case 24:
            return 3;
        case 32:
            return 4;
        default:
            return 0;
    }
}

// A 16-bit pixel (x1555, little-endian) to blue, green, red: each 5-bit channel moved to the top
// of its byte, the low three bits zero; the top bit is ignored.
inline void Convert16(const std::uint8_t* s, std::uint8_t* d) {
    const unsigned v = s[0] | (s[1] << 8);
    d[0] = static_cast<std::uint8_t>((v & 0x1F) << 3);
    d[1] = static_cast<std::uint8_t>((v >> 2) & 0xF8);
    d[2] = static_cast<std::uint8_t>((v >> 7) & 0xF8);
}

// `count` stored pixels from `s` to blue, green, red bytes at `d`. Writes exactly count * 3 bytes.
template <int Bpp>
void ConvertPixels(const std::uint8_t* s, std::uint8_t* d, std::size_t count) {
    if constexpr (Bpp == 3) {
        if (count > 16) {
            std::memcpy(d, s, count * 3);
            return;
        }
        // Short packets are the common case in run-length data: copy inline, four bytes at a
        // time, each overlapping the next pixel, the last one exactly three.
        for (; count > 1; --count, s += 3, d += 3) std::memcpy(d, s, 4);
        if (count) std::memcpy(d, s, 3);
    } else if constexpr (Bpp == 4) {
        // Four bytes at a time, the alpha byte landing where the next pixel's blue goes and then
        // overwritten; the last pixel copies three so nothing past it is touched.
        for (; count > 1; --count, s += 4, d += 3) std::memcpy(d, s, 4);
        if (count) std::memcpy(d, s, 3);
    } else {
        for (std::size_t i = 0; i < count; ++i) Convert16(s + 2 * i, d + 3 * i);
    }
}

// `count` copies of the pixel `px` (blue, green, red) at `d`; writes exactly count * 3 bytes.
inline void FillPixels(std::uint8_t* d, std::size_t count, const std::uint8_t* px) {
    const std::uint32_t pattern = px[0] | (px[1] << 8) | (static_cast<std::uint32_t>(px[2]) << 16);
    for (; count > 1; --count, d += 3) std::memcpy(d, &pattern, 4);
    if (count) std::memcpy(d, px, 3);
}

// Short packets are most of a photograph's run-length data. One that ends well inside its row is
// written as a whole block of 16 pixels (48 bytes) with a few wide stores instead of a loop: the
// bytes past the packet lie in the same row (its padding included), and the next packets of the
// row, or the row's padding, overwrite them. The callers check that the block fits in the row
// and, for copies, that 16 stored pixels can be read.
inline void ShortFill(std::uint8_t* d, const std::uint8_t* px) {
    // Three 8-byte words hold eight pixels (the pattern repeats every 24 bytes).
    const std::uint64_t t = px[0] | (px[1] << 8) | (static_cast<std::uint64_t>(px[2]) << 16);
    std::uint64_t w[6];
    w[0] = t | (t << 24) | (t << 48);
    w[1] = (t >> 16) | (t << 8) | (t << 32) | (t << 56);
    w[2] = (t >> 8) | (t << 16) | (t << 40);
    w[3] = w[0];
    w[4] = w[1];
    w[5] = w[2];
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(d, w, 48);
    } else {
        FillPixels(d, 16, px);
    }
}

template <int Bpp, int Pixels = 16>
inline void ShortCopy(const std::uint8_t* s, std::uint8_t* d) {
    if constexpr (Bpp == 3) {
        std::memcpy(d, s, 48);
    } else if constexpr (std::endian::native == std::endian::little) {
        // Two pixels at a time: their blue, green and red bytes as six bytes of one 8-byte word
        // (two more written, overwritten by the next pair).
        for (int i = 0; i < Pixels / 2; ++i) {
            std::uint64_t v;
            std::memcpy(&v, s + 8 * i, 8);
            v = (v & 0xFFFFFFu) | ((v >> 8) & 0xFFFFFF000000u);
            std::memcpy(d + 6 * i, &v, 8);
        }
    } else {
        for (int i = 0; i < Pixels; ++i) std::memcpy(d + 3 * i, s + 4 * i, 4);
    }
}

inline void ConvertOne(int bpp, const std::uint8_t* s, std::uint8_t* d) {
    if (bpp == 2) {
        Convert16(s, d);
    } else {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
    }
}

// Where the rows go: the file's first row is the top one, or the bottom one.
struct Rows {
    std::uint8_t* base;
    std::size_t length;  // bytes per output row, padding included
    std::size_t height;
    bool bottomUp;
    std::uint8_t* operator()(std::size_t fileRow) const {
        return base + (bottomUp ? height - 1 - fileRow : fileRow) * length;
    }
};

template <int Bpp>
DecodeResult DecodeUncompressed(const std::uint8_t* p, const Rows& rows, std::size_t width, std::size_t pad) {
    // The caller has checked that every row is in the file.
    for (std::size_t r = 0; r < rows.height; ++r, p += width * Bpp) {
        std::uint8_t* row = rows(r);
        ConvertPixels<Bpp>(p, row, width);
        std::memset(row + width * 3, 0, pad);
    }
    return DecodeStatus::Ok;
}

// Packets of run (one pixel repeated) or raw pixels; a packet may continue on the next row. The
// stream must end exactly at the last pixel: a packet reaching beyond it is an error, bytes after
// the last packet are not looked at.
template <int Bpp>
DecodeResult DecodeRunLength(const std::uint8_t* p, const std::uint8_t* end, const Rows& rows, std::size_t width,
                     std::size_t pad) {
    std::size_t fileRow = 0, column = 0;
    std::uint8_t* row = rows(0);
    // Ends the current row when it is full; false once the last row is done.
    auto nextRowIfFull = [&]() {
        if (column < width) return true;
        std::memset(row + width * 3, 0, pad);
        column = 0;
        if (++fileRow == rows.height) return false;
        row = rows(fileRow);
        return true;
    };
    for (;;) {
        if constexpr (Bpp != 2 && std::endian::native == std::endian::little) {
            // Well inside the data and the row, a short packet needs none of the checks below:
            // its header, a run's 4-byte pixel load or 16 raw pixels are all readable, and its
            // 16-pixel block (50 bytes written at most) fits in the row.
            const std::size_t rowBytes = width * 3 + pad;
            while (static_cast<std::size_t>(end - p) > 16 * Bpp + 4) {
                const unsigned packet = *p;
                const std::size_t n = (packet & 0x7F) + 1;
                if (n > 16 || column + n >= width || column * 3 + 50 > rowBytes) break;
                std::uint8_t* d = row + column * 3;
                if (packet & 0x80) {
                    ShortFill(d, p + 1);
                    p += 1 + Bpp;
                } else {
                    if constexpr (Bpp == 4) {
                        // Raw packets in run-length data are mostly a pixel or two: four will do.
                        if (n <= 4)
                            ShortCopy<4, 4>(p + 1, d);
                        else
                            ShortCopy<4>(p + 1, d);
                    } else {
                        ShortCopy<Bpp>(p + 1, d);
                    }
                    p += 1 + n * Bpp;
                }
                column += n;
            }
        }
        if (p == end) return DecodeStatus::Truncated;
        const unsigned packet = *p++;
        std::size_t n = (packet & 0x7F) + 1;
        // Most packets end inside the current row: written straight away. A packet that fills
        // the row goes the slower way below, which moves on to the next row as often as needed.
        const std::size_t room = width - column;
        if (packet & 0x80) {
            if (end - p < Bpp) return DecodeStatus::Truncated;
            std::uint8_t px[3];
            ConvertOne(Bpp, p, px);
            p += Bpp;
            if (n < room) {
                std::uint8_t* d = row + column * 3;
                if (n <= 16 && (room * 3 + pad) >= 50) {
                    ShortFill(d, px);
                } else {
                    FillPixels(d, n, px);
                }
                column += n;
                continue;
            }
            for (;;) {
                const std::size_t k = std::min(n, width - column);
                FillPixels(row + column * 3, k, px);
                column += k;
                n -= k;
                if (!nextRowIfFull()) return n == 0 ? DecodeStatus::Ok : DecodeStatus::Invalid;
                if (n == 0) break;
            }
        } else {
            if (static_cast<std::size_t>(end - p) < n * Bpp) return DecodeStatus::Truncated;
            if (n < room) {
                std::uint8_t* d = row + column * 3;
                if (Bpp != 2 && n <= 16 && (room * 3 + pad) >= 50 &&
                    static_cast<std::size_t>(end - p) >= 16 * Bpp) {
                    ShortCopy<Bpp>(p, d);
                } else {
                    ConvertPixels<Bpp>(p, d, n);
                }
                p += n * Bpp;
                column += n;
                continue;
            }
            for (;;) {
                const std::size_t k = std::min(n, width - column);
                ConvertPixels<Bpp>(p, row + column * 3, k);
                p += k * Bpp;
                column += k;
                n -= k;
                if (!nextRowIfFull()) return n == 0 ? DecodeStatus::Ok : DecodeStatus::Invalid;
                if (n == 0) break;
            }
        }
    }
}

template <int Bpp>
DecodeResult DecodePixels(bool runLength, const std::uint8_t* p, const std::uint8_t* end, const Rows& rows,
                  std::size_t width, std::size_t pad) {
    return runLength ? DecodeRunLength<Bpp>(p, end, rows, width, pad)
                     : DecodeUncompressed<Bpp>(p, rows, width, pad);
}

}  // namespace

bool IsTga(std::span<const std::uint8_t> head) {
    if (head.size() < kTgaHeaderSize) return false;
    return head[2] == kTypeUncompressed || head[2] == kTypeRunLength;
}

namespace {

// What the header says and where the pixels are, checked against the file: nothing is sized before
// the picture is bounded by what the data can encode.
struct Layout {
    Header h{};
    int bpp = 0;            // stored bytes per pixel
    std::size_t width = 0, height = 0;
    std::size_t rowLength = 0;  // of the record, padding included
    std::uint64_t total = 0;    // bytes of the record
    const std::uint8_t* data = nullptr;
    const std::uint8_t* end = nullptr;
    bool runLength = false;
};

DecodeResult ReadLayout(std::span<const std::uint8_t> file, Layout& l) {
    if (!IsTga(file)) return DecodeStatus::NotThisFormat;
    const Header h = ReadHeader(file);
    l.h = h;
    // Sizes are signed 16-bit: 0 or a negative value cannot size the picture.
    if (h.width <= 0 || h.height <= 0) return DecodeStatus::Invalid;
    l.bpp = BytesPerPixel(h.depth);
    if (l.bpp == 0) return DecodeStatus::Unsupported;

    l.width = static_cast<std::size_t>(h.width);
    l.height = static_cast<std::size_t>(h.height);
    // A 16-bit width times three always fits: the row length is there.
    l.rowLength = static_cast<std::size_t>(*GetScanlineLength(h.width, 24));
    // Every position in the record must stay addressable with a signed 32-bit index.
    l.total = static_cast<std::uint64_t>(l.rowLength) * l.height;
    if (l.total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) return DecodeStatus::TooLarge;

    // The image ID, then the colour map (never used). A map entry takes whole bytes: 15-bit
    // entries are stored in two bytes, as 16-bit ones are.
    std::uint64_t offset = kTgaHeaderSize + h.idLength;
    if (h.colourMapType != 0)
        offset += static_cast<std::uint64_t>(h.mapLength) * ((h.mapEntryBits + 7u) / 8u);
    if (offset > file.size()) return DecodeStatus::Truncated;
    l.data = file.data() + offset;
    l.end = file.data() + file.size();
    const auto available = static_cast<std::uint64_t>(l.end - l.data);

    // The picture is bounded by what the data can encode: uncompressed pixels must all be there
    // (exact), and a run-length stream needs at least one packet of header and pixel per 128
    // pixels. So a tiny file cannot claim a huge picture.
    l.runLength = h.imageType == kTypeRunLength;
    const std::uint64_t pixels = static_cast<std::uint64_t>(l.width) * l.height;
    if (!l.runLength && available < pixels * l.bpp) return DecodeStatus::Truncated;
    if (l.runLength && available < (pixels + 127) / 128 * (1 + l.bpp)) return DecodeStatus::TooLarge;
    return DecodeStatus::Ok;
}

}  // namespace

std::optional<TgaRows> RawTgaRows(std::span<const std::uint8_t> file) {
    Layout l;
    if (!ReadLayout(file, l) || l.runLength || l.bpp != 3 || l.rowLength != l.width * 3) return std::nullopt;
    TgaRows rows;
    rows.bits = std::span<const std::uint8_t>(l.data, static_cast<std::size_t>(l.total));
    rows.width = l.h.width;
    rows.height = l.h.height;
    rows.bottomUp = (l.h.descriptor & kTopDownBit) == 0;
    return rows;
}

DecodeResult DecodeTga(std::span<const std::uint8_t> file, DIBImage& out) {
    Layout l;
    if (const DecodeResult layout = ReadLayout(file, l); !layout) return layout;
    const Header& h = l.h;
    const std::size_t width = l.width, height = l.height, rowLength = l.rowLength;
    const std::size_t pad = rowLength - width * 3;
    const std::uint64_t total = l.total;
    const std::uint8_t* data = l.data;
    const std::uint8_t* end = l.end;
    const bool runLength = l.runLength;
    const int bpp = l.bpp;

    out.Width = h.width;
    out.Height = h.height;
    out.BPP = 24;
    out.Palette.fill(0);
    try {
        // Every pixel and padding byte of every row is written below, so a reused record needs
        // no clearing.
        out.Bits.resize(static_cast<std::size_t>(total));
    } catch (const std::bad_alloc&) {
        return DecodeStatus::TooLarge;
    }
    const Rows rows{out.Bits.data(), rowLength, height, (h.descriptor & kTopDownBit) == 0};
    switch (bpp) {
        case 2:
            return DecodePixels<2>(runLength, data, end, rows, width, pad);
        case 3:
            return DecodePixels<3>(runLength, data, end, rows, width, pad);
        default:
            return DecodePixels<4>(runLength, data, end, rows, width, pad);
    }
}

}  // namespace kelmor::core
