// IEnumVARIANT over a snapshot of values: what NewEnum / _NewEnum hand to For Each loops. The
// snapshot holds its own copies (object references AddRef'd).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstddef>

namespace kelmor {

// Copies `count` values; returns the enumerator as IUnknown (one reference), or fails.
HRESULT NewVariantEnumerator(const VARIANT* values, std::size_t count, IUnknown** result);

}  // namespace kelmor
