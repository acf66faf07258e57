// Small PNG writer for the tests: every colour type and bit depth, optional Adam7 interlacing and
// transparency, the image data in stored (uncompressed) deflate blocks; plus the colours a
// correct reader delivers for each pixel. Portable and header-only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelmor::test::png {

using Bytes = std::vector<std::uint8_t>;

enum ColourType : std::uint8_t { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

// A picture to write: `samples` holds the channels of each pixel (grey; grey, alpha; red, green,
// blue; red, green, blue, alpha; or a palette index), rows top first, each sample in 0..2^depth-1.
struct Picture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    ColourType type = kRgb;
    int depth = 8;
    bool interlaced = false;
    std::vector<std::uint16_t> samples;
    std::vector<std::array<std::uint8_t, 3>> palette;  // red, green, blue; kPalette only
    Bytes transparency;                                // tRNS: palette alpha values; kPalette only
};

inline int Channels(ColourType type) {
    switch (type) {
        case kGrey: case kPalette: return 1;
        case kGreyAlpha: return 2;
        case kRgb: return 3;
        case kRgba: return 4;
    }
    return 1;
}

inline std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void PutBig32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline void Chunk(Bytes& out, const char (&type)[5], const Bytes& data) {
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, Crc32(&out[start], out.size() - start));
}

// A zlib stream of stored blocks.
inline Bytes Zlib(const Bytes& raw) {
    Bytes out{0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
        out.push_back(at + n == raw.size() ? 1 : 0);
        out.push_back(static_cast<std::uint8_t>(n));
        out.push_back(static_cast<std::uint8_t>(n >> 8));
        out.push_back(static_cast<std::uint8_t>(~n));
        out.push_back(static_cast<std::uint8_t>(~n >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                   raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (const std::uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(out, (b << 16) | a);
    return out;
}

// The filtered (filter type 0) scan lines of the pixels at x0, x0+dx, ... of rows y0, y0+dy, ...
inline void AppendRows(const Picture& p, std::uint32_t x0, std::uint32_t y0, std::uint32_t dx, std::uint32_t dy,
                       Bytes& raw) {
    const int channels = Channels(p.type);
    for (std::uint32_t y = y0; y < p.height; y += dy) {
        raw.push_back(0);
        unsigned bitsUsed = 0;
        for (std::uint32_t x = x0; x < p.width; x += dx) {
            for (int c = 0; c < channels; ++c) {
                const std::uint16_t s = p.samples[(static_cast<std::size_t>(y) * p.width + x) * channels + c];
                if (p.depth == 16) {
                    raw.push_back(static_cast<std::uint8_t>(s >> 8));
                    raw.push_back(static_cast<std::uint8_t>(s));
                } else if (p.depth == 8) {
                    raw.push_back(static_cast<std::uint8_t>(s));
                } else {
                    if (bitsUsed % 8 == 0) raw.push_back(0);
                    raw.back() |= static_cast<std::uint8_t>(s << (8 - p.depth - bitsUsed % 8));
                    bitsUsed += static_cast<unsigned>(p.depth);
                }
            }
        }
    }
}

inline Bytes Encode(const Picture& p) {
    Bytes raw;
    if (!p.interlaced) {
        AppendRows(p, 0, 0, 1, 1, raw);
    } else {
        static constexpr std::uint32_t kPasses[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                                        {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
        // A pass with no pixel has no scan lines at all.
        for (const auto& pass : kPasses)
            if (pass[0] < p.width && pass[1] < p.height) AppendRows(p, pass[0], pass[1], pass[2], pass[3], raw);
    }
    Bytes out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes header;
    PutBig32(header, p.width);
    PutBig32(header, p.height);
    header.insert(header.end(), {static_cast<std::uint8_t>(p.depth), p.type, 0, 0,
                                 static_cast<std::uint8_t>(p.interlaced ? 1 : 0)});
    Chunk(out, "IHDR", header);
    if (p.type == kPalette) {
        Bytes plte;
        for (const auto& rgb : p.palette) plte.insert(plte.end(), rgb.begin(), rgb.end());
        Chunk(out, "PLTE", plte);
        if (!p.transparency.empty()) Chunk(out, "tRNS", p.transparency);
    }
    Chunk(out, "IDAT", Zlib(raw));
    Chunk(out, "IEND", {});
    return out;
}

// A sample of `depth` bits as 8 bits: the high byte of 16 bits, small depths scaled to 0..255.
inline int To8(std::uint16_t sample, int depth) {
    if (depth == 16) return sample >> 8;
    return sample * 255 / ((1 << depth) - 1);
}

// Pixel (x, y) as a correct reader delivers it in 24 bits: blue, green, red over white.
inline std::array<int, 3> Expected(const Picture& p, std::uint32_t x, std::uint32_t y) {
    const int channels = Channels(p.type);
    const std::uint16_t* s = &p.samples[(static_cast<std::size_t>(y) * p.width + x) * channels];
    int r = 0, g = 0, b = 0, a = 255;
    switch (p.type) {
        case kGrey: r = g = b = To8(s[0], p.depth); break;
        case kGreyAlpha: r = g = b = To8(s[0], p.depth); a = To8(s[1], p.depth); break;
        case kRgb: r = To8(s[0], p.depth); g = To8(s[1], p.depth); b = To8(s[2], p.depth); break;
        case kRgba:
            r = To8(s[0], p.depth); g = To8(s[1], p.depth); b = To8(s[2], p.depth); a = To8(s[3], p.depth);
            break;
        case kPalette: {
            const auto& rgb = p.palette[s[0]];
            r = rgb[0]; g = rgb[1]; b = rgb[2];
            if (s[0] < p.transparency.size()) a = p.transparency[s[0]];
            break;
        }
    }
    const auto over = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
    return {over(b), over(g), over(r)};
}

// A picture of the given layout whose samples run through many values (the same seed gives the
// same picture); palette pictures get a palette of 2^depth distinct colours.
inline Picture Sample(ColourType type, int depth, std::uint32_t width, std::uint32_t height, bool interlaced,
                      std::uint32_t seed = 1) {
    Picture p{width, height, type, depth, interlaced, {}, {}, {}};
    const std::uint32_t top = (1u << depth) - 1;
    std::uint32_t state = seed * 2654435761u + 12345u;
    const std::size_t count = static_cast<std::size_t>(width) * height * Channels(type);
    for (std::size_t i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        p.samples.push_back(static_cast<std::uint16_t>((state >> 8) % (top + 1)));
    }
    if (type == kPalette) {
        for (std::uint32_t i = 0; i <= top; ++i)
            p.palette.push_back({static_cast<std::uint8_t>(i * 37 + 11), static_cast<std::uint8_t>(i * 91 + 3),
                                 static_cast<std::uint8_t>(255 - i * 13)});
    }
    return p;
}

}  // namespace kelmor::test::png
