#include "ProgramText.h"

#include <new>

namespace tessel {

kelmor::UniqueBstr MakeBstr(std::wstring_view text) {
    kelmor::UniqueBstr out = kelmor::NewBstr(text);
    if (!out) throw std::bad_alloc();
    return out;
}

}  // namespace tessel
