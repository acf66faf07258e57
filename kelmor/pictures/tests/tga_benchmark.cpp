// Decoding speed of 2048 x 2048 Targa files from memory, against stb_image on the same bytes.
// Every depth, both orientations, uncompressed and run-length, photo-like content. Both decoders
// must give the same pixels; under tools/bench.sh each case prints its row (our MB/s of 24-bit
// output, stb_image's, the ratio) and fails when the ratio is below its target (tests/BenchReport.h).
//
// Allocation: both sides reuse their output buffers across iterations, so neither pays for
// fresh pages (a page fault costs more here than decoding the page). Our record is decoded into
// again; stb_image (Debian's header, compiled here with the same options as our decoder) gets
// its buffers from a small cache that hands back the blocks it freed. The malloc of the program
// itself is not relied on: in a sanitizer build it is the sanitizer's, which never reuses at once.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "RgbDifferences.h"
#include "TgaWriter.h"
#include "pictures/core/TgaDecoder.h"

namespace {

// Freed blocks kept for the next request of at most their size.
struct BlockCache {
    struct Block {
        void* p;
        std::size_t size;
        bool used;
    };
    std::vector<Block> blocks;
    ~BlockCache() {
        for (Block& b : blocks) std::free(b.p);
    }
    void* Get(std::size_t size) {
        for (Block& b : blocks)
            if (!b.used && b.size >= size) {
                b.used = true;
                return b.p;
            }
        blocks.push_back({std::malloc(size), size, true});
        return blocks.back().p;
    }
    void Put(void* p) {
        for (Block& b : blocks)
            if (b.p == p) b.used = false;
    }
    void* Resize(void* p, std::size_t size) {
        for (Block& b : blocks)
            if (b.p == p && b.size >= size) return p;
        void* q = Get(size);
        if (p) {
            for (Block& b : blocks)
                if (b.p == p) std::memcpy(q, p, b.size);
            Put(p);
        }
        return q;
    }
} g_cache;

}  // namespace

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_MALLOC(size) g_cache.Get(size)
#define STBI_REALLOC(p, size) g_cache.Resize(p, size)
#define STBI_FREE(p) g_cache.Put(p)
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wunused-function"
#pragma clang diagnostic ignored "-Wsign-compare"
#pragma clang diagnostic ignored "-Wunused-parameter"
#endif
#include "stb_image.h"
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

namespace {

using namespace kelmor::core;
using namespace kelmor::test;
using Clock = std::chrono::steady_clock;

constexpr int kSize = 2048;

struct Case {
    int depth;
    bool runLength;
    bool topDown;
    double target;  // our speed divided by stb_image's, at least
    std::string Name() const {
        return std::string(runLength ? "rle" : "raw") + std::to_string(depth) +
               (topDown ? " top-down" : " bottom-up");
    }
};

template <typename F>
double BestSeconds(F&& decode, int rounds) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        decode();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

// What stb_image makes of a 5-bit channel that we widen to `ours` (the channel in the top bits).
std::uint8_t StbFiveBit(std::uint8_t ours) { return static_cast<std::uint8_t>(((ours >> 3) * 255) / 31); }

// Both decoders give the same pixels (16-bit channels compared as stb_image widens them).
bool SamePixels(const std::vector<std::uint8_t>& file, int depth) {
    DIBImage record;
    int w = 0, h = 0, comp = 0;
    stbi_uc* rgb = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &comp, 3);
    const bool same = rgb != nullptr && DecodeTga(file, record) &&
                      RgbDifferences(record, rgb, w, h, depth == 16 ? &StbFiveBit : nullptr) == 0;
    stbi_image_free(rgb);
    return same;
}

kelmor::bench::Measured Measure(const std::vector<std::uint8_t>& file) {
    const double mb = static_cast<double>(kSize) * kSize * 3 / 1e6;
    bool ok = true;
    DIBImage record;
    auto ours = [&] { ok = DecodeTga(file, record) && ok; };
    // stb_image's fastest way to pixels of three channels: asked for three, or (for 32-bit
    // files) left in its own four-channel layout, whichever is quicker.
    auto theirs = [&](int channels) {
        int w = 0, h = 0, comp = 0;
        stbi_uc* p =
            stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &comp, channels);
        ok = p != nullptr && ok;
        stbi_image_free(p);
    };
    const int repeats = kelmor::bench::Rounds(4);
    double a = 1e300, b = 1e300;
    // Interleaved, so a busy moment slows both sides alike.
    for (int round = 0; round < kelmor::bench::Rounds(3); ++round) {
        a = std::min(a, BestSeconds(ours, repeats));
        b = std::min(b, BestSeconds([&] { theirs(3); }, repeats));
        b = std::min(b, BestSeconds([&] { theirs(0); }, kelmor::bench::Rounds(2)));
    }
    if (!ok) {
        std::fprintf(stderr, "a decoder failed\n");
        std::exit(2);
    }
    return {mb / a, mb / b};
}

}  // namespace

int main() {
    std::vector<Case> cases;
    for (bool runLength : {false, true})
        for (int depth : {16, 24, 32})
            for (bool topDown : {false, true})
                cases.push_back({depth, runLength, topDown, depth == 16 ? 2.0 : runLength ? 5.0 : 1.0});

    int failures = 0;
    for (const Case& c : cases) {
        TgaOptions o;
        o.depth = c.depth;
        o.runLength = c.runLength;
        o.topDown = c.topDown;
        const std::vector<std::uint8_t> file = WriteTga(TgaPhotoLike(kSize, kSize, c.depth, 42), o);
        if (!SamePixels(file, c.depth)) {
            std::printf("TGA %s (2048x2048): the decoders disagree\n", c.Name().c_str());
            ++failures;
            continue;
        }
        failures += kelmor::bench::Guard("TGA " + c.Name() + " (2048x2048) vs stb_image", "MB/s", c.target,
                                         kelmor::bench::Better::Higher, [&] { return Measure(file); })
                        ? 0
                        : 1;
    }
    return failures ? 1 : 0;
}
