// Receives the TabShown event of a tab control (dispatch interface __nvkTabControl) through the
// control's connection point, as any automation client sinks it, and hands the page index to a
// handler. A private class of the library.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <functional>
#include <utility>

#include "EventSink.h"

namespace kelmor {

class TabShownSink final : public EventSink {
public:
    using Handler = std::function<void(LONG currentTab)>;

    // A new sink connected to `tabControl`'s events (one reference held by the caller). Fails
    // with the connection's error; nothing is connected then.
    static HRESULT Connect(IUnknown* tabControl, Handler handler, Microsoft::WRL::ComPtr<TabShownSink>* sink);

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excep, UINT* argErr) override;

private:
    explicit TabShownSink(Handler handler) : handler_(std::move(handler)) {}
    ~TabShownSink() override = default;
    void ForgetHandler() override { handler_ = nullptr; }

    Handler handler_;
};

}  // namespace kelmor
