// The forms runtime's error object: number, source, description, help file and help context of
// an error. The library builds one from a failed call to hand the error to code that reads
// errors by their properties (the event logger's report texts).
#pragma once

#include <string>

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class ErrObject final : public DispatchObject<_ErrObject> {
public:
    // A cleared error object (one reference held by the caller), or nullptr when out of memory.
    static ErrObject* New();
    // The error of a failed call that returned `hr`. The thread's error information, when the
    // callee left one, gives source, description and help (and is taken, as a caller that
    // handles the error does). The number is the runtime error number of a 0x800A.... code and
    // the code itself for any other failure; without error information the description is the
    // runtime's text of that number or the system's text of the code. An error that names no
    // source gets `source`: the component whose code met it.
    static ErrObject* FromFailure(HRESULT hr, const std::wstring& source = {});

    HRESULT STDMETHODCALLTYPE get_Number(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_Number(LONG Value) override;
    HRESULT STDMETHODCALLTYPE get_Source(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_Source(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_Description(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_Description(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_HelpFile(BSTR* Value) override;
    HRESULT STDMETHODCALLTYPE put_HelpFile(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_HelpContext(LONG* Value) override;
    HRESULT STDMETHODCALLTYPE put_HelpContext(LONG Value) override;
    // Sets the number and the given fields and raises the error: the result is the error's
    // HRESULT with the thread's error information filled.
    HRESULT STDMETHODCALLTYPE Raise(LONG Number, VARIANT* Source, VARIANT* Description, VARIANT* HelpFile,
                                    VARIANT* HelpContext) override;
    HRESULT STDMETHODCALLTYPE Clear() override;
    HRESULT STDMETHODCALLTYPE get_LastDllError(LONG* Value) override;

    // Library-side access.
    LONG Number() const { return number_; }
    const std::wstring& Description() const { return description_; }
    const std::wstring& Source() const { return source_; }

private:
    LONG number_ = 0;
    std::wstring source_;
    std::wstring description_;
    std::wstring helpFile_;
    LONG helpContext_ = 0;
};

}  // namespace kelmor
