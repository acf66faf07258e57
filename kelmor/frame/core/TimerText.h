// The display text of a measured time, in milliseconds, optionally divided by a number of
// iterations. The numbers arrive as display texts already (the support library formats them).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelmor::core {

// Whether the text shows the time per iteration: only for a positive iteration count.
constexpr bool ShowsPerIteration(std::int32_t iterations) { return iterations > 0; }

// "<total> ms." when `iterations` is 0 or less (the other texts are then not used), else
// "<perIteration> ms. / <count> (<total> ms.)".
std::u16string TimerText(std::int32_t iterations, std::u16string_view total, std::u16string_view perIteration = {},
                         std::u16string_view count = {});

}  // namespace kelmor::core
