// An 8-bit, NUL-terminated string kept in a buffer of its own, whose address native code can be
// handed to read or fill the string.
#pragma once

#include <cstdint>
#include <vector>

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class StringBuffA final : public DispatchObject<_StringBuffA> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE put_StringValue(LONG Length, BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_StringValue(LONG Length, BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE Allocate(LONG Length, NvkApiBool *Result) override;
    HRESULT STDMETHODCALLTYPE PlaceString(BSTR NewString, LONG Length, LONG_PTR *Result) override;
    HRESULT STDMETHODCALLTYPE pString(LONG_PTR *Result) override;
    HRESULT STDMETHODCALLTYPE CopyBuffer(SAFEARRAY **DestBuffer) override;
    HRESULT STDMETHODCALLTYPE GetBufferLength(LONG *Result) override;

private:
    // Bytes in the ANSI code page, never empty: a new object holds one zero byte. Every change
    // builds a new array and swaps it in, so a failure leaves the old one (and its address).
    std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(1, 0);
};

}  // namespace kelmor
