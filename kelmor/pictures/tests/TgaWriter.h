// Writes Targa files for the tests, the benchmark and the fuzz seeds: every depth, both
// orientations, uncompressed or run-length, with an image ID and a colour map before the pixels.
// Also computes the 24-bit record a correct decoder must produce. Portable, header-only.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelmor::test {

struct TgaOptions {
    int depth = 24;              // 15, 16, 24 or 32 (other values are written as given)
    bool runLength = false;      // image type 10 instead of 2
    bool topDown = false;        // descriptor bit 5: the first row in the file is the top row
    bool packetsPerRow = false;  // end run-length packets at row ends instead of letting them span rows
    int imageType = 0;           // written instead of 2 or 10 when non-zero
    std::uint8_t idLength = 0;   // bytes of image ID written after the header
    std::uint8_t colourMapType = 0;
    std::uint16_t mapLength = 0;       // colour-map entries written (when colourMapType is non-zero)
    std::uint8_t mapEntryBits = 24;    // each takes (bits + 7) / 8 bytes
    std::uint8_t descriptorExtra = 0;  // other descriptor bits (alpha bits, right-to-left)
    int width16 = -1, height16 = -1;   // header sizes written instead of the image's (raw 16-bit values)
};

// A picture as stored: one value per pixel, top row first. For 15 and 16 bits the low 16 bits
// are the stored word; for 24 bits 0xRRGGBB; for 32 bits 0xAARRGGBB.
struct TgaPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

inline int TgaBytesPerPixel(int depth) {
    return depth == 32 ? 4 : depth == 24 ? 3 : 2;
}

inline void TgaPutPixel(std::vector<std::uint8_t>& out, std::uint32_t v, int bpp) {
    for (int i = 0; i < bpp; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// The pixels in file order: bottom row first unless top-down.
inline std::vector<std::uint32_t> TgaFileOrder(const TgaPicture& p, bool topDown) {
    std::vector<std::uint32_t> v;
    v.reserve(p.pixels.size());
    for (int r = 0; r < p.height; ++r) {
        const int src = topDown ? r : p.height - 1 - r;
        v.insert(v.end(), p.pixels.begin() + src * p.width, p.pixels.begin() + (src + 1) * p.width);
    }
    return v;
}

// Run packets for two or more equal pixels, raw packets otherwise, at most 128 pixels each.
inline void TgaEncodeRuns(std::vector<std::uint8_t>& out, const std::uint32_t* px, std::size_t n, int bpp) {
    std::size_t i = 0;
    while (i < n) {
        std::size_t run = 1;
        while (i + run < n && run < 128 && px[i + run] == px[i]) ++run;
        if (run >= 2) {
            out.push_back(static_cast<std::uint8_t>(0x80 | (run - 1)));
            TgaPutPixel(out, px[i], bpp);
            i += run;
            continue;
        }
        std::size_t raw = 1;
        while (i + raw < n && raw < 128 && !(i + raw + 1 < n && px[i + raw] == px[i + raw + 1])) ++raw;
        out.push_back(static_cast<std::uint8_t>(raw - 1));
        for (std::size_t k = 0; k < raw; ++k) TgaPutPixel(out, px[i + k], bpp);
        i += raw;
    }
}

inline std::vector<std::uint8_t> WriteTga(const TgaPicture& p, const TgaOptions& o = {}) {
    std::vector<std::uint8_t> out;
    auto put16 = [&out](unsigned v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    out.push_back(o.idLength);
    out.push_back(o.colourMapType);
    out.push_back(static_cast<std::uint8_t>(o.imageType ? o.imageType : o.runLength ? 10 : 2));
    put16(0);
    put16(o.colourMapType ? o.mapLength : 0);
    out.push_back(o.colourMapType ? o.mapEntryBits : 0);
    put16(0);
    put16(0);
    put16(o.width16 >= 0 ? static_cast<unsigned>(o.width16) : static_cast<unsigned>(p.width));
    put16(o.height16 >= 0 ? static_cast<unsigned>(o.height16) : static_cast<unsigned>(p.height));
    out.push_back(static_cast<std::uint8_t>(o.depth));
    out.push_back(static_cast<std::uint8_t>((o.topDown ? 0x20 : 0) | o.descriptorExtra));
    for (int i = 0; i < o.idLength; ++i) out.push_back(static_cast<std::uint8_t>('A' + i % 26));
    if (o.colourMapType) {
        const std::size_t mapBytes = static_cast<std::size_t>(o.mapLength) * ((o.mapEntryBits + 7) / 8);
        // Bytes that would show up as a wrong picture if they were taken for pixels.
        for (std::size_t i = 0; i < mapBytes; ++i) out.push_back(static_cast<std::uint8_t>(0xC3 ^ i));
    }
    const int bpp = TgaBytesPerPixel(o.depth);
    const std::vector<std::uint32_t> px = TgaFileOrder(p, o.topDown);
    if (!o.runLength) {
        out.reserve(out.size() + px.size() * bpp);
        for (std::uint32_t v : px) TgaPutPixel(out, v, bpp);
    } else if (o.packetsPerRow) {
        for (int r = 0; r < p.height; ++r) TgaEncodeRuns(out, px.data() + r * p.width, p.width, bpp);
    } else {
        TgaEncodeRuns(out, px.data(), px.size(), bpp);
    }
    return out;
}

// The record a decoder must produce: blue, green, red per pixel, top row first, rows padded with
// zeros to a multiple of 4. 16-bit channels keep their low three bits zero; alpha is dropped.
inline std::vector<std::uint8_t> TgaExpectedBits(const TgaPicture& p, int depth) {
    const std::size_t rowLength = (static_cast<std::size_t>(p.width) * 3 + 3) & ~std::size_t{3};
    std::vector<std::uint8_t> bits(rowLength * p.height, 0);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const std::uint32_t v = p.pixels[static_cast<std::size_t>(y) * p.width + x];
            std::uint8_t* d = &bits[y * rowLength + x * 3];
            if (depth == 15 || depth == 16) {
                d[0] = static_cast<std::uint8_t>((v & 0x1F) << 3);
                d[1] = static_cast<std::uint8_t>(((v >> 5) & 0x1F) << 3);
                d[2] = static_cast<std::uint8_t>(((v >> 10) & 0x1F) << 3);
            } else {
                d[0] = static_cast<std::uint8_t>(v);
                d[1] = static_cast<std::uint8_t>(v >> 8);
                d[2] = static_cast<std::uint8_t>(v >> 16);
            }
        }
    }
    return bits;
}

// A small deterministic generator, so the pictures are the same on every run.
struct TgaRandom {
    std::uint32_t state;
    std::uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

// Photo-like content: smooth gradients with a little noise, quantised so that short runs of
// equal pixels occur as they do in real pictures. For 16 bits the values are 15-bit words with
// the top bit set on some pixels; for 32 bits the alpha is opaque.
inline TgaPicture TgaPhotoLike(int width, int height, int depth, std::uint32_t seed = 1) {
    TgaPicture p{width, height, {}};
    p.pixels.resize(static_cast<std::size_t>(width) * height);
    TgaRandom rnd{seed * 2654435761u + 1};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t noise = rnd.Next();
            // Noise on only some pixels keeps runs of equal neighbours.
            const int n = (noise & 7) == 0 ? static_cast<int>((noise >> 8) % 9) - 4 : 0;
            const int cx = x * 256 / std::max(width, 1), cy = y * 256 / std::max(height, 1);
            const int r = std::clamp(((cx + cy / 2) & ~7) + n, 0, 255);
            const int g = std::clamp(((cy + (cx ^ cy) / 8) & ~7) + n, 0, 255);
            const int b = std::clamp(((255 - cx / 2 - cy / 3) & ~7) + n, 0, 255);
            std::uint32_t v;
            if (depth == 15 || depth == 16) {
                v = (static_cast<std::uint32_t>(r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
                if (depth == 16 && (noise & 0x10000)) v |= 0x8000;
            } else {
                v = (static_cast<std::uint32_t>(r) << 16) | (g << 8) | b;
                if (depth == 32) v |= 0xFF000000u;  // opaque, as photographs are
            }
            p.pixels[static_cast<std::size_t>(y) * width + x] = v;
        }
    }
    return p;
}

// Random content: every pixel independent, with some forced repeats so run packets occur.
inline TgaPicture TgaRandomContent(int width, int height, int depth, std::uint32_t seed = 1) {
    TgaPicture p{width, height, {}};
    p.pixels.resize(static_cast<std::size_t>(width) * height);
    TgaRandom rnd{seed * 747796405u + 7};
    const std::uint32_t mask = depth == 32 ? 0xFFFFFFFFu : depth == 24 ? 0xFFFFFFu : 0xFFFFu;
    for (std::size_t i = 0; i < p.pixels.size(); ++i) {
        const std::uint32_t r = rnd.Next();
        p.pixels[i] = (i > 0 && (r & 3) == 0) ? p.pixels[i - 1] : (rnd.Next() & mask);
    }
    return p;
}

}  // namespace kelmor::test
