#include "AppObject.h"

#include <cwchar>
#include <string>
#include <vector>

namespace kelmor {
namespace {

std::wstring ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);  // truncated: try again with room to spare
    }
}

// The version resource of a file, with the language and code page its texts are read in.
class VersionInfo {
public:
    explicit VersionInfo(const std::wstring& path) {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        if (size == 0) return;
        data_.resize(size);
        if (!GetFileVersionInfoW(path.c_str(), 0, size, data_.data())) {
            data_.clear();
            return;
        }
        // The languages the resource lists first, then US English and Russian in Unicode.
        struct Translation {
            WORD language;
            WORD codePage;
        };
        Translation* listed = nullptr;
        UINT bytes = 0;
        if (VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&listed), &bytes)) {
            for (UINT i = 0; i < bytes / sizeof(Translation); ++i)
                keys_.push_back(KeyOf(listed[i].language, listed[i].codePage));
        }
        keys_.push_back(KeyOf(0x0409, 1200));
        keys_.push_back(KeyOf(0x0419, 1200));
        keys_.push_back(KeyOf(0x0409, 1252));
        keys_.push_back(KeyOf(0x0419, 1251));
    }

    const VS_FIXEDFILEINFO* Fixed() const {
        if (data_.empty()) return nullptr;
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT bytes = 0;
        if (!VerQueryValueW(data_.data(), L"\\", reinterpret_cast<void**>(&fixed), &bytes) || bytes < sizeof *fixed)
            return nullptr;
        return fixed;
    }

    // A text of the string table; empty when the resource has none.
    std::wstring Text(const wchar_t* name) const {
        if (data_.empty()) return {};
        for (const std::wstring& key : keys_) {
            const std::wstring query = L"\\StringFileInfo\\" + key + L"\\" + name;
            wchar_t* text = nullptr;
            UINT length = 0;
            if (VerQueryValueW(data_.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) && text) {
                std::wstring value(text, wcsnlen(text, length));
                return value;
            }
        }
        return {};
    }

private:
    static std::wstring KeyOf(WORD language, WORD codePage) {
        wchar_t key[9];
        std::swprintf(key, 9, L"%04x%04x", language, codePage);
        return key;
    }

    std::vector<unsigned char> data_;
    std::vector<std::wstring> keys_;
};

bool Blank(const std::wstring& text) { return text.find_first_not_of(L" \t") == std::wstring::npos; }

}  // namespace

AppObject* AppObject::New(HMODULE module) { return DispatchObject::New<AppObject>(module); }

AppObject::AppObject(HMODULE module) {
    if (!module) module = GetModuleHandleW(nullptr);
    const std::wstring path = ModulePath(module);
    const size_t slash = path.find_last_of(L"\\/");
    path_ = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
    // The folder of a root keeps its backslash ("C:\").
    if (path_.size() == 2 && path_[1] == L':') path_ += L'\\';
    exeName_ = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (const size_t dot = exeName_.find_last_of(L'.'); dot != std::wstring::npos) exeName_.resize(dot);

    const VersionInfo version(path);
    if (const VS_FIXEDFILEINFO* fixed = version.Fixed()) {
        // Versions are written as major.minor.0.revision.
        major_ = static_cast<short>(HIWORD(fixed->dwFileVersionMS));
        minor_ = static_cast<short>(LOWORD(fixed->dwFileVersionMS));
        revision_ = static_cast<short>(LOWORD(fixed->dwFileVersionLS));
    }
    comments_ = version.Text(L"Comments");
    companyName_ = version.Text(L"CompanyName");
    fileDescription_ = version.Text(L"FileDescription");
    legalCopyright_ = version.Text(L"LegalCopyright");
    legalTrademarks_ = version.Text(L"LegalTrademarks");
    productName_ = version.Text(L"ProductName");
    title_ = Blank(fileDescription_) ? exeName_ : fileDescription_;
    // The runtime's numbers are 32-bit: a module handle of a 64-bit process keeps its low half.
    hInstance_ = static_cast<LONG>(reinterpret_cast<LONG_PTR>(module));
    threadId_ = static_cast<LONG>(GetCurrentThreadId());
}

}  // namespace kelmor
