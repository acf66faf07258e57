// The program's texts: std::wstring (UTF-16 on Windows), the portable core's std::u16string and
// automation texts (BSTR), converted by the base's helpers.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string_view>

#include "Owners.h"
#include "Text.h"

namespace tessel {

using kelmor::FromBstr;
using kelmor::U16;
using kelmor::Wide;

// A new BSTR holding `text` (embedded NULs included); throws the runtime's out-of-memory error
// when it cannot be made.
kelmor::UniqueBstr MakeBstr(std::wstring_view text);

}  // namespace tessel
