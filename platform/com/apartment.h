#pragma once
// Single-threaded apartments and calls between threads.
//
// A thread that calls CoInitialize owns an apartment. An interface pointer
// marshalled on that thread and unmarshalled on another gives the other thread
// a proxy: each call through it is queued to the owning apartment, runs there
// when the owner pumps, and blocks the caller until it has returned. Calls from
// one caller therefore run in order and one at a time; the owner serves queued
// calls in arrival order.
//
// Proxies carry IDispatch: a cross-thread call reaches a dual interface through
// its automation half, as COM's type-library marshaller does.
//
// The owner pumps by calling Apartment::pump() whenever wakeFd() becomes
// readable (the GUI watches it with a QSocketNotifier), or with pumpUntil()
// while it waits for something, such as a worker thread to finish. When the
// owner uninitialises (or its thread ends), waiting and later calls fail with
// RPC_E_DISCONNECTED instead of hanging.

#include "platform/com/com_ptr.h"
#include "platform/com/dispatch.h"

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;

// S_OK for a new apartment, S_FALSE when the thread already has one (counted).
HRESULT CoInitialize(void* pvReserved);
HRESULT CoInitializeEx(void* pvReserved, DWORD dwCoInit);
void CoUninitialize();

// The carrier of a marshalled interface between threads.
struct IStream : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = com::guid("{0000000C-0000-0000-C000-000000000046}");
};

HRESULT CoMarshalInterThreadInterfaceInStream(REFIID riid, IUnknown* pUnk, IStream** ppStm);
// On the owning thread gives the object itself; elsewhere a proxy (IDispatch or IUnknown only).
HRESULT CoGetInterfaceAndReleaseStream(IStream* pStm, REFIID iid, void** ppv);

namespace com {

class Apartment : public std::enable_shared_from_this<Apartment> {
public:
    // The calling thread's apartment, or null when it has not initialised COM.
    static std::shared_ptr<Apartment> current();

    ~Apartment();
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;

    // Readable while calls are queued.
    int wakeFd() const { return wakeFd_; }
    bool isOwnerThread() const { return std::this_thread::get_id() == owner_; }
    bool closed() const;

    // Runs every queued call; owner thread only. Returns how many ran.
    std::size_t pump();
    // Pumps until done() is true or the timeout passes; owner thread only.
    bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    // Runs fn on the owner and waits for it; on the owner itself it runs at once.
    // Error information set by fn on failure is carried to the calling thread.
    HRESULT call(std::function<HRESULT()> fn);
    // Queues fn to run on the owner without waiting (used for releases).
    // Returns false when the apartment is closed and fn was not queued.
    bool post(std::function<void()> fn);

    // Closes the apartment: queued releases run, waiting and later callers get
    // RPC_E_DISCONNECTED. Called by CoUninitialize and at thread exit.
    void close();

private:
    friend HRESULT(::CoInitializeEx)(void*, DWORD); // parenthesised: clang reads "HRESULT ::x" as a qualified name
    struct Pending;
    Apartment();

    std::thread::id owner_;
    int wakeFd_ = -1;
    struct State;
    std::unique_ptr<State> s_;
};

// Table-strong marshalling: the object stays referenced until this is
// destroyed, and every unmarshal() gives a fresh proxy (or the object itself
// on the owning thread).
class MarshalledInterface {
public:
    MarshalledInterface() = default;
    // Call on the owning thread.
    HRESULT marshal(IUnknown* object);
    HRESULT unmarshal(ComPtr<IDispatch>& out) const;
    void release();
    ~MarshalledInterface() { release(); }

private:
    std::shared_ptr<Apartment> apartment_;
    ComPtr<IDispatch> object_;
};

// A proxy for target living in apartment; the caller holds the returned reference.
IDispatch* makeDispatchProxy(std::shared_ptr<Apartment> apartment, IDispatch* target);

} // namespace com
