// Helpers of the stream tests on Windows: a scratch folder with files, the thread's error
// information, and properties read through IDispatch as a script reads them.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kelmor::test {

// A fresh folder under the temporary folder, removed with what it holds at the end.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH + 1];
        const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
        path_ = std::wstring(temp, n) + L"kelmor-streams-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount());
        created_ = CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
    }
    ~ScratchFolder() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            if (!DeleteFileW(it->c_str())) RemoveDirectoryW(it->c_str());
        }
        RemoveDirectoryW(path_.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool ok() const { return created_; }
    const std::wstring& path() const { return path_; }

    // A file `name` holding `content`; its full path.
    std::wstring File(const std::wstring& name, const std::string& content) {
        const std::wstring full = path_ + L"\\" + name;
        HANDLE h = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, h) << "cannot make the test file, error " << GetLastError();
        if (h == INVALID_HANDLE_VALUE) return full;
        DWORD written = 0;
        WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(h);
        made_.push_back(full);
        return full;
    }
    std::wstring Folder(const std::wstring& name) {
        const std::wstring full = path_ + L"\\" + name;
        EXPECT_TRUE(CreateDirectoryW(full.c_str(), nullptr)) << "error " << GetLastError();
        made_.push_back(full);
        return full;
    }

private:
    std::wstring path_;
    bool created_ = false;
    std::vector<std::wstring> made_;
};

// The thread's error information, taken (and so cleared).
struct TakenError {
    bool present = false;
    std::wstring source;
    std::wstring description;
};

inline TakenError TakeError() {
    TakenError t;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return t;
    t.present = true;
    BSTR text = nullptr;
    if (SUCCEEDED(info->GetSource(&text)) && text) t.source = text;
    SysFreeString(text);
    text = nullptr;
    if (SUCCEEDED(info->GetDescription(&text)) && text) t.description = text;
    SysFreeString(text);
    info->Release();
    return t;
}

// A member called by name through IDispatch: a property read, or a method with arguments
// (given in order; IDispatch wants them last first).
inline HRESULT CallByName(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> args,
                          VARIANT* result, EXCEPINFO* excep = nullptr) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    EXCEPINFO local{};
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, excep ? excep : &local,
                        nullptr);
    if (!excep) {
        SysFreeString(local.bstrSource);
        SysFreeString(local.bstrDescription);
        SysFreeString(local.bstrHelpFile);
    }
    return hr;
}

inline std::wstring Bstr(BSTR s) {
    std::wstring text(s ? s : L"", SysStringLen(s));
    SysFreeString(s);
    return text;
}

}  // namespace kelmor::test
