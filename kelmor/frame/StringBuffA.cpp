#include "StringBuffA.h"

#include <oleauto.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <span>
#include <string>

#include "AnsiText.h"
#include "core/StringBufferRules.h"

namespace kelmor {
namespace {

// Error 10: the caller's array cannot be replaced.
constexpr LONG kArrayFixedOrLocked = 10;

// `size` zero bytes. A buffer too large to have its size reported as a signed 32-bit count is
// refused like one the system cannot give.
std::vector<std::uint8_t> ZeroBytes(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) throw std::bad_alloc();
    return std::vector<std::uint8_t>(size, 0);
}

// Whether the caller's array may be destroyed and replaced: not one of fixed size or held in
// place by its owner, and not locked.
bool Replaceable(const SAFEARRAY* array) {
    constexpr USHORT kHeld = FADF_FIXEDSIZE | FADF_STATIC | FADF_AUTO | FADF_EMBEDDED;
    return array->cLocks == 0 && (array->fFeatures & kHeld) == 0;
}

}  // namespace

HRESULT StringBuffA::CreateInstance(REFIID riid, void** ppv) { return Create<StringBuffA>(riid, ppv); }

HRESULT StringBuffA::put_StringValue(LONG Length, BSTR Value) {
    return Guard([&]() -> HRESULT {
        const std::u16string_view text(reinterpret_cast<const char16_t*>(Value ? Value : L""), SysStringLen(Value));
        const core::BufferPlan plan = core::PlanBuffer(text, Length);
        // Exactly or not at all: a look-alike character put in place of one the code page
        // lacks would hand native code a different string than the caller gave.
        std::string ansi;
        if (const DWORD failure = ToAnsi(Value, plan.kept, ansi); failure != ERROR_SUCCESS)
            return Raise(5, SystemMessageText(HRESULT_FROM_WIN32(failure)));
        if (plan.nuls > static_cast<std::size_t>(INT_MAX) - ansi.size()) throw std::bad_alloc();
        std::vector<std::uint8_t> bytes = ZeroBytes(ansi.size() + plan.nuls);
        std::memcpy(bytes.data(), ansi.data(), ansi.size());
        buffer_.swap(bytes);
        return S_OK;
    });
}

// The text before the first NUL (or the whole buffer when native code left none).
HRESULT StringBuffA::get_StringValue(LONG, BSTR *Result) {
    if (!Result) return E_POINTER;
    *Result = nullptr;
    const auto end = std::find(buffer_.begin(), buffer_.end(), std::uint8_t{0});
    *Result = AnsiToBstr(std::span<const std::uint8_t>(buffer_.data(), static_cast<std::size_t>(end - buffer_.begin())));
    return *Result ? S_OK : Raise(7);
}

HRESULT StringBuffA::Allocate(LONG Length, NvkApiBool *Result) {
    if (!Result) return E_POINTER;
    *Result = VARIANT_FALSE;
    if (Length < 1) return S_OK;
    return Guard([&]() -> HRESULT {
        std::vector<std::uint8_t> bytes = ZeroBytes(static_cast<std::size_t>(Length));
        buffer_.swap(bytes);
        *Result = VARIANT_TRUE;
        return S_OK;
    });
}

HRESULT StringBuffA::PlaceString(BSTR NewString, LONG Length, LONG_PTR *Result) {
    if (!Result) return E_POINTER;
    *Result = 0;
    const HRESULT hr = put_StringValue(Length, NewString);
    return FAILED(hr) ? hr : pString(Result);
}

HRESULT StringBuffA::pString(LONG_PTR *Result) {
    if (!Result) return E_POINTER;
    *Result = reinterpret_cast<LONG_PTR>(buffer_.data());
    return S_OK;
}

// The caller's array becomes a copy of the buffer, bounds 0 to size - 1, whatever it held.
HRESULT StringBuffA::CopyBuffer(SAFEARRAY **DestBuffer) {
    if (!DestBuffer) return E_POINTER;
    SAFEARRAY* old = *DestBuffer;
    if (old) {
        VARTYPE held = VT_EMPTY;
        if (FAILED(SafeArrayGetVartype(old, &held)) || held != VT_UI1) return Raise(13);
        if (!Replaceable(old)) return Raise(kArrayFixedOrLocked);
    }
    SAFEARRAY* copy = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(buffer_.size()));
    if (!copy) return Raise(7);
    std::memcpy(copy->pvData, buffer_.data(), buffer_.size());
    if (old && FAILED(SafeArrayDestroy(old))) {
        SafeArrayDestroy(copy);
        return Raise(kArrayFixedOrLocked);
    }
    *DestBuffer = copy;
    return S_OK;
}

HRESULT StringBuffA::GetBufferLength(LONG *Result) {
    if (!Result) return E_POINTER;
    *Result = static_cast<LONG>(buffer_.size());
    return S_OK;
}

}  // namespace kelmor
