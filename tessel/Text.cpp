#include "Text.h"

#include <new>

namespace tessel {

kelmor::UniqueBstr MakeBstr(std::wstring_view text) {
    kelmor::UniqueBstr out(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    if (!out) throw std::bad_alloc();
    return out;
}

}  // namespace tessel
