// The one way the library raises an error: runtime error n travels as HRESULT 0x800A0000 + n
// with the thread's IErrorInfo filled (number, source, description, help file, help context).
#pragma once

#include <windows.h>

#include <string>

namespace kelmor {

struct RaisedError {
    LONG number = 0;
    std::wstring source;       // empty: "Kelmor0200"
    std::wstring description;  // empty: the runtime's standard English text of `number`
    std::wstring helpFile;
    DWORD helpContext = 0;
};

// Fills the thread's error information and returns the HRESULT of the error.
HRESULT RaiseError(const RaisedError& error);
HRESULT RaiseError(LONG number, const std::wstring& source, const std::wstring& description = {});

// Fills the thread's error information from `info` and returns `code` unchanged: for failures
// that are not runtime errors (an object's own failure code) but come with a text. An empty
// description becomes the system's message text of `code`.
HRESULT RaiseHResult(HRESULT code, const RaisedError& info);

// For a failure met in a call the library made: a runtime-error HRESULT already carries its
// error information and passes on unchanged; any other failure (E_OUTOFMEMORY, a Win32
// code, ...) passes on with fresh error information of its own so callers always see a source
// and a text.
HRESULT PassOnError(HRESULT hr, const std::wstring& source);

// A status of the support library: S_OK for a status of 0 or more, nothing raised. A failure
// status (a negative HRESULT; the support library leaves no error information of its own) clears
// the thread's pending error information first, so that an older error is never reported in
// place of this one, then passes on as PassOnError does.
HRESULT RaiseSupportStatus(LONG status, const std::wstring& source);

// The system's message text for a failure code, without its closing line break; "Automation
// error" when the system has none.
std::wstring SystemMessageText(HRESULT code);

// The library's name as the source of errors raised outside any public class.
inline constexpr wchar_t kLibraryName[] = L"Kelmor0200";

// Names the source of the errors raised by the objects whose default interface is `iid`. Each
// binary passes its own namer at start: the library names "Kelmor0200.<class>" from its class
// table, a program its own name. Without one, errors name the running module's file title.
using ErrorSourceNamer = std::wstring (*)(REFIID iid);
void SetErrorSourceNamer(ErrorSourceNamer namer);

// The source text of errors raised by the objects whose default interface is `iid`, as the
// binary's namer gives it.
std::wstring ErrorSourceOf(REFIID iid);

}  // namespace kelmor
