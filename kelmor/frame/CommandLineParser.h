// Splits a command line into the program name and its arguments and hands them out by index:
// -1 is the program name, 0 .. Count - 1 the arguments.
#pragma once

#include <string>
#include <vector>

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class CommandLineParser final : public DispatchObject<_CommandLineParser> {
public:
    // Objects of this class are made by other objects of the library only.
    static HRESULT CreateInstance(REFIID riid, void** ppv);
    // A parser of this process's command line (which begins with the program name).
    static HRESULT FromProcess(_CommandLineParser** parser);

    HRESULT STDMETHODCALLTYPE get_Count(LONG *Result) override;
    HRESULT STDMETHODCALLTYPE get_Item(LONG Index, BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE SetNewCommandLine(BSTR NewCommandLine, VARIANT_BOOL AddDummyEXEModuleName) override;

private:
    // Raises a negative status of the support library as an error of the parser.
    HRESULT SupportFailure(LONG status) const;

    // The program name first, then the arguments; empty only after a text without any item was
    // set without the program name.
    std::vector<std::u16string> items_;
};

}  // namespace kelmor
