#include "modEventLoggerSupport.h"

#include <oleauto.h>

#include <vector>

#include "ErrObject.h"
#include "ErrorInfo.h"
#include "NevkitSupport0100.h"
#include "Owners.h"
#include "core/ErrorReportText.h"
#include "core/RuntimeErrors.h"

using Microsoft::WRL::ComPtr;

namespace kelmor::modEventLoggerSupport {
namespace {

constexpr wchar_t kSource[] = L"Kelmor0200";

std::u16string U16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
std::wstring FromBstr(BSTR text) { return std::wstring(text ? text : L"", SysStringLen(text)); }

// A negative support-library status raised as an error of the library.
HRESULT SupportFailure(LONG status) {
    SetErrorInfo(0, nullptr);
    return PassOnError(status, kSource);
}

// A text result of a support-library function.
HRESULT SupportText(LONG status, BSTR text, std::wstring& out) {
    UniqueBstr owned(text);
    if (status < 0) return SupportFailure(status);
    out = FromBstr(owned.get());
    return S_OK;
}

// A support-library function without input that gives a text.
HRESULT SupportText(LONG(__stdcall* function)(BSTR*), std::wstring& out) {
    BSTR text = nullptr;
    const LONG status = function(&text);
    return SupportText(status, text, out);
}

// The display text of an error number (nkGetErrorNumber).
HRESULT NumberText(LONG number, std::u16string& out) {
    BSTR text = nullptr;
    const LONG status = nkGetErrorNumber(number, &text);
    std::wstring value;
    HRESULT hr = SupportText(status, text, value);
    if (SUCCEEDED(hr)) out = U16(value);
    return hr;
}

// Fills the thread's error information with what an object reported and returns `code`.
HRESULT Publish(HRESULT code, BSTR source, BSTR description, BSTR helpFile, DWORD helpContext) {
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        create->SetGUID(GUID_NULL);
        create->SetSource(source ? source : const_cast<LPOLESTR>(L""));
        create->SetDescription(description ? description : const_cast<LPOLESTR>(L""));
        create->SetHelpFile(helpFile ? helpFile : const_cast<LPOLESTR>(L""));
        create->SetHelpContext(helpContext);
        ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
    }
    return code;
}

// A text argument passed by value: the VARIANT refers to the caller's BSTR without owning it.
VARIANT TextArg(BSTR text) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = text;
    return v;
}
VARIANT LongArg(LONG value) {
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

// Reads a property late-bound and converts it.
HRESULT GetProperty(IDispatch* object, const wchar_t* name, VARTYPE type, UniqueVariant& value) {
    UniqueVariant raw;
    HRESULT hr = CallByName(object, name, DISPATCH_PROPERTYGET, {}, raw.get());
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
        UniqueBstr path(SysAllocStringLen(fullName.data(), static_cast<UINT>(fullName.size())));
        if (!path) return E_OUTOFMEMORY;
        BSTR text = nullptr;
        const LONG status = nkGetLongFileName(path.get(), &text);
        hr = SupportText(status, text, moduleName);
    }
    if (FAILED(hr)) return hr;

    UniqueBstr computerText(SysAllocStringLen(computer.data(), static_cast<UINT>(computer.size())));
    UniqueBstr userText(SysAllocStringLen(user.data(), static_cast<UINT>(user.size())));
    UniqueBstr moduleText(SysAllocStringLen(moduleName.data(), static_cast<UINT>(moduleName.size())));
    if (!computerText || !userText || !moduleText) return E_OUTOFMEMORY;
    VARIANT args[] = {
        TextArg(computerText.get()),
        TextArg(userText.get()),
        TextArg(title.get()),
        LongArg(major),
        LongArg(minor),
        LongArg(revision),
        LongArg(static_cast<LONG>(GetCurrentProcessId())),
        LongArg(static_cast<LONG>(GetCurrentThreadId())),
        TextArg(moduleText.get()),
    };
    return CallByName(logger, L"InitEventLogger2", DISPATCH_METHOD, args, nullptr);
}

}  // namespace

HRESULT CallByName(IDispatch* object, const wchar_t* name, WORD kind, std::span<VARIANT> args, VARIANT* result) {
    if (!object) return RaiseError(91, kSource);
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return RaiseError(438, kSource);

    // Arguments travel last first.
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    const bool put = (kind & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (put) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    UniqueVariant ignored;
    if (result) VariantInit(result);
    VARIANT* answer = put ? nullptr : (result ? result : ignored.get());
    // A property is read the way a late-binding client reads it, so that an object that has it
    // as a method answers too.
    if (kind == DISPATCH_PROPERTYGET) kind |= DISPATCH_METHOD;
    EXCEPINFO excep{};
    UINT argError = 0;
    SetErrorInfo(0, nullptr);
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, answer, &excep, &argError);
    if (SUCCEEDED(hr)) return hr;
    if (hr == DISP_E_EXCEPTION) {
        if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
        UniqueBstr source(excep.bstrSource), description(excep.bstrDescription), helpFile(excep.bstrHelpFile);
        HRESULT code = excep.scode;
        if (excep.wCode != 0) code = static_cast<HRESULT>(core::RuntimeErrorHResult(excep.wCode));
        if (SUCCEEDED(code)) code = E_FAIL;
        // An error that comes without a text gets the runtime's text of its number.
        if (SysStringLen(description.get()) == 0) {
            if (LONG number = core::RuntimeErrorNumber(static_cast<std::uint32_t>(code))) {
                RaisedError e;
                e.number = number;
                e.source = FromBstr(source.get());
                e.helpFile = FromBstr(helpFile.get());
                e.helpContext = excep.dwHelpContext;
                return RaiseError(e);
            }
        }
        return Publish(code, source.get(), description.get(), helpFile.get(), excep.dwHelpContext);
    }
    switch (hr) {
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME: return RaiseError(438, kSource);
    case DISP_E_TYPEMISMATCH: return RaiseError(13, kSource);
    case DISP_E_PARAMNOTOPTIONAL: return RaiseError(449, kSource);
    case DISP_E_BADPARAMCOUNT: return RaiseError(450, kSource);
    case DISP_E_OVERFLOW: return RaiseError(6, kSource);
    default: return PassOnError(hr, kSource);
    }
}

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

    if (fields.number != 0 && FAILED(hr = NumberText(fields.number, fields.numberText))) return hr;
    if (fields.helpContext != 0 && FAILED(hr = NumberText(fields.helpContext, fields.helpContextText))) return hr;
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
