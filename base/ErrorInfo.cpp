#include "ErrorInfo.h"

#include <oleauto.h>
#include <wrl/client.h>

#include "Module.h"
#include "core/RuntimeErrors.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

ErrorSourceNamer g_namer = nullptr;  // set once when the binary starts

HRESULT Publish(const std::wstring& source, const std::wstring& description,
                const std::wstring& helpFile, DWORD helpContext) {
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        create->SetGUID(GUID_NULL);
        create->SetSource(const_cast<LPOLESTR>(source.c_str()));
        create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
        create->SetHelpFile(const_cast<LPOLESTR>(helpFile.c_str()));
        create->SetHelpContext(helpContext);
        ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create.As(&info))) return SetErrorInfo(0, info.Get());
    }
    return E_OUTOFMEMORY;
}

}  // namespace

HRESULT RaiseError(const RaisedError& e) {
    const std::wstring source = e.source.empty() ? std::wstring(kLibraryName) : e.source;
    const std::wstring description =
        e.description.empty() ? Wide(core::RuntimeErrorText(e.number)) : e.description;
    Publish(source, description, e.helpFile, e.helpContext);
    return static_cast<HRESULT>(core::RuntimeErrorHResult(e.number));
}

HRESULT RaiseError(LONG number, const std::wstring& source, const std::wstring& description) {
    RaisedError e;
    e.number = number;
    e.source = source;
    e.description = description;
    return RaiseError(e);
}

std::wstring SystemMessageText(HRESULT hr) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(hr), 0,
                             reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring description = n ? std::wstring(text, n) : L"Automation error";
    if (text) LocalFree(text);
    while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r'))
        description.pop_back();
    return description;
}

HRESULT RaiseHResult(HRESULT code, const RaisedError& info) {
    Publish(info.source.empty() ? std::wstring(kLibraryName) : info.source,
            info.description.empty() ? SystemMessageText(code) : info.description, info.helpFile, info.helpContext);
    return code;
}

HRESULT PassOnError(HRESULT hr, const std::wstring& source) {
    if (SUCCEEDED(hr)) return hr;
    // The callee left its error information: keep it as it is.
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) == S_OK) {
        SetErrorInfo(0, info.Get());
        return hr;
    }
    if (LONG number = core::RuntimeErrorNumber(static_cast<std::uint32_t>(hr))) {
        return RaiseError(number, source);
    }
    // A plain failure code: describe it with the system's message text when there is one.
    RaisedError e;
    e.source = source;
    return RaiseHResult(hr, e);
}

HRESULT RaiseSupportStatus(LONG status, const std::wstring& source) {
    if (status >= 0) return S_OK;
    SetErrorInfo(0, nullptr);
    return PassOnError(status, source);
}

void SetErrorSourceNamer(ErrorSourceNamer namer) { g_namer = namer; }

std::wstring ErrorSourceOf(REFIID iid) {
    if (g_namer) return g_namer(iid);
    std::wstring path = Module::Path();
    const size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos) path.erase(0, slash + 1);
    const size_t dot = path.rfind(L'.');
    if (dot != std::wstring::npos) path.erase(dot);
    return path.empty() ? std::wstring(kLibraryName) : path;
}

}  // namespace kelmor
