#include "AboutBoxRules.h"

#include <algorithm>

namespace kelmor::core {

bool IsPageTaken(PageContent content, bool descriptionEmpty, std::int32_t moduleLines) {
    switch (content) {
    case PageContent::Description: return !descriptionEmpty;
    case PageContent::Modules: return moduleLines > 0;
    case PageContent::Other: return true;
    }
    return true;
}

PageFocus FocusOfPage(std::int32_t page) {
    switch (page) {
    case 0:
    case 3: return PageFocus::OkButton;
    case 1: return PageFocus::Description;
    case 2: return PageFocus::Modules;
    default: return PageFocus::None;
    }
}

PixelPoint DedicationPicturePlace(std::int32_t pageWidth, std::int32_t pageHeight, std::int32_t width,
                                  std::int32_t height) {
    // 64-bit arithmetic: a picture of any size gives a position, never an overflow.
    auto place = [](std::int32_t outer, std::int32_t inner, std::int32_t gap) {
        const std::int64_t v = static_cast<std::int64_t>(outer) - inner - gap;
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    return {place(pageWidth, width, 5), place(pageHeight, height, 3)};
}

PageStep PageStepOfKey(int keyCode, int shiftMask) {
    if (shiftMask != 0) return PageStep::None;
    if (keyCode == kKeyPageUp) return PageStep::Previous;
    if (keyCode == kKeyPageDown) return PageStep::Next;
    return PageStep::None;
}

std::u16string FreeMemoryText(std::u16string_view sizeText, std::uint32_t memoryLoad) {
    const std::uint32_t freeShare = 100 - std::min<std::uint32_t>(memoryLoad, 100);
    std::u16string text(sizeText);
    text += u" (";
    const std::string digits = std::to_string(freeShare);
    text.append(digits.begin(), digits.end());
    text += u"%)";
    return text;
}

}  // namespace kelmor::core
