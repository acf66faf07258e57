// Lets a text box act on its form's default button: while the text box has the focus, a "local"
// command button is the default button; when the focus leaves, the form's "global" default
// button gets the role back.
#pragma once

#include <wrl/client.h>

#include "DispatchObject.h"
#include "Kelmor0200.h"
#include "TextBoxEventSink.h"

namespace kelmor {

class nvkTextBoxDefButtonWatcher final : public DispatchObject<_nvkTextBoxDefButtonWatcher>,
                                         private TextBoxEventHandler {
public:
    // Class factory entry: a new object asked for as `riid`.
    static HRESULT CreateInstance(REFIID riid, void** ppv);

    HRESULT STDMETHODCALLTYPE Init(IDispatch *Global_CommandButton, IDispatch *Local_CommandButton, IDispatch *This_TextBox) override;

private:
    friend class DispatchObject<_nvkTextBoxDefButtonWatcher>;
    nvkTextBoxDefButtonWatcher() = default;
    ~nvkTextBoxDefButtonWatcher() override;
    void StopWatching();

    HRESULT OnKeyDown(SHORT*, SHORT*) override { return S_OK; }
    HRESULT OnGotFocus() override;
    HRESULT OnLostFocus() override;

    Microsoft::WRL::ComPtr<IDispatch> global_;
    Microsoft::WRL::ComPtr<IDispatch> local_;
    Microsoft::WRL::ComPtr<IDispatch> textBox_;
    Microsoft::WRL::ComPtr<TextBoxEventSink> sink_;
};

}  // namespace kelmor
