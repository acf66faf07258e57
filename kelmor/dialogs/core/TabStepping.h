// Page stepping of the tab control: which page a request shows, and in which order the pages
// are brought to the front and made visible or hidden when one is shown.
//
// Pages are numbered from 1 in the order they were added. The current page is the one shown
// last; 0 means none was shown yet. The page list may shrink under a current page (clearing
// keeps the old index), so every rule takes the current index as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelmor::core {

// The index that stands for "the current page" in a request to show a page.
inline constexpr std::int32_t kCurrentTab = -1;

// The page that a request to show `index` shows when `count` pages exist and `current` is the
// current page: kCurrentTab takes the current page. 0 when there is no such page (the request
// is then an invalid argument and nothing changes).
std::int32_t TabToShow(std::int32_t index, std::int32_t current, std::int32_t count);

// The index the previous-page and next-page steps ask for: one back (below 1 wraps to the
// last page) and one on (beyond the last wraps to page 1). With no pages the result names no
// page, so showing it fails as any show on an empty list does.
std::int32_t PreviousTab(std::int32_t current, std::int32_t count);
std::int32_t NextTab(std::int32_t current, std::int32_t count);

// One late-bound call on a page object.
struct PageCall {
    enum class Kind { ZOrder, SetVisible };
    Kind kind;
    std::int32_t page;     // 1-based
    bool visible = false;  // the value for SetVisible

    bool operator==(const PageCall&) const = default;
};

// The calls that show `page` of `count`: unless only that page is to be touched, every page
// is brought to the front in order (so the last ends up on top); every page is then shown, or
// hidden when the others are to be hidden; finally the chosen page comes to the front and is
// made visible.
std::vector<PageCall> ShowTabCalls(std::int32_t page, std::int32_t count, bool popOnlyThisTab,
                                   bool hideOtherTabs);

}  // namespace kelmor::core
