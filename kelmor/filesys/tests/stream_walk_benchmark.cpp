// The cost of a reading must not grow with the sizes of the streams: the walk skips each
// stream's data in one step. Walking streams of 1 TiB declared size must take the same time
// per record as walking streams of 1 KiB (every walk must also see every record); under
// tools/bench.sh the program fails when the two differ by more than 10 % (tests/BenchReport.h).
// Both are measured in the same run, interleaved, and compared by their best rounds, so a busy
// machine slows both alike.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "CraftedBackup.h"
#include "filesys/core/StreamRecord.h"

namespace {

using namespace kelmor::core;

constexpr std::uint64_t kKiB = 1024;
constexpr std::uint64_t kTiB = 1024ull * 1024 * 1024 * 1024;
constexpr int kStreams = 200;

// A file with a data stream and named streams, each of `size` bytes that are never there to
// be read: reading them would end the program.
std::unique_ptr<BackupImage> MakeImage(std::uint64_t size) {
    auto image = std::make_unique<BackupImage>();
    auto never = [](std::uint64_t, std::span<std::byte>) -> bool { std::abort(); };
    image->AddStream(kBackupSecurityData, kStreamContainsSecurity, u"", std::vector<std::byte>(80));
    image->AddStream(kBackupData, 0, u"", size, never);
    for (int i = 2; i < kStreams; ++i) {
        std::u16string name = u"stream";
        for (char c : std::to_string(i)) name += static_cast<char16_t>(c);
        image->AddStream(kBackupAlternateData, 0, kelmor::test::AlternateName(name), size, never);
    }
    return image;
}

// One reading: the walk and the record values the reader keeps.
std::size_t Walk(BackupImage& image) {
    kelmor::test::ImageSource source(image);
    std::size_t records = 0;
    WalkBackupStreams(source, [&](const StreamHeader& h, std::span<const std::byte> name) {
        std::u16string full = StreamName(h, name);
        benchmark::DoNotOptimize(StreamShortName(full));
        benchmark::DoNotOptimize(h.size);
        ++records;
        return true;
    });
    return records;
}

void BM_WalkStreams(benchmark::State& state) {
    const auto size = static_cast<std::uint64_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto image = MakeImage(size);
        state.ResumeTiming();
        benchmark::DoNotOptimize(Walk(*image));
    }
    state.SetItemsProcessed(state.iterations() * kStreams);
}
BENCHMARK(BM_WalkStreams)->Arg(static_cast<std::int64_t>(kKiB))->Arg(static_cast<std::int64_t>(kTiB));

// Best time per record over interleaved rounds, for each size.
struct PerRecord {
    double small = 0;
    double huge = 0;
};

PerRecord Measure() {
    const int kRounds = kelmor::bench::Rounds(25);
    constexpr int kImagesPerRound = 12;
    PerRecord best{1e300, 1e300};
    for (int round = 0; round < kRounds; ++round) {
        for (int pass = 0; pass < 2; ++pass) {
            // Alternate which size goes first, so neither always runs on a warmer cache.
            const bool hugeNow = (pass == 0) == (round % 2 == 0);
            std::vector<std::unique_ptr<BackupImage>> images;
            for (int i = 0; i < kImagesPerRound; ++i) images.push_back(MakeImage(hugeNow ? kTiB : kKiB));
            const auto start = std::chrono::steady_clock::now();
            std::size_t records = 0;
            for (auto& image : images) records += Walk(*image);
            const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
            if (records != static_cast<std::size_t>(kStreams * kImagesPerRound)) std::abort();
            double& slot = hugeNow ? best.huge : best.small;
            slot = std::min(slot, took.count() / static_cast<double>(records));
        }
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (kelmor::bench::Full()) {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    // A walk whose cost grew with the sizes would miss the target by orders of magnitude.
    const bool met = kelmor::bench::Guard("stream walk: time per record, 1 TiB vs 1 KiB streams", "ns", 1.1,
                                          kelmor::bench::Better::Lower, [] {
                                              const PerRecord t = Measure();
                                              return kelmor::bench::Measured{t.huge, t.small};
                                          });
    return met ? 0 : 1;
}
