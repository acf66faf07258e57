// The error display of nvkMain (ErrorDisplay, ErrorDisplayAPI, ErrorDisplayWinMM): an error made
// into a readable message, reported to the thread's event logger and, unless the caller wants
// silence, shown in a modal message box.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "Kelmor0200.h"
#include "core/ErrorDisplayText.h"

namespace kelmor::modErrorDisplay {

// What one call shows and reports.
struct Display {
    std::wstring message;
    LONG style = 0;
    std::wstring title;
    std::wstring helpFile;  // with its context, handed to the box only for an error object
    LONG helpContext = 0;
    std::wstring logSource;  // the report's category
    LONG eventId = 0;
};

// The display of an error object: its Number, Description, Source, HelpFile and HelpContext
// (read through its table, in that order), the caller's text in front, the running program's
// title when `title` is empty, the Help button when the error names a help file. Errors are
// raised as nvkMain's.
HRESULT PrepareErrorObject(_ErrObject* error, LONG style, BSTR title, BSTR* descriptionText, Display& out);

// The display of a Win32 or multimedia error code with the system's text for it from
// `describe` (nkGetAPIErrorDescription, nkGetWinMMErrorDescription).
using DescribeFn = LONG(__stdcall*)(LONG code, BSTR* text);
HRESULT PrepareErrorCode(const core::ErrorCodeKind& kind, DescribeFn describe, LONG errorNumber, LONG style,
                         BSTR title, BSTR* descriptionText, Display& out);

// Reports the display through `main`'s Logger (event type 2) and shows it unless `silent` holds
// True. `result` is the pressed button, or 1 (OK) when silent. A report that fails is raised
// and nothing is shown.
HRESULT Show(_nvkMain* main, const Display& display, VARIANT_BOOL* silent, VbMsgBoxResult* result);

// The three members.
HRESULT ErrorDisplay(_nvkMain* main, _ErrObject** error, VbMsgBoxStyle style, BSTR title, BSTR* descriptionText,
                     VARIANT_BOOL* silent, VbMsgBoxResult* result);
HRESULT ErrorDisplayAPI(_nvkMain* main, LONG errorNumber, VbMsgBoxStyle style, BSTR title, BSTR* descriptionText,
                        VARIANT_BOOL* silent, VbMsgBoxResult* result);
HRESULT ErrorDisplayWinMM(_nvkMain* main, LONG errorNumber, VbMsgBoxStyle style, BSTR title, BSTR* descriptionText,
                          VARIANT_BOOL* silent, VbMsgBoxResult* result);

}  // namespace kelmor::modErrorDisplay
