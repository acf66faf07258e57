#include "CTextBoxInsertHook.h"

#include <oleauto.h>

#include <new>

#include "ErrorInfo.h"
#include "LateBound.h"
#include "Module.h"
#include "Owners.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

constexpr DISPID kTextBoxObject = 1;
constexpr DISPID kCurrentHook = 2;
constexpr SHORT kInsertKey = 45;
constexpr SHORT kShiftAlone = 1;

const std::wstring& Source() {
    static const std::wstring source = L"Kelmor0200.CTextBoxInsertHook";
    return source;
}

}  // namespace

CTextBoxInsertHook* CTextBoxInsertHook::New() {
    CTextBoxInsertHook* hook = new (std::nothrow) CTextBoxInsertHook();
    if (hook) Module::Lock();
    return hook;
}

CTextBoxInsertHook::~CTextBoxInsertHook() {
    SetTextBoxObject(nullptr);
    Module::Unlock();
}

HRESULT CTextBoxInsertHook::SetTextBoxObject(IDispatch* textBox) {
    if (sink_) {
        sink_->Disconnect();
        sink_.Reset();
    }
    textBox_.Reset();
    if (!textBox) return S_OK;
    ComPtr<TextBoxEventSink> sink;
    HRESULT hr = TextBoxEventSink::Connect(textBox, this, &sink);
    if (FAILED(hr)) return hr == E_NOINTERFACE ? RaiseError(13, Source()) : PassOnError(hr, Source());
    textBox_ = textBox;
    sink_ = std::move(sink);
    return S_OK;
}

HRESULT CTextBoxInsertHook::OnKeyDown(SHORT* keyCode, SHORT* shift) {
    // Locked is read on every key, as the control may be locked and unlocked at any time; its
    // failure goes back to the control.
    VARIANT locked;
    VariantInit(&locked);
    HRESULT hr = late::GetProperty(textBox_.Get(), L"Locked", &locked, Source());
    if (FAILED(hr)) return hr;
    bool isLocked = false;
    if (SUCCEEDED(VariantChangeType(&locked, &locked, 0, VT_BOOL))) isLocked = V_BOOL(&locked) != VARIANT_FALSE;
    VariantClear(&locked);
    if (*keyCode == kInsertKey && *shift == kShiftAlone && isLocked) {
        *keyCode = 0;
        *shift = 0;
    }
    return S_OK;
}

HRESULT CTextBoxInsertHook::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch)) return E_NOINTERFACE;
    *ppv = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

ULONG CTextBoxInsertHook::AddRef() { return InterlockedIncrement(&refs_); }

ULONG CTextBoxInsertHook::Release() {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
}

HRESULT CTextBoxInsertHook::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CTextBoxInsertHook::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CTextBoxInsertHook::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (names[0] && CompareStringOrdinal(names[0], -1, L"TextBoxObject", -1, TRUE) == CSTR_EQUAL) {
        ids[0] = kTextBoxObject;
    } else if (names[0] && CompareStringOrdinal(names[0], -1, L"CurrentHook", -1, TRUE) == CSTR_EQUAL) {
        ids[0] = kCurrentHook;
    } else {
        hr = DISP_E_UNKNOWNNAME;
    }
    return count > 1 ? DISP_E_UNKNOWNNAME : hr;
}

HRESULT CTextBoxInsertHook::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT* argErr) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (id != kTextBoxObject && id != kCurrentHook) return DISP_E_MEMBERNOTFOUND;
    if (!params) return E_INVALIDARG;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
        VARIANT value;
        VariantInit(&value);
        if (FAILED(VariantCopyInd(&value, &params->rgvarg[0]))) return DISP_E_TYPEMISMATCH;
        HRESULT hr;
        if (V_VT(&value) == VT_DISPATCH || V_VT(&value) == VT_EMPTY) {
            hr = SetTextBoxObject(V_VT(&value) == VT_DISPATCH ? V_DISPATCH(&value) : nullptr);
        } else {
            if (argErr) *argErr = 0;
            hr = DISP_E_TYPEMISMATCH;
        }
        VariantClear(&value);
        return hr;
    }
    if (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) {
        if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
        if (result) {
            VariantInit(result);
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = textBox_.Get();
            if (textBox_) textBox_->AddRef();
        }
        return S_OK;
    }
    return DISP_E_MEMBERNOTFOUND;
}

}  // namespace kelmor
