#include "capture/worker_threads.h"

#include "capture/TavorAudioDXRecord3.h"

#include <chrono>

namespace dxrecord {

std::uint32_t tickCount()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void WorkerThread::finish()
{
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
        return;
    }
    auto apartment = com::Apartment::current();
    if (apartment && !apartment->closed()) {
        auto done = done_;
        // The worker's call in flight needs this thread to serve it before the worker can end.
        apartment->pumpUntil([done] { return done->load(); }, std::chrono::minutes(1));
    }
    thread_.join();
}

namespace {

HRESULT callMember(IDispatch* proxy, DISPID id)
{
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    return proxy->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
}

} // namespace

void runCaptureWaiter(std::unique_ptr<com::MarshalledInterface> marshalled, std::shared_ptr<capture::CaptureEvent> notify,
                      std::shared_ptr<capture::CaptureEvent> stop)
{
    com::ComPtr<IDispatch> proxy;
    if (SUCCEEDED(marshalled->unmarshal(proxy))) {
        for (;;) {
            int which = capture::waitForAny({stop.get(), notify.get()}, std::chrono::milliseconds(-1));
            if (which == 0) break;
            if (which == capture::kWaitFailed) std::this_thread::sleep_for(std::chrono::milliseconds(10)); // no busy loop
            if (callMember(proxy.get(), TavorAudioDXRecord3Lib::DISPID_Notify) == RPC_E_DISCONNECTED) break;
        }
    }
    proxy.reset();
    marshalled.reset();
}

void runTimer(std::unique_ptr<com::MarshalledInterface> marshalled, std::uint32_t interval,
              std::shared_ptr<std::atomic<bool>> running)
{
    com::ComPtr<IDispatch> proxy;
    HRESULT hr = marshalled->unmarshal(proxy);
    marshalled.reset(); // the proxy alone holds the control from here on
    if (FAILED(hr)) return;
    std::uint32_t periodStart = tickCount();
    while (running->load()) {
        std::uint32_t now = tickCount();
        while (std::uint32_t(now - periodStart) < interval) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (!running->load()) break;
            now = tickCount();
        }
        if (!running->load()) break;
        periodStart = now;
        if (callMember(proxy.get(), TavorAudioDXRecord3Lib::DISPID_OnTimer) == RPC_E_DISCONNECTED) break;
    }
    proxy.reset();
}

} // namespace dxrecord
