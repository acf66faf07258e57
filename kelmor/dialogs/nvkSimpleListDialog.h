// A modal window that shows a list of lines; clicking a line shows its tag (the text after its
// first TAB) under the list. The caller fills Elements, may set a caption and a font, and calls
// Show, which returns when the user closes the window.
#pragma once

#include <wrl/client.h>

#include <string>

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class nvkSimpleListDialog final : public DispatchObject<_nvkSimpleListDialog> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE get_Elements(_Collection **Result) override;
    HRESULT STDMETHODCALLTYPE putref_Elements(_Collection *Value) override;
    HRESULT STDMETHODCALLTYPE put_Elements(_Collection *Value) override;
    HRESULT STDMETHODCALLTYPE putref_Font(Font *Value) override;
    HRESULT STDMETHODCALLTYPE put_Font(Font *Value) override;
    HRESULT STDMETHODCALLTYPE get_Font(Font **Result) override;
    HRESULT STDMETHODCALLTYPE put_ShowCountInCaption(VARIANT_BOOL Value) override;
    HRESULT STDMETHODCALLTYPE get_ShowCountInCaption(VARIANT_BOOL *Result) override;
    HRESULT STDMETHODCALLTYPE put_Caption(BSTR Value) override;
    HRESULT STDMETHODCALLTYPE get_Caption(BSTR *Result) override;
    HRESULT STDMETHODCALLTYPE Show() override;

private:
    // The defaults: an empty collection and the dialog's font.
    HRESULT Init();

    Microsoft::WRL::ComPtr<_Collection> elements_;
    Microsoft::WRL::ComPtr<IFontDisp> font_;
    std::wstring caption_;
    bool showCountInCaption_ = true;
};

// The list dialog's default font: Tahoma 9 point, character set 204, not bold, italic,
// underlined or struck out, weight 100. The properties are assigned in the order Bold,
// Charset, Italic, Name, Size, Strikethrough, Underline, Weight: the weight is set last, so it
// stays 100.
HRESULT NewListDialogFont(IFontDisp** result);

}  // namespace kelmor
