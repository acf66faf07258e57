#include "TabStepping.h"

namespace kelmor::core {

std::int32_t TabToShow(std::int32_t index, std::int32_t current, std::int32_t count) {
    if (index == kCurrentTab) index = current;
    if (index < 1 || index > count) return 0;
    return index;
}

std::int32_t PreviousTab(std::int32_t current, std::int32_t count) {
    // 64-bit arithmetic: stepping from an extreme index must not overflow.
    const std::int64_t index = static_cast<std::int64_t>(current) - 1;
    return index < 1 ? count : static_cast<std::int32_t>(index);
}

std::int32_t NextTab(std::int32_t current, std::int32_t count) {
    const std::int64_t index = static_cast<std::int64_t>(current) + 1;
    return index > count ? 1 : static_cast<std::int32_t>(index);
}

std::vector<PageCall> ShowTabCalls(std::int32_t page, std::int32_t count, bool popOnlyThisTab,
                                   bool hideOtherTabs) {
    std::vector<PageCall> calls;
    if (page < 1 || page > count) return calls;
    calls.reserve(static_cast<std::size_t>(count) * (popOnlyThisTab ? 1 : 2) + 2);
    if (!popOnlyThisTab) {
        for (std::int32_t i = 1; i <= count; ++i) calls.push_back({PageCall::Kind::ZOrder, i});
    }
    for (std::int32_t i = 1; i <= count; ++i)
        calls.push_back({PageCall::Kind::SetVisible, i, !hideOtherTabs});
    calls.push_back({PageCall::Kind::ZOrder, page});
    calls.push_back({PageCall::Kind::SetVisible, page, true});
    return calls;
}

}  // namespace kelmor::core
