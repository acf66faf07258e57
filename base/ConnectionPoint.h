// Connection points of an object that raises the events of one dispatch interface: the
// container (IConnectionPointContainer), its one connection point (IConnectionPoint) and the
// class information that script hosts read to find the event interface (IProvideClassInfo2).
//
// The helper is a member of its object. The container and the class information are faces of
// the object itself: they share its identity and reference count (QueryInterface through them
// reaches the object). The connection point is a COM identity of its own, as the connection
// model wants, but holding it keeps the object alive as well.
//
// Events are raised synchronously to every connected sink in the order of connection. A sink
// may connect, disconnect or call the object back while it handles an event: raising works on a
// copy of the sink list. A sink's failure does not stop the others and does not reach the
// object's caller.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <vector>

namespace kelmor {

class EventConnections {
public:
    // `owner`: the object's IUnknown, not AddRef'd (the helper lives inside the object);
    // `events`: the event interface; `clsid`: the object's class, for its class information.
    EventConnections(IUnknown* owner, REFIID events, REFCLSID clsid);
    ~EventConnections();
    EventConnections(const EventConnections&) = delete;
    EventConnections& operator=(const EventConnections&) = delete;

    // For the object's QueryInterface: the face answering `riid` (IConnectionPointContainer,
    // IProvideClassInfo, IProvideClassInfo2), not AddRef'd; nullptr for any other interface.
    void* Query(REFIID riid);

    // Calls member `id` of the event interface on every sink; `params` as IDispatch::Invoke
    // takes them (arguments in reverse order).
    void Raise(DISPID id, DISPPARAMS* params);
    // The same with one 32-bit argument.
    void Raise(DISPID id, LONG argument);

private:
    class Container final : public IConnectionPointContainer {
    public:
        explicit Container(EventConnections& outer) : outer_(outer) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** result) override;
        HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** result) override;

    private:
        EventConnections& outer_;
    };

    class Point final : public IConnectionPoint {
    public:
        explicit Point(EventConnections& outer) : outer_(outer) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* result) override;
        HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** result) override;
        HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
        HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
        HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** result) override;

    private:
        EventConnections& outer_;
    };

    class ClassInfo final : public IProvideClassInfo2 {
    public:
        explicit ClassInfo(EventConnections& outer) : outer_(outer) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** result) override;
        HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* result) override;

    private:
        EventConnections& outer_;
    };

    struct Sink {
        DWORD cookie;
        Microsoft::WRL::ComPtr<IDispatch> target;
    };

    IUnknown* owner_;
    IID events_;
    CLSID clsid_;
    Container container_{*this};
    Point point_{*this};
    ClassInfo classInfo_{*this};
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
};

}  // namespace kelmor
