#include "platform/com/apartment.h"

#include "platform/com/errorinfo.h"
#include "platform/com/object.h"

#include <condition_variable>
#include <deque>
#include <mutex>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace com {

struct Apartment::Pending {
    std::function<HRESULT()> sync;
    std::function<void()> async;
    HRESULT result = S_OK;
    ComPtr<IErrorInfo> error;
    bool done = false;
};

struct Apartment::State {
    mutable std::mutex mutex;
    std::condition_variable finished;
    std::deque<std::shared_ptr<Pending>> queue;
    bool closed = false;
};

// The per-thread holder: initialisation count and the apartment. A thread that
// ends without uninitialising still closes its apartment, so no caller waits forever.
struct ThreadApartment {
    std::shared_ptr<Apartment> apartment;
    int inits = 0;
    ~ThreadApartment()
    {
        if (apartment) apartment->close();
    }
};

namespace {
thread_local ThreadApartment t_apartment;

void signal(int fd)
{
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(fd, &one, sizeof one);
}

void drain(int fd)
{
    std::uint64_t value;
    [[maybe_unused]] ssize_t n = ::read(fd, &value, sizeof value);
}
} // namespace

Apartment::Apartment() : owner_(std::this_thread::get_id()), s_(std::make_unique<State>())
{
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

Apartment::~Apartment()
{
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

std::shared_ptr<Apartment> Apartment::current() { return t_apartment.apartment; }

bool Apartment::closed() const
{
    std::lock_guard lock(s_->mutex);
    return s_->closed;
}

std::size_t Apartment::pump()
{
    if (!isOwnerThread()) return 0;
    drain(wakeFd_);
    std::size_t ran = 0;
    for (;;) {
        std::shared_ptr<Pending> call;
        {
            std::lock_guard lock(s_->mutex);
            if (s_->queue.empty()) break;
            call = std::move(s_->queue.front());
            s_->queue.pop_front();
        }
        ++ran;
        if (call->async) {
            call->async();
            continue;
        }
        SetErrorInfo(0, nullptr);
        HRESULT hr = call->sync();
        ComPtr<IErrorInfo> error;
        if (FAILED(hr)) GetErrorInfo(0, error.put());
        {
            std::lock_guard lock(s_->mutex);
            call->result = hr;
            call->error = std::move(error);
            call->done = true;
        }
        s_->finished.notify_all();
    }
    return ran;
}

bool Apartment::pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        pump();
        if (done()) return true;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return done();
        pollfd p{wakeFd_, POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 5)));
    }
}

HRESULT Apartment::call(std::function<HRESULT()> fn)
{
    if (isOwnerThread()) return fn();
    auto pending = std::make_shared<Pending>();
    pending->sync = std::move(fn);
    {
        std::lock_guard lock(s_->mutex);
        if (s_->closed) return RPC_E_DISCONNECTED;
        s_->queue.push_back(pending);
    }
    signal(wakeFd_);

    // A caller that owns an apartment itself keeps serving it while it waits,
    // so two apartments calling each other cannot deadlock.
    auto own = Apartment::current();
    std::unique_lock lock(s_->mutex);
    while (!pending->done && !s_->closed) {
        if (own) {
            s_->finished.wait_for(lock, std::chrono::milliseconds(2));
            lock.unlock();
            own->pump();
            lock.lock();
        } else {
            s_->finished.wait(lock);
        }
    }
    if (!pending->done) return RPC_E_DISCONNECTED;
    HRESULT hr = pending->result;
    ComPtr<IErrorInfo> error = std::move(pending->error);
    lock.unlock();
    if (FAILED(hr)) SetErrorInfo(0, error.get());
    return hr;
}

bool Apartment::post(std::function<void()> fn)
{
    auto pending = std::make_shared<Pending>();
    pending->async = std::move(fn);
    {
        std::lock_guard lock(s_->mutex);
        if (s_->closed) return false;
        s_->queue.push_back(std::move(pending));
    }
    signal(wakeFd_);
    return true;
}

void Apartment::close()
{
    // Posted work (releases) still runs; waiting callers are told the apartment is gone.
    std::deque<std::shared_ptr<Pending>> left;
    {
        std::lock_guard lock(s_->mutex);
        if (s_->closed) return;
        s_->closed = true;
        left.swap(s_->queue);
    }
    s_->finished.notify_all();
    if (isOwnerThread())
        for (auto& p : left)
            if (p->async) p->async();
}

// --- proxies and marshalling --------------------------------------------------

namespace {

class DispatchProxy final : public Implements<IDispatch> {
public:
    DispatchProxy(std::shared_ptr<Apartment> apartment, IDispatch* target) : apartment_(std::move(apartment)), target_(target)
    {
        target_->AddRef();
    }

    HRESULT GetTypeInfoCount(UINT* pctinfo) override
    {
        return apartment_->call([&] { return target_->GetTypeInfoCount(pctinfo); });
    }
    HRESULT GetTypeInfo(UINT i, LCID lcid, ITypeInfo** pp) override
    {
        return apartment_->call([&] { return target_->GetTypeInfo(i, lcid, pp); });
    }
    HRESULT GetIDsOfNames(REFIID riid, OLECHAR** names, UINT n, LCID lcid, DISPID* ids) override
    {
        return apartment_->call([&] { return target_->GetIDsOfNames(riid, names, n, lcid, ids); });
    }
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                   UINT* argErr) override
    {
        return apartment_->call([&] { return target_->Invoke(id, riid, lcid, flags, params, result, excep, argErr); });
    }

private:
    ~DispatchProxy() override
    {
        // The object is released on its own thread; if that apartment is gone, here.
        IDispatch* target = target_;
        if (apartment_->isOwnerThread() || !apartment_->post([target] { target->Release(); })) target->Release();
    }

    std::shared_ptr<Apartment> apartment_;
    IDispatch* target_;
};

class MarshalStream final : public Implements<IStream> {
public:
    MarshalStream(std::shared_ptr<Apartment> apartment, ComPtr<IUnknown> identity, ComPtr<IDispatch> dispatch)
        : apartment_(std::move(apartment)), identity_(std::move(identity)), dispatch_(std::move(dispatch))
    {
    }

    HRESULT unmarshal(REFIID iid, void** ppv)
    {
        if (apartment_->isOwnerThread()) return identity_->QueryInterface(iid, ppv);
        if (iid != IID_IDispatch && iid != IID_IUnknown) return E_NOINTERFACE;
        if (!dispatch_) return E_NOINTERFACE;
        *ppv = makeDispatchProxy(apartment_, dispatch_.get());
        return S_OK;
    }

private:
    ~MarshalStream() override
    {
        if (apartment_->isOwnerThread()) return; // members release here
        IUnknown* identity = identity_.detach();
        IDispatch* dispatch = dispatch_.detach();
        auto release = [identity, dispatch] {
            if (dispatch) dispatch->Release();
            if (identity) identity->Release();
        };
        if (!apartment_->post(release)) release();
    }

    std::shared_ptr<Apartment> apartment_;
    ComPtr<IUnknown> identity_;
    ComPtr<IDispatch> dispatch_;
};

} // namespace

IDispatch* makeDispatchProxy(std::shared_ptr<Apartment> apartment, IDispatch* target)
{
    return makeObject<DispatchProxy>(std::move(apartment), target);
}

HRESULT MarshalledInterface::marshal(IUnknown* object)
{
    release();
    if (!object) return E_POINTER;
    auto apartment = Apartment::current();
    if (!apartment) return CO_E_NOTINITIALIZED;
    HRESULT hr = object->QueryInterface(IID_IDispatch, object_.putVoid());
    if (FAILED(hr)) return hr;
    apartment_ = std::move(apartment);
    return S_OK;
}

HRESULT MarshalledInterface::unmarshal(ComPtr<IDispatch>& out) const
{
    out.reset();
    if (!object_) return E_UNEXPECTED;
    if (apartment_->isOwnerThread()) {
        out = object_;
        return S_OK;
    }
    if (apartment_->closed()) return RPC_E_DISCONNECTED;
    *out.put() = makeDispatchProxy(apartment_, object_.get());
    return S_OK;
}

void MarshalledInterface::release()
{
    if (!object_) return;
    IDispatch* object = object_.detach();
    if (apartment_->isOwnerThread() || !apartment_->post([object] { object->Release(); })) object->Release();
    apartment_.reset();
}

} // namespace com

HRESULT CoInitialize(void*) { return CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }

HRESULT CoInitializeEx(void*, DWORD dwCoInit)
{
    if (dwCoInit != COINIT_APARTMENTTHREADED) return E_INVALIDARG;
    auto& t = com::t_apartment;
    if (t.inits++ > 0) return S_FALSE;
    t.apartment.reset(new com::Apartment());
    return S_OK;
}

void CoUninitialize()
{
    auto& t = com::t_apartment;
    if (t.inits == 0) return;
    if (--t.inits > 0) return;
    auto apartment = std::move(t.apartment);
    apartment->close();
}

HRESULT CoMarshalInterThreadInterfaceInStream(REFIID, IUnknown* pUnk, IStream** ppStm)
{
    if (!ppStm) return E_INVALIDARG;
    *ppStm = nullptr;
    if (!pUnk) return E_INVALIDARG;
    auto apartment = com::Apartment::current();
    if (!apartment) return CO_E_NOTINITIALIZED;
    com::ComPtr<IUnknown> identity;
    HRESULT hr = pUnk->QueryInterface(IID_IUnknown, identity.putVoid());
    if (FAILED(hr)) return hr;
    com::ComPtr<IDispatch> dispatch;
    pUnk->QueryInterface(IID_IDispatch, dispatch.putVoid());
    *ppStm = com::makeObject<com::MarshalStream>(std::move(apartment), std::move(identity), std::move(dispatch));
    return S_OK;
}

HRESULT CoGetInterfaceAndReleaseStream(IStream* pStm, REFIID iid, void** ppv)
{
    if (!pStm || !ppv) return E_INVALIDARG;
    *ppv = nullptr;
    // Only streams made by CoMarshalInterThreadInterfaceInStream reach here.
    auto* stream = static_cast<com::MarshalStream*>(pStm);
    HRESULT hr = stream->unmarshal(iid, ppv);
    pStm->Release();
    return hr;
}
