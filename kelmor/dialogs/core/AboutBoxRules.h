// Rules of the about box that need no window: which tab pages are taken, where a given
// dedication picture goes, which keys switch pages, which control a shown page focuses, and the
// text of the free-memory line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelmor::core {

// What a tab page of the about box holds.
enum class PageContent { Description, Modules, Other };

// A page is taken when it holds the description and the description is not empty, when it
// holds the module list and the list has lines, and always when it holds neither.
bool IsPageTaken(PageContent content, bool descriptionEmpty, std::int32_t moduleLines);

// The control a page focuses when it is shown, by its index 0 to 3.
enum class PageFocus { None, Description, Modules, OkButton };
PageFocus FocusOfPage(std::int32_t page);

// The top-left corner, in pixels, of a dedication picture of `width` x `height` pixels in the
// bottom-right corner of a page of `pageWidth` x `pageHeight` pixels: 5 pixels from the right
// and 3 from the bottom.
struct PixelPoint {
    std::int32_t left;
    std::int32_t top;
    bool operator==(const PixelPoint&) const = default;
};
PixelPoint DedicationPicturePlace(std::int32_t pageWidth, std::int32_t pageHeight, std::int32_t width,
                                  std::int32_t height);

// The page step a key asks for: Page Up the previous page, Page Down the next, each only with
// no Shift, Ctrl or Alt held (`shiftMask` bits 1, 2, 4).
enum class PageStep { None, Previous, Next };
inline constexpr int kKeyPageUp = 33;
inline constexpr int kKeyPageDown = 34;
PageStep PageStepOfKey(int keyCode, int shiftMask);

// The free physical memory line: the size text, a blank and the free share in parentheses,
// "1.50 GB (63%)" for a memory load of 37. A load above 100 counts as 100.
std::u16string FreeMemoryText(std::u16string_view sizeText, std::uint32_t memoryLoad);

}  // namespace kelmor::core
