// Writes Photoshop documents for the tests, the differential test, the benchmark and the fuzz seeds:
// every header variant the decoder must accept or refuse, raw or PackBits data (by rows as editors
// write it, or each channel as one stream whose packets cross row ends), and the record the decoder
// is expected to produce. Portable, header-only.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelmor::test::psd {

using Bytes = std::vector<std::uint8_t>;

enum class Packing { Raw, PackBitsRows, PackBitsStream };

struct Options {
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    std::uint16_t channels = 3;
    Packing packing = Packing::Raw;
    std::uint16_t version = 1;
    std::uint16_t depth = 8;
    std::uint16_t mode = 3;  // RGB
    int compression = -1;    // the code written; -1: the one of `packing`
    std::uint32_t colourModeLength = 0;
    std::uint32_t resourcesLength = 0;
    std::uint32_t layersLength = 0;
};

inline void PutBE(Bytes& b, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// PackBits as editors write it: runs of 3 or more equal bytes (at most 128) as run packets, the rest
// as literal packets of at most 128 bytes.
inline void PackBits(const std::uint8_t* p, std::size_t n, Bytes& out) {
    std::size_t i = 0;
    while (i < n) {
        std::size_t run = 1;
        while (i + run < n && run < 128 && p[i + run] == p[i]) ++run;
        if (run >= 3) {
            out.push_back(static_cast<std::uint8_t>(257 - run));
            out.push_back(p[i]);
            i += run;
            continue;
        }
        std::size_t start = i, len = 0;
        while (i < n && len < 128) {
            if (i + 2 < n && p[i] == p[i + 1] && p[i] == p[i + 2]) break;
            ++i;
            ++len;
        }
        out.push_back(static_cast<std::uint8_t>(len - 1));
        out.insert(out.end(), p + start, p + start + len);
    }
}

// The header and the three skipped sections (filled with bytes that look like data), the
// compression code, then the data.
inline Bytes Header(const Options& o) {
    Bytes b{'8', 'B', 'P', 'S'};
    PutBE(b, o.version, 2);
    b.insert(b.end(), 6, 0);
    PutBE(b, o.channels, 2);
    PutBE(b, o.height, 4);
    PutBE(b, o.width, 4);
    PutBE(b, o.depth, 2);
    PutBE(b, o.mode, 2);
    for (std::uint32_t length : {o.colourModeLength, o.resourcesLength, o.layersLength}) {
        PutBE(b, length, 4);
        for (std::uint32_t i = 0; i < length; ++i) b.push_back(static_cast<std::uint8_t>(i * 7 + 1));
    }
    const int compression = o.compression >= 0 ? o.compression : o.packing == Packing::Raw ? 0 : 1;
    PutBE(b, static_cast<std::uint32_t>(compression), 2);
    return b;
}

// A whole file from channel-major planes (channels x height x width bytes of 8-bit samples; for
// other depths whatever bytes the caller gives are written raw).
inline Bytes Encode(const Options& o, const Bytes& planes) {
    Bytes b = Header(o);
    if (o.packing == Packing::Raw) {
        b.insert(b.end(), planes.begin(), planes.end());
        return b;
    }
    const std::size_t w = o.width, h = o.height, n = w * h;
    // The row-count table: two bytes per row and channel, filled in as the rows are packed.
    const std::size_t table = b.size();
    b.insert(b.end(), 2 * o.channels * h, 0);
    for (std::size_t c = 0; c < o.channels; ++c) {
        const std::uint8_t* plane = planes.data() + c * n;
        if (o.packing == Packing::PackBitsStream) {
            PackBits(plane, n, b);
            continue;
        }
        for (std::size_t y = 0; y < h; ++y) {
            const std::size_t before = b.size();
            PackBits(plane + y * w, w, b);
            const std::size_t count = b.size() - before, at = table + 2 * (c * h + y);
            b[at] = static_cast<std::uint8_t>(count >> 8);
            b[at + 1] = static_cast<std::uint8_t>(count);
        }
    }
    return b;
}

// Photo-like planes: smooth gradients with a little noise and flat patches, so that PackBits finds
// both runs and literals.
inline Bytes PhotoPlanes(std::uint32_t w, std::uint32_t h, std::uint32_t channels, std::uint32_t seed) {
    Bytes p(static_cast<std::size_t>(w) * h * channels);
    std::uint32_t state = seed * 2654435761u + 1;
    std::size_t i = 0;
    for (std::uint32_t c = 0; c < channels; ++c) {
        for (std::uint32_t y = 0; y < h; ++y) {
            for (std::uint32_t x = 0; x < w; ++x) {
                state = state * 1664525u + 1013904223u;
                const bool flat = ((x / 16 + y / 16 + c) % 5) == 0;
                const std::uint32_t base = (x * (c + 1) * 3 + y * (5 - c % 3) + c * 60) / 4;
                p[i++] =
                    static_cast<std::uint8_t>(flat ? (c * 70 + y / 16 * 13) : base + ((state >> 28) & 3));
            }
        }
    }
    return p;
}

inline Bytes RandomPlanes(std::uint32_t w, std::uint32_t h, std::uint32_t channels, std::uint32_t seed) {
    Bytes p(static_cast<std::size_t>(w) * h * channels);
    std::uint32_t state = seed * 747796405u + 2891336453u;
    for (std::uint8_t& byte : p) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return p;
}

// The record the decoder should produce: blue, green, red rows padded to 4 bytes. Channels fill the
// slots red, green, blue while a slot's byte (2, 1, 0) is below the channel count; the rest are 0.
inline Bytes ExpectedBits(std::uint32_t w, std::uint32_t h, std::uint32_t channels, const Bytes& planes) {
    const std::size_t n = static_cast<std::size_t>(w) * h, row = (w * 3 + 3) / 4 * 4;
    Bytes bits(row * h, 0);
    std::size_t next = 0;
    for (std::size_t slot : {2u, 1u, 0u}) {
        if (slot >= channels) continue;
        const std::uint8_t* plane = planes.data() + next++ * n;
        for (std::size_t y = 0; y < h; ++y)
            for (std::size_t x = 0; x < w; ++x) bits[y * row + x * 3 + slot] = plane[y * w + x];
    }
    return bits;
}

}  // namespace kelmor::test::psd
