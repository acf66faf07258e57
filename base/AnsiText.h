// Texts crossing to and from the ANSI functions of the system (registry, file deletion). A text
// goes to the ANSI code page exactly or not at all: a best-fit replacement would silently name
// another key, value or file.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <span>
#include <string>

namespace kelmor {

// `text` (`length` characters) in code page `codePage`: CP_ACP (the default) is the system ANSI
// code page as GetACP() names it, UTF-8 included; other values name a page directly (tests use
// this to reach pages the running system does not use). 0 and `out` filled, or the system error
// code that says why the text cannot cross, `out` then empty:
// - ERROR_NO_UNICODE_TRANSLATION when a character has no exact form in the code page (it is
//   never replaced by a look-alike or a default character) and for an unpaired surrogate, which
//   no code page can hold;
// - ERROR_INVALID_PARAMETER for a code page the system does not know or a text too long to
//   convert.
DWORD ToAnsi(const wchar_t* text, std::size_t length, std::string& out, UINT codePage = CP_ACP);

// A key or value name (NULL is the empty name) in the ANSI code page, as ToAnsi. A name with
// an embedded zero is refused with ERROR_INVALID_PARAMETER: the ANSI functions would stop at
// the zero and address another key or value.
DWORD NameToAnsi(BSTR name, std::string& out);

// Bytes of the ANSI code page as a new BSTR; nullptr when out of memory.
BSTR AnsiToBstr(std::span<const std::uint8_t> bytes);

}  // namespace kelmor
