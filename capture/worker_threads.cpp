#include "capture/worker_threads.h"

#include "capture/TavorAudioDXRecord3.h"
#include "platform/com/retired_threads.h"

#include <chrono>

#include <pthread.h>

namespace dxrecord {

std::uint32_t tickCount()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void WorkerThread::retire()
{
    if (thread_.joinable()) com::retireThread(std::move(thread_), std::move(done_));
    done_.reset();
}

void WorkerThread::finish()
{
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id()) {
        retire();
        return;
    }
    auto apartment = com::Apartment::current();
    if (apartment && !apartment->closed()) {
        auto done = done_;
        // The worker's call in flight needs this thread to serve it before the worker can end.
        apartment->pumpUntil([done] { return done->load(); }, std::chrono::minutes(1));
    }
    thread_.join();
    done_.reset();
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
    pthread_setname_np(pthread_self(), "dxrec-waiter");
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

void TimerSwitch::stop()
{
    {
        std::lock_guard lock(mutex_);
        running_ = false;
    }
    changed_.notify_all();
}

bool TimerSwitch::running() const
{
    std::lock_guard lock(mutex_);
    return running_;
}

bool TimerSwitch::sleepUntil(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(mutex_);
    changed_.wait_until(lock, deadline, [this] { return !running_; });
    return running_;
}

void runTimer(std::unique_ptr<com::MarshalledInterface> marshalled, std::uint32_t interval,
              std::shared_ptr<TimerSwitch> running)
{
    pthread_setname_np(pthread_self(), "dxrec-timer");
    com::ComPtr<IDispatch> proxy;
    HRESULT hr = marshalled->unmarshal(proxy);
    marshalled.reset(); // the proxy alone holds the control from here on
    if (FAILED(hr)) return;
    const auto period = std::chrono::milliseconds(interval);
    auto periodStart = std::chrono::steady_clock::now();
    while (running->sleepUntil(periodStart + period)) {
        periodStart = std::chrono::steady_clock::now();
        if (callMember(proxy.get(), TavorAudioDXRecord3Lib::DISPID_OnTimer) == RPC_E_DISCONNECTED) break;
    }
    proxy.reset();
}

} // namespace dxrecord
