#include "StringBufferRules.h"

namespace kelmor::core {

BufferPlan PlanBuffer(std::u16string_view text, std::int32_t length) {
    const std::size_t closed = text.size() + 1;  // the text and its NUL
    if (length <= 0) return {text.size(), 1};
    const auto wanted = static_cast<std::size_t>(length);
    if (wanted >= closed) return {text.size(), wanted - text.size()};
    std::size_t kept = wanted - 1;
    if (kept > 0 && text[kept - 1] >= 0xD800 && text[kept - 1] <= 0xDBFF) --kept;
    return {kept, wanted - kept};
}

}  // namespace kelmor::core
