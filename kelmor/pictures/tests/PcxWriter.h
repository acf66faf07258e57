// Small PCX writer for the tests, the fuzz seeds and the benchmark: one-plane 256-colour files and
// three-plane 24-bit files with their run-length coding, plus the pixel record a correct decoder
// makes of them. Portable and header-only.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "pictures/core/DIBImage.h"

namespace kelmor::test::pcx {

using Bytes = std::vector<std::uint8_t>;

// A picture to write: `pixels` holds one palette index per pixel (planes 1) or red, green, blue
// per pixel (planes 3), rows top first without padding.
struct Picture {
    int width = 0;
    int height = 0;
    int planes = 1;
    Bytes pixels;
    std::array<std::uint32_t, 256> palette{};  // 0xRRGGBB, planes 1 only
};

struct Options {
    int xMin = 0, yMin = 0;           // the window's origin; the size stays the picture's
    int bytesPerLine = 0;             // per plane; 0: the width rounded up to even
    std::uint8_t padding = 0;         // value of the scan-line bytes beyond the width
    int longestRun = 63;              // runs are split at this count
    bool runsAcrossLines = false;     // one stream for the whole picture, runs not cut at line ends
    std::uint8_t paletteMarker = 12;  // planes 1
    bool palette = true;              // planes 1: append the 256-colour palette
};

inline void PutWord(Bytes& b, std::size_t offset, int value) {
    b[offset] = static_cast<std::uint8_t>(value);
    b[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

// The 128-byte header. `bitsPerPlane` is 8 for every layout this writer makes.
inline Bytes Header(int width, int height, int planes, int bytesPerLine, int xMin = 0, int yMin = 0) {
    Bytes h(128, 0);
    h[0] = 10;
    h[1] = 5;
    h[2] = 1;
    h[3] = 8;
    PutWord(h, 4, xMin);
    PutWord(h, 6, yMin);
    PutWord(h, 8, xMin + width - 1);
    PutWord(h, 10, yMin + height - 1);
    PutWord(h, 12, 72);
    PutWord(h, 14, 72);
    h[65] = static_cast<std::uint8_t>(planes);
    PutWord(h, 66, bytesPerLine);
    PutWord(h, 68, 1);
    return h;
}

// Run-length codes `data` onto `out`: equal bytes as runs of at most `longestRun`, single bytes
// as literals unless their two top bits are set (those need a run of one).
inline void Encode(std::span<const std::uint8_t> data, Bytes& out, int longestRun = 63) {
    for (std::size_t i = 0; i < data.size();) {
        std::size_t n = 1;
        while (i + n < data.size() && data[i + n] == data[i] && n < static_cast<std::size_t>(longestRun)) ++n;
        if (n > 1 || data[i] >= 0xC0) {
            out.push_back(static_cast<std::uint8_t>(0xC0 | n));
            out.push_back(data[i]);
        } else {
            out.push_back(data[i]);
        }
        i += n;
    }
}

inline int BytesPerLine(const Picture& p, const Options& o) {
    return o.bytesPerLine ? o.bytesPerLine : (p.width + 1) & ~1;
}

// The decoded scan lines, planes after each other within a line, padded with `o.padding`.
inline Bytes ScanLines(const Picture& p, const Options& o) {
    const auto w = static_cast<std::size_t>(p.width), plane = static_cast<std::size_t>(BytesPerLine(p, o));
    const auto planes = static_cast<std::size_t>(p.planes);
    Bytes lines(plane * planes * static_cast<std::size_t>(p.height), o.padding);
    for (std::size_t y = 0; y < static_cast<std::size_t>(p.height); ++y)
        for (std::size_t c = 0; c < planes; ++c)
            for (std::size_t x = 0; x < std::min(w, plane); ++x)
                lines[(y * planes + c) * plane + x] = p.pixels[(y * w + x) * planes + c];
    return lines;
}

inline Bytes Write(const Picture& p, const Options& o = {}) {
    const int plane = BytesPerLine(p, o);
    Bytes file = Header(p.width, p.height, p.planes, plane, o.xMin, o.yMin);
    const Bytes lines = ScanLines(p, o);
    const std::size_t line = static_cast<std::size_t>(plane) * static_cast<std::size_t>(p.planes);
    if (o.runsAcrossLines) {
        Encode(lines, file, o.longestRun);
    } else {
        for (std::size_t at = 0; at < lines.size(); at += line)
            Encode(std::span(lines).subspan(at, line), file, o.longestRun);
    }
    if (p.planes == 1 && o.palette) {
        file.push_back(o.paletteMarker);
        for (std::uint32_t rgb : p.palette) {
            file.push_back(static_cast<std::uint8_t>(rgb >> 16));
            file.push_back(static_cast<std::uint8_t>(rgb >> 8));
            file.push_back(static_cast<std::uint8_t>(rgb));
        }
    }
    return file;
}

// The record the picture decodes to: indices with the palette, or blue, green, red; rows padded
// with zeros to 4 bytes.
inline core::DIBImage Expected(const Picture& p) {
    core::DIBImage r;
    r.Width = p.width;
    r.Height = p.height;
    r.BPP = p.planes == 1 ? 8 : 24;
    if (p.planes == 1)
        for (std::size_t i = 0; i < 256; ++i) r.Palette[i] = static_cast<std::int32_t>(p.palette[i]);
    const auto stride = static_cast<std::size_t>(*core::GetScanlineLength(r.Width, r.BPP));
    const auto w = static_cast<std::size_t>(p.width);
    r.Bits.assign(stride * static_cast<std::size_t>(p.height), 0);
    for (std::size_t y = 0; y < static_cast<std::size_t>(p.height); ++y)
        for (std::size_t x = 0; x < w; ++x) {
            if (p.planes == 1) {
                r.Bits[y * stride + x] = p.pixels[y * w + x];
            } else {
                for (std::size_t c = 0; c < 3; ++c)
                    r.Bits[y * stride + 3 * x + c] = p.pixels[(y * w + x) * 3 + 2 - c];
            }
        }
    return r;
}

// Content: a smooth photo-like field with grain (runs are rare, bytes of 0xC0 and above common),
// uniformly random bytes, or flat bands (long runs).
enum class Content { Photo, Random, Bands };

inline Picture Make(int width, int height, int planes, Content content, std::uint32_t seed = 1) {
    Picture p;
    p.width = width;
    p.height = height;
    p.planes = planes;
    p.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                    static_cast<std::size_t>(planes));
    std::uint32_t state = seed * 2654435761u + 1;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    std::size_t i = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < planes; ++c) {
                int v = 0;
                switch (content) {
                    case Content::Photo:
                        v = (x * (3 + c) + y * (5 - c)) / 4 + ((x / 7 + y / 5) % 3) * 40 +
                            static_cast<int>(next() % 9);
                        break;
                    case Content::Random:
                        v = static_cast<int>(next() >> 24);
                        break;
                    case Content::Bands:
                        v = ((x / 100 + y / 3) * 71 + c * 90) & 0xFF;
                        break;
                }
                p.pixels[i++] = static_cast<std::uint8_t>(v);
            }
    for (std::uint32_t k = 0; k < 256; ++k) p.palette[k] = (k * 0x010305u + seed * 0x20406u) & 0xFFFFFF;
    return p;
}

}  // namespace kelmor::test::pcx
