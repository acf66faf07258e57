#include "modEventLoggerSupport.h"

#include "LateBound.h"

#include <oleauto.h>

#include <vector>

#include "ErrObject.h"
#include "ErrorInfo.h"
#include "NevkitSupport0100.h"
#include "Owners.h"
#include "Text.h"
#include "core/ErrorReportText.h"
#include "core/RuntimeErrors.h"

using Microsoft::WRL::ComPtr;

namespace kelmor::modEventLoggerSupport {
namespace {

constexpr wchar_t kSource[] = L"Kelmor0200";

// A support-library function without input that gives a text.
HRESULT SupportText(LONG(__stdcall* function)(BSTR*), std::wstring& out) {
    BSTR text = nullptr;
    const LONG status = function(&text);
    return kelmor::SupportText(status, text, kSource, out);
}

}  // namespace

HRESULT NumberText(LONG number, const std::wstring& source, std::u16string& out) {
    BSTR text = nullptr;
    const LONG status = nkGetErrorNumber(number, &text);
    std::wstring value;
    HRESULT hr = kelmor::SupportText(status, text, source, value);
    if (SUCCEEDED(hr)) out = U16(value);
    return hr;
}

namespace {

// Reads a property late-bound and converts it.
HRESULT GetProperty(IDispatch* object, const wchar_t* name, VARTYPE type, UniqueVariant& value) {
    UniqueVariant raw;
    HRESULT hr = late::GetProperty(object, name, raw.get(), kSource);
    if (FAILED(hr)) return hr;
    if (FAILED(VariantChangeType(value.put(), raw.get(), 0, type))) return RaiseError(13, kSource);
    return S_OK;
}

// InitEventLogger2 on a new outside logger.
HRESULT InitLogger(IDispatch* logger, _App* appObject) {
    if (!appObject) return RaiseError(91, kSource);
    std::wstring computer, user, fullName, moduleName;
    HRESULT hr = SupportText(nkGetComputerName, computer);
    if (SUCCEEDED(hr)) hr = SupportText(nkGetUserName, user);
    UniqueBstr title;
    short major = 0, minor = 0, revision = 0;
    if (SUCCEEDED(hr)) hr = appObject->get_Title(title.put());
    if (SUCCEEDED(hr)) hr = appObject->get_Major(&major);
    if (SUCCEEDED(hr)) hr = appObject->get_Minor(&minor);
    if (SUCCEEDED(hr)) hr = appObject->get_Revision(&revision);
    if (SUCCEEDED(hr)) hr = SupportText(nkGetEXEModuleFullFileName, fullName);
    if (SUCCEEDED(hr)) {
        UniqueBstr path = NewBstr(fullName);
        if (!path) return E_OUTOFMEMORY;
        BSTR text = nullptr;
        const LONG status = nkGetLongFileName(path.get(), &text);
        hr = kelmor::SupportText(status, text, kSource, moduleName);
    }
    if (FAILED(hr)) return hr;

    UniqueBstr computerText = NewBstr(computer);
    UniqueBstr userText = NewBstr(user);
    UniqueBstr moduleText = NewBstr(moduleName);
    if (!computerText || !userText || !moduleText) return E_OUTOFMEMORY;
    VARIANT args[] = {
        late::TextArg(computerText.get()),
        late::TextArg(userText.get()),
        late::TextArg(title.get()),
        late::LongArg(major),
        late::LongArg(minor),
        late::LongArg(revision),
        late::LongArg(static_cast<LONG>(GetCurrentProcessId())),
        late::LongArg(static_cast<LONG>(GetCurrentThreadId())),
        late::TextArg(moduleText.get()),
    };
    return late::Call(logger, L"InitEventLogger2", DISPATCH_METHOD, args, nullptr, kSource);
}

}  // namespace

HRESULT FormatErrorText(IDispatch* errorObject, std::wstring& text) {
    if (!errorObject) return RaiseError(91, kSource);
    core::ErrorReportFields fields;
    UniqueVariant value;
    HRESULT hr = GetProperty(errorObject, L"Number", VT_I4, value);
    if (FAILED(hr)) return hr;
    fields.number = V_I4(value.get());
    if (FAILED(hr = GetProperty(errorObject, L"Description", VT_BSTR, value))) return hr;
    fields.description = U16(FromBstr(V_BSTR(value.get())));
    if (FAILED(hr = GetProperty(errorObject, L"Source", VT_BSTR, value))) return hr;
    fields.source = U16(FromBstr(V_BSTR(value.get())));
    if (FAILED(hr = GetProperty(errorObject, L"HelpFile", VT_BSTR, value))) return hr;
    fields.helpFile = U16(FromBstr(V_BSTR(value.get())));
    if (FAILED(hr = GetProperty(errorObject, L"HelpContext", VT_I4, value))) return hr;
    fields.helpContext = V_I4(value.get());

    if (fields.number != 0 && FAILED(hr = NumberText(fields.number, kSource, fields.numberText))) return hr;
    if (fields.helpContext != 0 && FAILED(hr = NumberText(fields.helpContext, kSource, fields.helpContextText))) return hr;
    const std::u16string formatted = core::FormatErrorText(fields);
    text.assign(formatted.begin(), formatted.end());
    return S_OK;
}

std::wstring TrappedErrorText(HRESULT hr) {
    // An error without a source was met in the library's own code.
    ErrObject* error = ErrObject::FromFailure(hr, kSource);
    std::wstring text;
    if (error && SUCCEEDED(FormatErrorText(error, text))) {
        error->Release();
        return text;
    }
    // The report could not be built through the error object (out of memory, the support
    // library failing): the same sections from what is at hand, the number in decimal.
    core::ErrorReportFields fields;
    fields.number = error ? error->Number() : hr;
    const std::wstring number = std::to_wstring(fields.number);
    fields.numberText = U16(number);
    fields.source = U16(kSource);
    if (error) {
        fields.description = U16(error->Description());
        fields.source = U16(error->Source());
        error->Release();
    }
    SetErrorInfo(0, nullptr);
    const std::u16string formatted = core::FormatErrorText(fields);
    return std::wstring(formatted.begin(), formatted.end());
}

ComPtr<IDispatch> CreateEventLoggerObject(_App* appObject, std::wstring& errorText) {
    errorText.clear();
    ComPtr<IDispatch> logger;
    SetErrorInfo(0, nullptr);
    CLSID clsid{};
    HRESULT hr = CLSIDFromProgID(kLoggerProgId, &clsid);
    if (SUCCEEDED(hr)) {
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&logger));
    }
    if (FAILED(hr)) {
        errorText = TrappedErrorText(hr);
        return nullptr;
    }
    SetErrorInfo(0, nullptr);
    hr = InitLogger(logger.Get(), appObject);
    if (FAILED(hr)) errorText = TrappedErrorText(hr);
    return logger;
}

}  // namespace kelmor::modEventLoggerSupport
