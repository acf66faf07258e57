// The two modes of every benchmark program of the project, and the row each comparison prints.
//
// Under the test command the environment has no KELMOR_BENCH: a benchmark program then runs each
// comparison briefly and checks only that both sides work and give the same result. No time is
// compared, so a slow or busy machine cannot make the test command fail.
//
// tools/bench.sh sets KELMOR_BENCH=full: the program measures properly, prints one row per case
// (case, ours, reference, ratio, target) and fails when a target is missed. A missed case is
// measured again up to three times before it counts, since the machine may be shared.
//
// Portable and header-only: the host benchmarks and the Windows ones include it alike.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace kelmor::bench {

// True when tools/bench.sh runs the program: measure and guard the targets.
inline bool Full() {
    const char* mode = std::getenv("KELMOR_BENCH");
    return mode != nullptr && std::strcmp(mode, "full") == 0;
}

// How many rounds to measure: `full` under tools/bench.sh, `check` (one, by default) otherwise.
inline int Rounds(int full, int check = 1) { return Full() ? full : check; }

// How the ratio ours / reference is judged against the target.
enum class Better {
    Lower,   // times, memory: the ratio must be at most the target
    Higher,  // speeds: the ratio must be at least the target
};

struct Measured {
    double ours = 0;
    double reference = 0;
};

// Prints the comparison's row and tells whether its target is met. The row starts with
// "BENCH|" so tools/bench.sh can gather the rows of every program into one table; in check
// mode it is marked as not judged and always counts as met.
inline bool Report(const std::string& name, const char* unit, Measured m, double target, Better better) {
    const double ratio = m.reference > 0 ? m.ours / m.reference : 0;
    const bool met = !Full() || (better == Better::Lower ? ratio <= target : ratio >= target);
    std::printf("BENCH|%s|%.4g %s|%.4g %s|%.3f|%s %.3g|%s\n", name.c_str(), m.ours, unit, m.reference,
                unit, ratio, better == Better::Lower ? "<=" : ">=", target,
                !Full() ? "not judged (check run)" : met ? "met" : "MISSED");
    std::fflush(stdout);
    return met;
}

// Measures a comparison (measure() returns ours and the reference), again up to three times while
// its target is missed, and reports the last measurement. Returns whether the target is met.
template <typename Measure>
bool Guard(const std::string& name, const char* unit, double target, Better better, Measure&& measure) {
    auto missed = [&](const Measured& m) {
        const double ratio = m.reference > 0 ? m.ours / m.reference : 0;
        return Full() && (better == Better::Lower ? ratio > target : ratio < target);
    };
    Measured m = measure();
    for (int retry = 0; retry < 3 && missed(m); ++retry) m = measure();
    return Report(name, unit, m, target, better);
}

}  // namespace kelmor::bench
