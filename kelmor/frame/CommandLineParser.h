// Splits a command line into the program name and its arguments.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class CommandLineParser final : public DispatchObject<_CommandLineParser> {
public:
    // Objects of this class are made by other objects of the library only.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE get_Count(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE get_Item(LONG Index, BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE SetNewCommandLine(BSTR NewCommandLine, VARIANT_BOOL AddDummyEXEModuleName) override;
};

}  // namespace kelmor
