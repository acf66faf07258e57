// Lets a text box act on its form's default button.
#pragma once

#include "DispatchObject.h"
#include "Kelmor0200.h"

namespace kelmor {

class nvkTextBoxDefButtonWatcher final : public DispatchObject<_nvkTextBoxDefButtonWatcher> {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE Init(IDispatch *Global_CommandButton, IDispatch *Local_CommandButton, IDispatch *This_TextBox) override;
};

}  // namespace kelmor
