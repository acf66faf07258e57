// Texts crossing to and from the ANSI registry functions. A text goes to the system ANSI code
// page exactly or not at all: a best-fit replacement would silently name another key or value.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <span>
#include <string>

namespace kelmor {

// `text` (`length` characters) in the ANSI code page. 0 and `out` filled, or the system error
// code that says why the text cannot cross: ERROR_NO_UNICODE_TRANSLATION when a character has
// no exact form in the code page.
DWORD ToAnsi(const wchar_t* text, std::size_t length, std::string& out);

// A key or value name (NULL is the empty name) in the ANSI code page, as ToAnsi. A name with
// an embedded zero is refused with ERROR_INVALID_PARAMETER: the ANSI functions would stop at
// the zero and address another key or value.
DWORD NameToAnsi(BSTR name, std::string& out);

// Bytes of the ANSI code page as a new BSTR; nullptr when out of memory.
BSTR AnsiToBstr(std::span<const std::uint8_t> bytes);

}  // namespace kelmor
