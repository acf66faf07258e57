// Decoding speed of 2048 x 2048 Photoshop documents from memory against stb_image, raw and PackBits,
// with 3 and 4 channels of photo-like content. Both decoders must give the same pixels. Speed is
// output megabytes (width x height x 3) per second, best of several rounds; under tools/bench.sh the
// program fails when a ratio to the reference misses its target (tests/BenchReport.h).
//
// Allocation: the heap keeps freed blocks (the equivalent of
// GLIBC_TUNABLES=glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=4294967295, set
// with mallopt at start), so neither side pays page faults for fresh buffers; both allocate their
// output on every decode (a fresh record for ours, stbi_load_from_memory's own buffers for the
// reference).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "PsdWriter.h"
#include "RgbDifferences.h"
#include "pictures/core/PsdDecoder.h"
#include "stb_image.h"

namespace {

using namespace kelmor::test::psd;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kSide = 2048;

struct Case {
    const char* name;
    std::uint16_t channels;
    Packing packing;
    double target;  // our speed / the reference's, at least
    Bytes file;
};

Bytes MakeFile(std::uint16_t channels, Packing packing) {
    Bytes planes = PhotoPlanes(kSide, kSide, channels, channels);
    const std::size_t n = std::size_t{kSide} * kSide;
    if (channels > 3) std::fill(planes.begin() + 3 * n, planes.end(), 255);  // opaque
    Options o;
    o.width = kSide;
    o.height = kSide;
    o.channels = channels;
    o.packing = packing;
    return Encode(o, planes);
}

bool Ours(const Bytes& file) {
    kelmor::core::DIBImage image;
    const bool ok = kelmor::core::DecodePsd(file, image);
    benchmark::DoNotOptimize(image.Bits.data());
    return ok;
}

bool Reference(const Bytes& file) {
    int w = 0, h = 0, comp = 0;
    stbi_uc* rgb = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &comp, 3);
    benchmark::DoNotOptimize(rgb);
    stbi_image_free(rgb);
    return rgb != nullptr;
}

// Both decoders give the same pixels.
bool SamePixels(const Bytes& file) {
    kelmor::core::DIBImage image;
    int w = 0, h = 0, comp = 0;
    stbi_uc* rgb = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &comp, 3);
    const bool same =
        rgb != nullptr && kelmor::core::DecodePsd(file, image) && kelmor::test::RgbDifferences(image, rgb, w, h) == 0;
    stbi_image_free(rgb);
    return same;
}

template <typename F>
double BestSeconds(F&& decode, const Bytes& file, int rounds) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        decode(file);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

void BM_Psd(benchmark::State& state, Case* c, bool reference) {
    for (auto _ : state) benchmark::DoNotOptimize(reference ? Reference(c->file) : Ours(c->file));
    state.SetBytesProcessed(state.iterations() * std::int64_t{kSide} * kSide * 3);
}

}  // namespace

int main(int argc, char** argv) {
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, -1);
    std::vector<Case> cases = {
        {"PSD raw, 3 channels", 3, Packing::Raw, 1.3, {}},
        {"PSD raw, 4 channels", 4, Packing::Raw, 1.3, {}},
        {"PSD PackBits, 3 channels", 3, Packing::PackBitsRows, 1.0, {}},
        {"PSD PackBits, 4 channels", 4, Packing::PackBitsRows, 1.0, {}},
    };
    for (Case& c : cases) {
        c.file = MakeFile(c.channels, c.packing);
        if (!SamePixels(c.file)) {
            std::fprintf(stderr, "%s: the decoders disagree\n", c.name);
            return 1;
        }
    }

    if (kelmor::bench::Full()) {
        benchmark::Initialize(&argc, argv);
        for (Case& c : cases) {
            benchmark::RegisterBenchmark((std::string(c.name) + " / ours").c_str(), BM_Psd, &c, false);
            benchmark::RegisterBenchmark((std::string(c.name) + " / stb_image").c_str(), BM_Psd, &c, true);
        }
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }

    const double megabytes = double{kSide} * kSide * 3 / 1e6;
    const int rounds = kelmor::bench::Rounds(4), repeats = kelmor::bench::Rounds(3);
    bool failed = false;
    for (const Case& c : cases) {
        const bool met = kelmor::bench::Guard(
            std::string(c.name) + " (2048x2048) vs stb_image", "MB/s", c.target, kelmor::bench::Better::Higher, [&] {
                // Interleaved rounds, so that a busy moment slows both sides alike.
                double bestOurs = 1e300, bestTheirs = 1e300;
                for (int round = 0; round < rounds; ++round) {
                    bestOurs = std::min(bestOurs, BestSeconds(Ours, c.file, repeats));
                    bestTheirs = std::min(bestTheirs, BestSeconds(Reference, c.file, repeats));
                }
                return kelmor::bench::Measured{megabytes / bestOurs, megabytes / bestTheirs};
            });
        failed = failed || !met;
    }
    return failed ? 1 : 0;
}
