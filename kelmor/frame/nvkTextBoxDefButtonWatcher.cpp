#include "nvkTextBoxDefButtonWatcher.h"

#include "LateBound.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

const std::wstring& Source() {
    static const std::wstring source = L"Kelmor0200.nvkTextBoxDefButtonWatcher";
    return source;
}

// `object` as interface `iid` of the forms runtime (none stays none); false when it is not one.
bool AsControl(IDispatch* object, REFIID iid, ComPtr<IDispatch>* control) {
    control->Reset();
    if (!object) return true;
    return SUCCEEDED(object->QueryInterface(iid, reinterpret_cast<void**>(control->GetAddressOf())));
}

HRESULT SetDefault(IDispatch* button, bool value) {
    VARIANT v;
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
    return late::PutProperty(button, L"Default", v, Source());
}

}  // namespace

HRESULT nvkTextBoxDefButtonWatcher::CreateInstance(REFIID riid, void** ppv) { return Create<nvkTextBoxDefButtonWatcher>(riid, ppv); }

nvkTextBoxDefButtonWatcher::~nvkTextBoxDefButtonWatcher() { StopWatching(); }

void nvkTextBoxDefButtonWatcher::StopWatching() {
    if (sink_) {
        sink_->Disconnect();
        sink_.Reset();
    }
    textBox_.Reset();
}

HRESULT nvkTextBoxDefButtonWatcher::Init(IDispatch *Global_CommandButton, IDispatch *Local_CommandButton, IDispatch *This_TextBox) {
    return Guard([&]() -> HRESULT {
        ComPtr<IDispatch> global, local, textBox;
        if (!AsControl(Global_CommandButton, __uuidof(::CommandButton), &global) ||
            !AsControl(Local_CommandButton, __uuidof(::CommandButton), &local) ||
            !AsControl(This_TextBox, __uuidof(::TextBox), &textBox)) {
            return Raise(13);
        }
        ComPtr<TextBoxEventSink> sink;
        if (textBox) {
            HRESULT hr = TextBoxEventSink::Connect(textBox.Get(), this, &sink);
            if (FAILED(hr)) return hr == E_NOINTERFACE ? Raise(13) : PassOnError(hr, Source());
        }
        StopWatching();
        global_ = std::move(global);
        local_ = std::move(local);
        textBox_ = std::move(textBox);
        sink_ = std::move(sink);
        return S_OK;
    });
}

HRESULT nvkTextBoxDefButtonWatcher::OnGotFocus() {
    if (!local_) return S_OK;
    return SetDefault(local_.Get(), true);
}

HRESULT nvkTextBoxDefButtonWatcher::OnLostFocus() {
    if (local_) {
        HRESULT hr = SetDefault(local_.Get(), false);
        if (FAILED(hr)) return hr;
    }
    if (global_) return SetDefault(global_.Get(), true);
    return S_OK;
}

}  // namespace kelmor
