#include "platform/com/connection_point.h"

#include "platform/com/object.h"

namespace com {

namespace {

IUnknown* heldReference(const CONNECTDATA& c) { return c.pUnk; }
IUnknown* heldReference(IConnectionPoint* p) { return p; }

// A snapshot enumerator over Items, holding a reference to each for its life.
template <class Interface, class Item>
class Enumerator final : public Implements<Interface> {
public:
    explicit Enumerator(std::vector<Item> items) : items_(std::move(items))
    {
        for (auto& item : items_) heldReference(item)->AddRef();
    }
    HRESULT Next(ULONG n, Item* out, ULONG* fetched) override
    {
        if (!out) return E_POINTER;
        ULONG got = 0;
        while (got < n && pos_ < items_.size()) {
            out[got] = items_[pos_++];
            heldReference(out[got])->AddRef();
            ++got;
        }
        if (fetched) *fetched = got;
        return got == n ? S_OK : S_FALSE;
    }
    HRESULT Skip(ULONG n) override
    {
        pos_ = std::min(items_.size(), pos_ + n);
        return pos_ < items_.size() ? S_OK : S_FALSE;
    }
    HRESULT Reset() override
    {
        pos_ = 0;
        return S_OK;
    }
    HRESULT Clone(Interface** pp) override
    {
        if (!pp) return E_POINTER;
        auto* copy = makeObject<Enumerator>(items_);
        copy->pos_ = pos_;
        *pp = copy;
        return S_OK;
    }

private:
    ~Enumerator() override
    {
        for (auto& item : items_) heldReference(item)->Release();
    }
    std::vector<Item> items_;
    std::size_t pos_ = 0;
};

using ConnectionEnum = Enumerator<IEnumConnections, CONNECTDATA>;
using PointEnum = Enumerator<IEnumConnectionPoints, IConnectionPoint*>;

} // namespace

HRESULT ConnectionPoint::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IConnectionPoint::iid) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* pIID)
{
    if (!pIID) return E_POINTER;
    *pIID = iid_;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** pp)
{
    if (!pp) return E_POINTER;
    *pp = container_;
    container_->AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie)
{
    if (!pdwCookie) return E_POINTER;
    *pdwCookie = 0;
    if (!pUnkSink) return E_POINTER;
    // A sink answers the event interface itself or plain IDispatch.
    ComPtr<IDispatch> sink;
    if (FAILED(pUnkSink->QueryInterface(iid_, sink.putVoid())) &&
        FAILED(pUnkSink->QueryInterface(IID_IDispatch, sink.putVoid())))
        return CONNECT_E_CANNOTCONNECT;
    std::lock_guard lock(mutex_);
    *pdwCookie = nextCookie_++;
    sinks_.push_back({*pdwCookie, std::move(sink)});
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD dwCookie)
{
    ComPtr<IDispatch> gone; // released outside the lock
    std::lock_guard lock(mutex_);
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->cookie == dwCookie) {
            gone = std::move(it->sink);
            sinks_.erase(it);
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** ppEnum)
{
    if (!ppEnum) return E_POINTER;
    std::vector<CONNECTDATA> items;
    {
        std::lock_guard lock(mutex_);
        for (auto& s : sinks_) items.push_back({s.sink.get(), s.cookie});
    }
    *ppEnum = makeObject<ConnectionEnum>(std::move(items));
    return S_OK;
}

std::size_t ConnectionPoint::sinkCount() const
{
    std::lock_guard lock(mutex_);
    return sinks_.size();
}

std::size_t ConnectionPoint::fire(DISPID dispid, std::vector<VARIANT> args)
{
    // A snapshot: a sink may unadvise (or advise others) inside its handler.
    std::vector<ComPtr<IDispatch>> targets;
    {
        std::lock_guard lock(mutex_);
        for (auto& s : sinks_) targets.push_back(s.sink);
    }
    DispCall call(std::move(args));
    for (auto& sink : targets) sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, call.params(), nullptr, nullptr, nullptr);
    return targets.size();
}

void ConnectionPoint::clear()
{
    std::vector<Sink> gone;
    {
        std::lock_guard lock(mutex_);
        gone.swap(sinks_);
    }
}

HRESULT findConnectionPoint(std::initializer_list<ConnectionPoint*> points, REFIID riid, IConnectionPoint** ppCP)
{
    if (!ppCP) return E_POINTER;
    *ppCP = nullptr;
    for (auto* p : points) {
        if (p->eventIid() == riid) {
            *ppCP = p;
            p->AddRef();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT enumConnectionPoints(std::initializer_list<ConnectionPoint*> points, IEnumConnectionPoints** ppEnum)
{
    if (!ppEnum) return E_POINTER;
    *ppEnum = makeObject<PointEnum>(std::vector<IConnectionPoint*>(points.begin(), points.end()));
    return S_OK;
}

HRESULT EventConnection::connect(IUnknown* source, REFIID eventIid, IUnknown* sink)
{
    disconnect();
    if (!source || !sink) return E_POINTER;
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = source->QueryInterface(IConnectionPointContainer::iid, container.putVoid());
    if (FAILED(hr)) return hr;
    hr = container->FindConnectionPoint(eventIid, point_.put());
    if (FAILED(hr)) return hr;
    hr = point_->Advise(sink, &cookie_);
    if (FAILED(hr)) point_.reset();
    return hr;
}

void EventConnection::disconnect()
{
    if (point_) point_->Unadvise(cookie_);
    point_.reset();
    cookie_ = 0;
}

} // namespace com
