// Receives the TabShown event of a tab control (dispatch interface __nvkTabControl) through the
// control's connection point, as any automation client sinks it, and hands the page index to a
// handler. A private class of the library.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <functional>

namespace kelmor {

class TabShownSink final : public IDispatch {
public:
    using Handler = std::function<void(LONG currentTab)>;

    // A new sink connected to `tabControl`'s events (one reference held by the caller). Fails
    // with the connection's error; nothing is connected then.
    static HRESULT Connect(IUnknown* tabControl, Handler handler, Microsoft::WRL::ComPtr<TabShownSink>* sink);
    // Ends the connection; the handler is not called any more. Safe to call twice.
    void Disconnect();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override;

private:
    explicit TabShownSink(Handler handler);
    ~TabShownSink();

    LONG refs_ = 1;
    Handler handler_;
    Microsoft::WRL::ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

}  // namespace kelmor
