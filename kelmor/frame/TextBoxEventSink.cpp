#include "TextBoxEventSink.h"

#include <oleauto.h>

#include <new>

#include "Owners.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

// The control's default source interface: from its class information when it has some,
// otherwise the first connection point it offers.
HRESULT EventInterfaceOf(IDispatch* control, IConnectionPointContainer* container, IID* events) {
    ComPtr<IProvideClassInfo2> classInfo;
    if (SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&classInfo))) &&
        SUCCEEDED(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, events)) && !IsEqualIID(*events, IID_NULL)) {
        return S_OK;
    }
    ComPtr<IEnumConnectionPoints> points;
    HRESULT hr = container->EnumConnectionPoints(&points);
    if (FAILED(hr)) return hr;
    ComPtr<IConnectionPoint> point;
    ULONG fetched = 0;
    if (points->Next(1, point.GetAddressOf(), &fetched) != S_OK || !point) return E_NOINTERFACE;
    return point->GetConnectionInterface(events);
}

// Type information of the event interface: from the control's class information, or from the
// type library that describes the control's own interface.
ComPtr<ITypeInfo> EventTypeInfo(IDispatch* control, REFIID events) {
    ComPtr<ITypeInfo> info;
    ComPtr<ITypeInfo> own;
    ComPtr<ITypeLib> library;
    UINT index = 0;
    if (SUCCEEDED(control->GetTypeInfo(0, LOCALE_USER_DEFAULT, &own)) && own &&
        SUCCEEDED(own->GetContainingTypeLib(&library, &index)) &&
        SUCCEEDED(library->GetTypeInfoOfGuid(events, &info))) {
        return info;
    }
    ComPtr<IProvideClassInfo> classInfo;
    ComPtr<ITypeInfo> coclass;
    if (SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&classInfo))) &&
        SUCCEEDED(classInfo->GetClassInfo(&coclass)) && SUCCEEDED(coclass->GetContainingTypeLib(&library, &index)) &&
        SUCCEEDED(library->GetTypeInfoOfGuid(events, &info))) {
        return info;
    }
    return nullptr;
}

// Points at the 16-bit value an event argument passes by reference (a short, or a variant
// holding one); nullptr when it is something else.
SHORT* ShortRef(VARIANT& argument) {
    if (V_VT(&argument) == (VT_I2 | VT_BYREF)) return V_I2REF(&argument);
    if (V_VT(&argument) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(&argument) &&
        V_VT(V_VARIANTREF(&argument)) == VT_I2) {
        return &V_I2(V_VARIANTREF(&argument));
    }
    return nullptr;
}

}  // namespace

HRESULT TextBoxEventSink::Connect(IDispatch* control, TextBoxEventHandler* handler,
                                  ComPtr<TextBoxEventSink>* result) {
    if (!control || !handler || !result) return E_POINTER;
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&container));
    if (FAILED(hr)) return E_NOINTERFACE;
    ComPtr<TextBoxEventSink> sink;
    Adopt(sink, new (std::nothrow) TextBoxEventSink());
    if (!sink) return E_OUTOFMEMORY;
    IID events = IID_NULL;
    hr = EventInterfaceOf(control, container.Get(), &events);
    if (FAILED(hr)) return hr;
    if (ComPtr<ITypeInfo> info = EventTypeInfo(control, events)) {
        struct { const wchar_t* name; DISPID* id; } members[] = {
            {L"KeyDown", &sink->keyDown_}, {L"GotFocus", &sink->gotFocus_}, {L"LostFocus", &sink->lostFocus_}};
        for (auto& member : members) {
            LPOLESTR name = const_cast<LPOLESTR>(member.name);
            DISPID id = DISPID_UNKNOWN;
            // An event the control does not have is never raised: it keeps an id no event uses.
            *member.id = SUCCEEDED(info->GetIDsOfNames(&name, 1, &id)) ? id : DISPID_UNKNOWN;
        }
    }
    sink->handler_ = handler;
    hr = sink->Advise(container.Get(), events);
    if (FAILED(hr)) {
        sink->handler_ = nullptr;
        return hr;
    }
    *result = sink;
    return S_OK;
}

HRESULT TextBoxEventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                 UINT*) {
    if (result) VariantInit(result);
    if (!handler_) return S_OK;
    // The handler may disconnect this sink while it runs.
    ComPtr<TextBoxEventSink> keep(this);
    if (id == keyDown_) {
        if (!params || params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
        SHORT* keyCode = ShortRef(params->rgvarg[1]);
        SHORT* shift = ShortRef(params->rgvarg[0]);
        if (!keyCode || !shift) return DISP_E_TYPEMISMATCH;
        return handler_->OnKeyDown(keyCode, shift);
    }
    if (id == gotFocus_) return handler_->OnGotFocus();
    if (id == lostFocus_) return handler_->OnLostFocus();
    return S_OK;  // events the sink does not follow
}

}  // namespace kelmor
