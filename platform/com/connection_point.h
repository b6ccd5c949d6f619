#pragma once
// Connection points: a container object hands out one point per event
// interface; sinks attach with Advise (getting a cookie) and are called
// through IDispatch::Invoke when the container fires an event.

#include "platform/com/com_ptr.h"
#include "platform/com/dispatch.h"

#include <initializer_list>
#include <mutex>
#include <vector>

struct IConnectionPoint;
struct IConnectionPointContainer;

struct CONNECTDATA {
    IUnknown* pUnk;
    DWORD dwCookie;
};

struct IEnumConnections : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = com::guid("{B196B287-BAB4-101A-B69C-00AA00341D07}");
    virtual HRESULT Next(ULONG cConnections, CONNECTDATA* rgcd, ULONG* pcFetched) = 0;
    virtual HRESULT Skip(ULONG cConnections) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumConnections** ppEnum) = 0;
};

struct IEnumConnectionPoints : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = com::guid("{B196B285-BAB4-101A-B69C-00AA00341D07}");
    virtual HRESULT Next(ULONG cConnections, IConnectionPoint** ppCP, ULONG* pcFetched) = 0;
    virtual HRESULT Skip(ULONG cConnections) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumConnectionPoints** ppEnum) = 0;
};

struct IConnectionPointContainer : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = com::guid("{B196B284-BAB4-101A-B69C-00AA00341D07}");
    virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** ppEnum) = 0;
    virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) = 0;
};

struct IConnectionPoint : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = com::guid("{B196B286-BAB4-101A-B69C-00AA00341D07}");
    virtual HRESULT GetConnectionInterface(IID* pIID) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) = 0;
    virtual HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) = 0;
    virtual HRESULT Unadvise(DWORD dwCookie) = 0;
    virtual HRESULT EnumConnections(IEnumConnections** ppEnum) = 0;
};

struct IObjectWithSite : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = com::guid("{FC4801A3-2BA9-11CF-A229-00AA003D7352}");
    virtual HRESULT SetSite(IUnknown* pUnkSite) = 0;
    virtual HRESULT GetSite(REFIID riid, void** ppvSite) = 0;
};

namespace com {

// A connection point that lives inside its container object: its references
// are the container's, so it needs no lifetime of its own.
class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer* container, REFIID eventIid) : container_(container), iid_(eventIid) {}
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;
    ~ConnectionPoint() { clear(); }

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return container_->AddRef(); }
    ULONG Release() override { return container_->Release(); }
    HRESULT GetConnectionInterface(IID* pIID) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
    HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
    HRESULT Unadvise(DWORD dwCookie) override;
    HRESULT EnumConnections(IEnumConnections** ppEnum) override;

    REFIID eventIid() const { return iid_; }
    std::size_t sinkCount() const;
    // Calls Invoke(dispid, DISPATCH_METHOD, args) on every sink in connection
    // order; a failing sink does not stop the others. The arguments are
    // borrowed for the duration of the calls. Returns the number of sinks called.
    std::size_t fire(DISPID dispid, std::vector<VARIANT> naturalOrderArgs);
    // Drops every sink (the container's destructor calls it).
    void clear();

private:
    struct Sink {
        DWORD cookie;
        ComPtr<IDispatch> sink;
    };
    IConnectionPointContainer* container_;
    IID iid_;
    mutable std::mutex mutex_; // sinks may attach from any thread of the process
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
};

// FindConnectionPoint and EnumConnectionPoints over a container's fixed points.
HRESULT findConnectionPoint(std::initializer_list<ConnectionPoint*> points, REFIID riid, IConnectionPoint** ppCP);
HRESULT enumConnectionPoints(std::initializer_list<ConnectionPoint*> points, IEnumConnectionPoints** ppEnum);

// Client side: attaches sink to the source's point for eventIid and detaches on destruction.
class EventConnection {
public:
    EventConnection() = default;
    EventConnection(const EventConnection&) = delete;
    EventConnection& operator=(const EventConnection&) = delete;
    ~EventConnection() { disconnect(); }
    HRESULT connect(IUnknown* source, REFIID eventIid, IUnknown* sink);
    void disconnect();
    DWORD cookie() const { return cookie_; }

private:
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

} // namespace com
