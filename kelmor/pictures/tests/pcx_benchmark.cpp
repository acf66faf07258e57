// Speed of the PCX decoder on 2048 x 2048 photo-like pictures, one plane with its palette and three
// planes, against a floor: a plain byte-wise run-length expansion of the same encoded data (no
// interleaving, no checks). Both sides decode from memory into buffers reused across rounds, so
// neither pays page faults for fresh memory. Speed is output megabytes (width x height x 3) per
// second of the thread's own processor time (the machine is shared: time spent waiting for a core
// is not the decoder's), best of interleaved rounds. Both sides must give what was encoded; under
// tools/bench.sh the program fails when a ratio misses its target (tests/BenchReport.h).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <span>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "PcxWriter.h"
#include "pictures/core/PcxDecoder.h"

namespace {

using namespace kelmor::test::pcx;

constexpr int kSide = 2048;

// The floor: every byte looked at on its own, runs written byte by byte.
std::size_t ExpandBytewise(std::span<const std::uint8_t> body, std::uint8_t* out) {
    std::size_t o = 0;
    for (std::size_t i = 0; i < body.size();) {
        const std::uint8_t b = body[i++];
        if ((b & 0xC0) == 0xC0) {
            if (i >= body.size()) break;
            const std::uint8_t v = body[i++];
            for (unsigned n = b & 0x3F; n > 0; --n) out[o++] = v;
        } else {
            out[o++] = b;
        }
    }
    return o;
}

struct Case {
    const char* name;
    int planes;
    double target;
};

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

template <typename F>
double Seconds(F&& f) {
    const double start = ThreadSeconds();
    f();
    return ThreadSeconds() - start;
}

kelmor::bench::Measured Measure(const Bytes& file, int planes) {
    const std::span<const std::uint8_t> body =
        std::span(file).subspan(128, file.size() - 128 - (planes == 1 ? 769 : 0));
    kelmor::core::DIBImage image;
    std::vector<std::uint8_t> expanded(static_cast<std::size_t>(kSide) * kSide * 3 + 64);
    volatile std::size_t sink = 0;
    // Warm both buffers once: their pages are in place before any timing.
    if (!kelmor::core::DecodePcx(file, image)) {
        std::fprintf(stderr, "the decoder refused the benchmark file\n");
        std::exit(1);
    }
    sink = ExpandBytewise(body, expanded.data());
    double best[2] = {1e9, 1e9};
    for (int round = 0; round < kelmor::bench::Rounds(20); ++round) {
        for (int pass = 0; pass < 2; ++pass) {
            // Alternate which side goes first, so neither always runs on a warmer cache.
            if ((round + pass) % 2 == 0) {
                best[0] = std::min(best[0], Seconds([&] { sink = kelmor::core::DecodePcx(file, image); }));
            } else {
                best[1] = std::min(best[1], Seconds([&] { sink = ExpandBytewise(body, expanded.data()); }));
            }
        }
    }
    (void)sink;
    const double megabytes = static_cast<double>(kSide) * kSide * 3 / 1e6;
    return {megabytes / best[0], megabytes / best[1]};
}

// Both sides give what was encoded: the decoder the picture, the floor its scan lines.
bool BothDecode(const Picture& picture, const Bytes& file) {
    kelmor::core::DIBImage image;
    const Bytes lines = ScanLines(picture, Options{});
    std::vector<std::uint8_t> expanded(lines.size() + 64);
    const std::span<const std::uint8_t> body =
        std::span(file).subspan(128, file.size() - 128 - (picture.planes == 1 ? 769 : 0));
    return kelmor::core::DecodePcx(file, image) && image.Bits == Expected(picture).Bits &&
           ExpandBytewise(body, expanded.data()) == lines.size() &&
           std::equal(lines.begin(), lines.end(), expanded.begin());
}

}  // namespace

int main() {
    const Case cases[] = {{"PCX 8-bit, 256 colours", 1, 1.0}, {"PCX 24-bit, three planes", 3, 1.0}};
    bool ok = true;
    for (const Case& c : cases) {
        const Picture picture = Make(kSide, kSide, c.planes, Content::Photo, 7);
        const Bytes file = Write(picture);
        if (!BothDecode(picture, file)) {
            std::printf("%s: a side did not give what was encoded\n", c.name);
            ok = false;
            continue;
        }
        ok = kelmor::bench::Guard(std::string(c.name) + " (2048x2048) vs byte-wise floor", "MB/s", c.target,
                                  kelmor::bench::Better::Higher, [&] { return Measure(file, c.planes); }) &&
             ok;
    }
    return ok ? 0 : 1;
}
