#include "ConnectionPoint.h"

#include <olectl.h>

#include <algorithm>
#include <memory>
#include <new>

#include "Module.h"
#include "SnapshotEnumerator.h"

using Microsoft::WRL::ComPtr;

namespace kelmor {
namespace {

struct PointTraits {
    static REFIID Iid() { return IID_IEnumConnectionPoints; }
    static HRESULT Copy(IConnectionPoint*& out, IConnectionPoint* const& in) {
        out = in;
        out->AddRef();
        return S_OK;
    }
    static void Drop(IConnectionPoint*& p) { p->Release(); }
};
struct ConnectionTraits {
    static REFIID Iid() { return IID_IEnumConnections; }
    static HRESULT Copy(CONNECTDATA& out, const CONNECTDATA& in) {
        out = in;
        out.pUnk->AddRef();
        return S_OK;
    }
    static void Drop(CONNECTDATA& c) { c.pUnk->Release(); }
};
using PointEnumerator = SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*, PointTraits>;
using ConnectionEnumerator = SnapshotEnumerator<IEnumConnections, CONNECTDATA, ConnectionTraits>;

}  // namespace

EventConnections::EventConnections(IUnknown* owner, REFIID events, REFCLSID clsid)
    : owner_(owner), events_(events), clsid_(clsid) {}

EventConnections::~EventConnections() = default;

void* EventConnections::Query(REFIID riid) {
    if (IsEqualIID(riid, IID_IConnectionPointContainer)) return static_cast<IConnectionPointContainer*>(&container_);
    if (IsEqualIID(riid, IID_IProvideClassInfo) || IsEqualIID(riid, IID_IProvideClassInfo2))
        return static_cast<IProvideClassInfo2*>(&classInfo_);
    return nullptr;
}

void EventConnections::Raise(DISPID id, DISPPARAMS* params) {
    // A copy: handlers may connect, disconnect or release sinks while the event runs.
    std::vector<ComPtr<IDispatch>> targets;
    targets.reserve(sinks_.size());
    for (const Sink& s : sinks_) targets.push_back(s.target);
    DISPPARAMS none{};
    for (const ComPtr<IDispatch>& target : targets) {
        EXCEPINFO excep{};
        UINT argErr = 0;
        target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params ? params : &none,
                       nullptr, &excep, &argErr);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
    }
}

void EventConnections::Raise(DISPID id, LONG argument) {
    VARIANT arg;
    V_VT(&arg) = VT_I4;
    V_I4(&arg) = argument;
    DISPPARAMS params{&arg, nullptr, 1, 0};
    Raise(id, &params);
}

// ---- Container: a face of the object ----

HRESULT EventConnections::Container::QueryInterface(REFIID riid, void** ppv) {
    return outer_.owner_->QueryInterface(riid, ppv);
}
ULONG EventConnections::Container::AddRef() { return outer_.owner_->AddRef(); }
ULONG EventConnections::Container::Release() { return outer_.owner_->Release(); }

HRESULT EventConnections::Container::EnumConnectionPoints(IEnumConnectionPoints** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    std::vector<IConnectionPoint*> points;
    try {
        points.push_back(&outer_.point_);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    points.front()->AddRef();  // the snapshot's reference
    return PointEnumerator::Create(points, result);
}

HRESULT EventConnections::Container::FindConnectionPoint(REFIID riid, IConnectionPoint** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (!IsEqualIID(riid, outer_.events_)) return CONNECT_E_NOCONNECTION;
    *result = &outer_.point_;
    (*result)->AddRef();
    return S_OK;
}

// ---- Point: its own identity, keeping the object alive ----

HRESULT EventConnections::Point::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IConnectionPoint)) return E_NOINTERFACE;
    *ppv = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}
ULONG EventConnections::Point::AddRef() { return outer_.owner_->AddRef(); }
ULONG EventConnections::Point::Release() { return outer_.owner_->Release(); }

HRESULT EventConnections::Point::GetConnectionInterface(IID* result) {
    if (!result) return E_POINTER;
    *result = outer_.events_;
    return S_OK;
}

HRESULT EventConnections::Point::GetConnectionPointContainer(IConnectionPointContainer** result) {
    if (!result) return E_POINTER;
    *result = &outer_.container_;
    (*result)->AddRef();
    return S_OK;
}

HRESULT EventConnections::Point::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie) *cookie = 0;
    if (!sink || !cookie) return E_POINTER;
    // The sink answers the event interface; one that answers only IDispatch (as some script
    // hosts' sinks do) is taken too: a dispatch interface is called through IDispatch anyway.
    ComPtr<IDispatch> target;
    if (FAILED(sink->QueryInterface(outer_.events_, reinterpret_cast<void**>(target.GetAddressOf()))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(target.GetAddressOf()))))
        return CONNECT_E_CANNOTCONNECT;
    try {
        outer_.sinks_.push_back({outer_.nextCookie_, target});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    *cookie = outer_.nextCookie_++;
    return S_OK;
}

HRESULT EventConnections::Point::Unadvise(DWORD cookie) {
    auto& sinks = outer_.sinks_;
    auto it = std::find_if(sinks.begin(), sinks.end(), [&](const Sink& s) { return s.cookie == cookie; });
    if (it == sinks.end()) return CONNECT_E_NOCONNECTION;
    // Released after it left the list: releasing may run the sink's code, which may call back.
    ComPtr<IDispatch> released = std::move(it->target);
    sinks.erase(it);
    return S_OK;
}

HRESULT EventConnections::Point::EnumConnections(IEnumConnections** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    std::vector<CONNECTDATA> list;
    try {
        list.reserve(outer_.sinks_.size());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    for (const Sink& s : outer_.sinks_) {
        s.target->AddRef();  // the snapshot's reference
        list.push_back({s.target.Get(), s.cookie});
    }
    return ConnectionEnumerator::Create(list, result);
}

// ---- Class information: a face of the object ----

HRESULT EventConnections::ClassInfo::QueryInterface(REFIID riid, void** ppv) {
    return outer_.owner_->QueryInterface(riid, ppv);
}
ULONG EventConnections::ClassInfo::AddRef() { return outer_.owner_->AddRef(); }
ULONG EventConnections::ClassInfo::Release() { return outer_.owner_->Release(); }

HRESULT EventConnections::ClassInfo::GetClassInfo(ITypeInfo** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return Module::TypeInfoOf(outer_.clsid_, result);
}

HRESULT EventConnections::ClassInfo::GetGUID(DWORD kind, GUID* result) {
    if (!result) return E_POINTER;
    *result = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *result = outer_.events_;
    return S_OK;
}

}  // namespace kelmor
