#include "TimerText.h"

namespace kelmor::core {

std::u16string TimerText(std::int32_t iterations, std::u16string_view total, std::u16string_view perIteration,
                         std::u16string_view count) {
    std::u16string text;
    if (ShowsPerIteration(iterations)) {
        text.append(perIteration).append(u" ms. / ").append(count).append(u" (").append(total).append(u" ms.)");
    } else {
        text.append(total).append(u" ms.");
    }
    return text;
}

}  // namespace kelmor::core
