#include "modErrorDisplay.h"

#include <oleauto.h>
#include <wrl/client.h>

#include "DispatchObject.h"
#include "ErrorInfo.h"
#include "MessageBox.h"
#include "NevkitSupport0100.h"
#include "Owners.h"
#include "Text.h"
#include "modEventLoggerSupport.h"

using Microsoft::WRL::ComPtr;

namespace kelmor::modErrorDisplay {
namespace {

// The event type of every report of the error display.
constexpr LONG kReportEventType = 2;

const std::wstring& Source() {
    static const std::wstring source = ErrorSourceOf(__uuidof(_nvkMain));
    return source;
}

// A text result of a support-library function; a negative status is raised here.
HRESULT SupportText(LONG status, BSTR text, std::wstring& out) {
    return kelmor::SupportText(status, text, Source(), out);
}

HRESULT NumberText(LONG number, std::u16string& out) {
    return modEventLoggerSupport::NumberText(number, Source(), out);
}

// The caller's title, or the running program's title when it is empty.
HRESULT TitleOr(BSTR title, std::wstring& out) {
    out = FromBstr(title);
    if (!out.empty()) return S_OK;
    BSTR text = nullptr;
    const LONG status = nkGetThunderMainTitle(&text);
    return SupportText(status, text, out);
}

std::u16string CallerText(BSTR* descriptionText) {
    return descriptionText ? U16(FromBstr(*descriptionText)) : std::u16string();
}

// A property of the caller's error object read through its table; its failure passes on.
HRESULT ReadText(_ErrObject* error, HRESULT (STDMETHODCALLTYPE _ErrObject::*get)(BSTR*),
                 std::u16string& out) {
    UniqueBstr text;
    const HRESULT hr = (error->*get)(text.put());
    if (FAILED(hr)) return PassOnError(hr, Source());
    out = U16(FromBstr(text.get()));
    return S_OK;
}

}  // namespace

HRESULT PrepareErrorObject(_ErrObject* error, LONG style, BSTR title, BSTR* descriptionText, Display& out) {
    if (!error) return RaiseError(91, Source());
    core::ErrorReportFields fields;
    SetErrorInfo(0, nullptr);
    LONG number = 0, helpContext = 0;
    HRESULT hr = error->get_Number(&number);
    if (FAILED(hr)) return PassOnError(hr, Source());
    fields.number = number;
    if (FAILED(hr = ReadText(error, &_ErrObject::get_Description, fields.description))) return hr;
    if (FAILED(hr = ReadText(error, &_ErrObject::get_Source, fields.source))) return hr;
    if (FAILED(hr = ReadText(error, &_ErrObject::get_HelpFile, fields.helpFile))) return hr;
    if (FAILED(hr = error->get_HelpContext(&helpContext))) return PassOnError(hr, Source());
    fields.helpContext = helpContext;

    if (FAILED(hr = TitleOr(title, out.title))) return hr;
    if (fields.number != 0 && FAILED(hr = NumberText(fields.number, fields.numberText))) return hr;
    if (fields.helpContext != 0 && FAILED(hr = NumberText(fields.helpContext, fields.helpContextText)))
        return hr;

    out.message = Wide(core::ErrorObjectMessage(CallerText(descriptionText), fields));
    out.style = core::ErrorObjectStyle(style, fields.helpFile);
    out.helpFile = Wide(fields.helpFile);
    out.helpContext = out.helpFile.empty() ? 0 : fields.helpContext;
    out.logSource.assign(core::kRuntimeErrorLogSource.begin(), core::kRuntimeErrorLogSource.end());
    out.eventId = fields.number;
    return S_OK;
}

HRESULT PrepareErrorCode(const core::ErrorCodeKind& kind, DescribeFn describe, LONG errorNumber, LONG style,
                         BSTR title, BSTR* descriptionText, Display& out) {
    HRESULT hr = TitleOr(title, out.title);
    std::u16string numberText;
    if (SUCCEEDED(hr)) hr = NumberText(errorNumber, numberText);
    std::wstring systemText;
    if (SUCCEEDED(hr)) {
        BSTR text = nullptr;
        const LONG status = describe(errorNumber, &text);
        hr = SupportText(status, text, systemText);
    }
    if (FAILED(hr)) return hr;
    out.message =
        Wide(core::ErrorCodeMessage(CallerText(descriptionText), kind, numberText, U16(systemText)));
    out.style = style;
    out.helpFile.clear();
    out.helpContext = 0;
    out.logSource.assign(kind.logSource.begin(), kind.logSource.end());
    out.eventId = errorNumber;
    return S_OK;
}

HRESULT Show(_nvkMain* main, const Display& display, VARIANT_BOOL* silent, VbMsgBoxResult* result) {
    // The thread's logger is asked for on every call: one attached or removed since is honoured.
    ComPtr<IEventLogger2> logger;
    HRESULT hr = main->Logger(&logger);
    if (FAILED(hr)) return hr;
    if (!logger) return RaiseError(91, Source());
    UniqueBstr message = NewBstr(display.message);
    UniqueBstr category = NewBstr(display.logSource);
    if (!message || !category) return RaiseError(7, Source());
    SetErrorInfo(0, nullptr);
    hr = logger->ReportEvent(message.get(), kReportEventType, category.get(), display.eventId);
    if (FAILED(hr)) return PassOnError(hr, Source());

    if (silent && *silent != VARIANT_FALSE) {
        *result = vbOK;
        return S_OK;
    }
    int pressed = 0;
    hr = MsgBox(display.message, display.style, display.title, display.helpFile, display.helpContext,
                &pressed);
    if (FAILED(hr)) return PassOnError(hr, Source());
    *result = static_cast<VbMsgBoxResult>(pressed);
    return S_OK;
}

CompletedArguments::CompletedArguments(DISPID id, DISPPARAMS* params) : params_(params) {
    // The member ids of ErrorDisplay, ErrorDisplayAPI and ErrorDisplayWinMM, and the position of
    // their DescriptionText.
    constexpr DISPID kFirst = 0x6003000C, kLast = 0x6003000E;
    constexpr DISPID kDescriptionText = 3;
    if (id < kFirst || id > kLast || !params) return;
    const UINT named = params->cNamedArgs;
    if (params->cArgs < named || (named > 0 && !params->rgdispidNamedArgs)) return;
    if (params->cArgs - named > static_cast<UINT>(kDescriptionText)) return;
    for (UINT i = 0; i < named; ++i) {
        if (params->rgdispidNamedArgs[i] == kDescriptionText) return;
    }
    // Named arguments come first in the list, the positional ones after them, last first.
    VARIANT text;
    VariantInit(&text);
    V_VT(&text) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&text) = &emptyText_;
    args_.push_back(text);
    args_.insert(args_.end(), params->rgvarg, params->rgvarg + params->cArgs);
    names_.push_back(kDescriptionText);
    names_.insert(names_.end(), params->rgdispidNamedArgs, params->rgdispidNamedArgs + named);
    completed_.rgvarg = args_.data();
    completed_.rgdispidNamedArgs = names_.data();
    completed_.cArgs = static_cast<UINT>(args_.size());
    completed_.cNamedArgs = static_cast<UINT>(names_.size());
    params_ = &completed_;
}

HRESULT CompletedArguments::Finish(HRESULT hr, UINT* argErr) const {
    // The supplied text stands first in the list.
    if (params_ == &completed_ && argErr && *argErr > 0 &&
        (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_PARAMNOTFOUND))
        --*argErr;
    return hr;
}

HRESULT ErrorDisplay(_nvkMain* main, _ErrObject** error, VbMsgBoxStyle style, BSTR title,
                     BSTR* descriptionText, VARIANT_BOOL* silent, VbMsgBoxResult* result) {
    if (!result) return E_POINTER;
    *result = static_cast<VbMsgBoxResult>(0);
    Display display;
    const HRESULT hr = PrepareErrorObject(error ? *error : nullptr, style, title, descriptionText, display);
    return FAILED(hr) ? hr : Show(main, display, silent, result);
}

HRESULT ErrorDisplayAPI(_nvkMain* main, LONG errorNumber, VbMsgBoxStyle style, BSTR title,
                        BSTR* descriptionText, VARIANT_BOOL* silent, VbMsgBoxResult* result) {
    if (!result) return E_POINTER;
    *result = static_cast<VbMsgBoxResult>(0);
    Display display;
    const HRESULT hr = PrepareErrorCode(core::kWin32ApiError, nkGetAPIErrorDescription, errorNumber, style,
                                        title, descriptionText, display);
    return FAILED(hr) ? hr : Show(main, display, silent, result);
}

HRESULT ErrorDisplayWinMM(_nvkMain* main, LONG errorNumber, VbMsgBoxStyle style, BSTR title,
                          BSTR* descriptionText, VARIANT_BOOL* silent, VbMsgBoxResult* result) {
    if (!result) return E_POINTER;
    *result = static_cast<VbMsgBoxResult>(0);
    Display display;
    const HRESULT hr = PrepareErrorCode(core::kWinMMError, nkGetWinMMErrorDescription, errorNumber, style,
                                        title, descriptionText, display);
    return FAILED(hr) ? hr : Show(main, display, silent, result);
}

}  // namespace kelmor::modErrorDisplay
