// Shared pieces of the DLL's functions: statuses, BSTR in and out, owners of handles, the
// growing buffers of the system's text queries, the ANSI code page check.
#pragma once

#include "../NevkitSupport0100.h"
#include "../core/support_core.h"

#include <olectl.h>

#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace nksupport::win {

constexpr LONG kOk = 0;
constexpr LONG kBadArgument = static_cast<LONG>(Status::BadArgument);
constexpr LONG kOverflow = static_cast<LONG>(Status::Overflow);

inline LONG ToStatus(Status s) {
    return static_cast<LONG>(s);
}

// The last system error as a status; never 0, so a failure is never taken for success.
LONG LastErrorStatus();
inline LONG Win32Status(DWORD error) {
    return error == 0 ? E_FAIL : HRESULT_FROM_WIN32(error);
}

// Runs one exported function body: no C++ exception leaves the DLL.
template <class Body>
LONG Guarded(Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// A BSTR's text (NULL is the empty text), embedded NULs included.
std::wstring FromBstr(BSTR text);
std::u16string U16FromBstr(BSTR text);
std::u16string ToU16(std::wstring_view text);
std::wstring ToWide(std::u16string_view text);
// A text meant as a name or path must not hold a NUL: the system would see a shorter name.
inline bool HasNul(std::wstring_view text) {
    return text.find(L'\0') != std::wstring_view::npos;
}

// Hands a new BSTR to *result (already cleared by the caller).
LONG PutText(std::wstring_view text, BSTR* result);
LONG PutText(std::u16string_view text, BSTR* result);
inline VARIANT_BOOL ToVariantBool(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}
// A truth-value argument: -1 (true) or 0; anything else is a bad argument.
inline bool IsTruthValue(LONG value) {
    return value == 0 || value == -1;
}

// Full path of a loaded module (NULL: the program), of any length.
LONG ModulePath(HMODULE module, std::wstring& path);
// The long form of a path; false with the system error when the system cannot resolve it.
bool LongPath(const std::wstring& path, std::wstring& longPath, DWORD& error);

// The text in the ANSI code page; a bad argument when a character has no exact form there
// (never best-fit): the text would silently become another one.
LONG ToAnsi(std::wstring_view text, std::string& bytes);
// 8-bit text of a code page as UTF-16 (bytes the code page does not define become U+FFFD or
// the code page's own choice, as the system decodes them).
LONG FromCodePage(UINT codePage, std::string_view bytes, std::wstring& text);

// Owner of one handle kind; Close is the close function, Invalid the value meaning none.
template <class Handle, class Traits>
class Unique {
public:
    Unique() = default;
    explicit Unique(Handle h) : handle_(h) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { reset(); }
    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    Handle release() { return std::exchange(handle_, Traits::Invalid()); }
    void reset(Handle h = Traits::Invalid()) {
        if (handle_ != Traits::Invalid()) Traits::Close(handle_);
        handle_ = h;
    }
    Handle* put() {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::Invalid();
};

struct HandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct FileTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct HKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY h) { RegCloseKey(h); }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};
struct LocalTraits {
    static HLOCAL Invalid() { return nullptr; }
    static void Close(HLOCAL h) { LocalFree(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Close(HMODULE h) { FreeLibrary(h); }
};

using UniqueHandle = Unique<HANDLE, HandleTraits>;
using UniqueFile = Unique<HANDLE, FileTraits>;
using UniqueHKey = Unique<HKEY, HKeyTraits>;
using UniqueIcon = Unique<HICON, IconTraits>;
using UniqueLocal = Unique<HLOCAL, LocalTraits>;
using UniqueModule = Unique<HMODULE, ModuleTraits>;

// A picture object that takes over the handle: on success the picture owns it, on failure
// the handle is still the caller's.
LONG MakePicture(const PICTDESC& description, IPictureDisp** result);

}  // namespace nksupport::win
