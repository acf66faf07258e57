// Creation of the outside event logger, late-bound calls on it, and the report texts of errors
// that the logger members keep for LastEventLoggerError.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <span>
#include <string>

#include "Kelmor0200.h"

namespace kelmor::modEventLoggerSupport {

// The outside logger component, created on the local machine.
inline constexpr wchar_t kLoggerProgId[] = L"Derodor.nvkEventLogger";

// A new outside logger, initialised (InitEventLogger2) with this computer, the user, the
// application object's title and version (read through the App table), this process and
// thread and the long path of the program. None when the component cannot be created. The
// logger is returned also when its initialisation failed. `errorText` is emptied first and
// receives the report text of the last failure met.
Microsoft::WRL::ComPtr<IDispatch> CreateEventLoggerObject(_App* appObject, std::wstring& errorText);

// The report text of an error object: its Number, Description, Source, HelpFile and
// HelpContext, read late-bound by name, each in its labelled section (see core/ErrorReportText).
HRESULT FormatErrorText(IDispatch* errorObject, std::wstring& text);

// The report text of the error of a failed call (`hr` with the error information the callee
// left, which is taken), for members that keep an error rather than raise it. An error that
// names no source shows the library as its source. Never fails.
std::wstring TrappedErrorText(HRESULT hr);

// The display text of an error number (nkGetErrorNumber); a failure is raised from `source`.
HRESULT NumberText(LONG number, const std::wstring& source, std::u16string& out);

}  // namespace kelmor::modEventLoggerSupport
