// Keeps pasted text out of a locked text box: swallows Shift+Insert while the watched text box is
// locked. Made and kept by nvkMain.AddTextBoxInsertHook; a private class of the library, callable
// by name (TextBoxObject, and CurrentHook, another name for it) like the objects a client makes.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include "TextBoxEventSink.h"

namespace kelmor {

class CTextBoxInsertHook final : public IDispatch, private TextBoxEventHandler {
public:
    // A new hook watching nothing (one reference held by the caller); nullptr when out of memory.
    static CTextBoxInsertHook* New();

    // The watched text box (nullptr: none); setting connects to the new control's events and
    // disconnects from the old one's.
    IDispatch* TextBoxObject() const { return textBox_.Get(); }
    HRESULT SetTextBoxObject(IDispatch* textBox);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override;

private:
    CTextBoxInsertHook() = default;
    ~CTextBoxInsertHook();

    HRESULT OnKeyDown(SHORT* keyCode, SHORT* shift) override;
    HRESULT OnGotFocus() override { return S_OK; }
    HRESULT OnLostFocus() override { return S_OK; }

    LONG refs_ = 1;
    Microsoft::WRL::ComPtr<IDispatch> textBox_;
    Microsoft::WRL::ComPtr<TextBoxEventSink> sink_;
};

}  // namespace kelmor
