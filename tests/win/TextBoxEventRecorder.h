// A client's sink for a text box's events (KeyDown, GotFocus, LostFocus), as the tests connect
// one: it records the KeyDown values it receives, counts the focus events and can take one key
// (set its code to 0, so the control ignores it).
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "Kelmor0200.h"
#include "TestSupport.h"

namespace kelmor::test {

class TextBoxEventRecorder final : public StackDispatch {
public:
    TextBoxEventRecorder() : StackDispatch(DIID_TextBoxEvents) {}

    std::vector<std::pair<SHORT, SHORT>> keys;  // key code and shift mask of each KeyDown
    int gotFocus = 0;
    int lostFocus = 0;
    SHORT takeKey = 0;  // a key code set to 0 when it comes; 0: none

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (id == DISPID_KEYDOWN && params->cArgs == 2) {
            SHORT* keyCode = V_I2REF(&params->rgvarg[1]);
            keys.emplace_back(*keyCode, *V_I2REF(&params->rgvarg[0]));
            if (takeKey != 0 && *keyCode == takeKey) *keyCode = 0;
        }
        if (id == 1) ++gotFocus;
        if (id == 2) ++lostFocus;
        return S_OK;
    }

    // Connects to `control`'s events; the cookie to disconnect with.
    DWORD Connect(IUnknown* control) {
        Microsoft::WRL::ComPtr<IConnectionPointContainer> container;
        EXPECT_EQ(Hr(S_OK), Hr(control->QueryInterface(IID_PPV_ARGS(&container))));
        if (!container) return 0;
        EXPECT_EQ(Hr(S_OK), Hr(container->FindConnectionPoint(DIID_TextBoxEvents, &point_)));
        DWORD cookie = 0;
        if (point_) {
            EXPECT_EQ(Hr(S_OK), Hr(point_->Advise(this, &cookie)));
        }
        return cookie;
    }
    void Disconnect(DWORD cookie) {
        if (point_) {
            EXPECT_EQ(Hr(S_OK), Hr(point_->Unadvise(cookie)));
        }
        point_.Reset();
    }

private:
    Microsoft::WRL::ComPtr<IConnectionPoint> point_;
};

}  // namespace kelmor::test
