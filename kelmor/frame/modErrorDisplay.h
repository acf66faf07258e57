// The error display of nvkMain (ErrorDisplay, ErrorDisplayAPI, ErrorDisplayWinMM): an error made
// into a readable message, reported to the thread's event logger and, unless the caller wants
// silence, shown in a modal message box.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

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

// Late-bound calls. When a caller leaves out DescriptionText, the type library's dispatch has
// to supply its default, an empty text passed by reference; Wine's passes the default text
// itself where the member expects the address of a text, and reading it goes wrong. So the
// members' own Invoke supplies the left-out text as a named argument, an empty text by
// reference, and hands the completed arguments on. Other calls keep their arguments.
class CompletedArguments {
public:
    // The arguments of a call of member `id` as the type library's dispatch should get them.
    CompletedArguments(DISPID id, DISPPARAMS* params);
    CompletedArguments(const CompletedArguments&) = delete;
    CompletedArguments& operator=(const CompletedArguments&) = delete;
    DISPPARAMS* get() { return params_; }
    // The result of the call, with the position of a refused argument (`argErr`) counted in
    // the caller's arguments again.
    HRESULT Finish(HRESULT hr, UINT* argErr) const;

private:
    DISPPARAMS* params_;
    DISPPARAMS completed_{};
    std::vector<VARIANT> args_;
    std::vector<DISPID> names_;
    BSTR emptyText_ = nullptr;
};

// The three members.
HRESULT ErrorDisplay(_nvkMain* main, _ErrObject** error, VbMsgBoxStyle style, BSTR title,
                     BSTR* descriptionText, VARIANT_BOOL* silent, VbMsgBoxResult* result);
HRESULT ErrorDisplayAPI(_nvkMain* main, LONG errorNumber, VbMsgBoxStyle style, BSTR title,
                        BSTR* descriptionText, VARIANT_BOOL* silent, VbMsgBoxResult* result);
HRESULT ErrorDisplayWinMM(_nvkMain* main, LONG errorNumber, VbMsgBoxStyle style, BSTR title,
                          BSTR* descriptionText, VARIANT_BOOL* silent, VbMsgBoxResult* result);

}  // namespace kelmor::modErrorDisplay
