#pragma once
// The control's two worker threads. Neither touches the control: each waits
// or sleeps and calls one hidden member (_Notify, _OnTimer) through a proxy of
// the control's marshalled interface, so the member runs on the control's
// apartment thread and the worker blocks until it has returned.

#include "platform/capture/capture_event.h"
#include "platform/com/apartment.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace dxrecord {

// A thread that can be waited for from the apartment thread while that thread
// keeps serving the calls the worker makes. It is never detached: a thread
// that cannot be joined where it ends is handed to the COM runtime's retired
// threads, which are joined before the library can be unloaded.
class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread() { finish(); }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // An earlier thread must have been finished or retired.
    template <class Body>
    void run(Body body)
    {
        finish();
        auto done = std::make_shared<std::atomic<bool>>(false);
        done_ = done;
        thread_ = std::thread([body = std::move(body), done]() mutable {
            body();
            done->store(true);
        });
    }
    bool active() const { return thread_.joinable(); }
    // Waits for the thread to end, pumping the caller's apartment meanwhile,
    // so a call the worker has in flight is served. Called on the thread
    // itself (its last release ran the owner's destructor there), it retires
    // the thread instead.
    void finish();
    // For a thread told to end whose call the caller is serving now: it can
    // end only after that call returns, so it is retired, not waited for.
    void retire();

private:
    std::thread thread_;
    std::shared_ptr<std::atomic<bool>> done_;
};

// Counts a worker's call while the apartment thread serves it.
class CallScope {
public:
    explicit CallScope(int& calls) : calls_(calls) { ++calls_; }
    ~CallScope() { --calls_; }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

private:
    int& calls_;
};

// Capture waiter: on each notification calls _Notify; ends on the stop event
// or when the apartment has gone. Holds the control through `marshalled`
// (released when the thread ends).
void runCaptureWaiter(std::unique_ptr<com::MarshalledInterface> marshalled, std::shared_ptr<capture::CaptureEvent> notify,
                      std::shared_ptr<capture::CaptureEvent> stop);

// The timer thread's running flag. Clearing it wakes the thread at once, so
// the thread sleeps through whole periods instead of polling.
class TimerSwitch {
public:
    void stop();
    bool running() const;
    // Sleeps until the deadline; false when stopped first.
    bool sleepUntil(std::chrono::steady_clock::time_point deadline);

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool running_ = true;
};

// Timer: every `interval` ms, measured from when the previous period was
// found over, calls _OnTimer until the switch is stopped. A call that takes
// longer than the interval delays the next tick until it has returned.
void runTimer(std::unique_ptr<com::MarshalledInterface> marshalled, std::uint32_t interval,
              std::shared_ptr<TimerSwitch> running);

// Milliseconds of a monotonic clock, wrapping at 32 bits.
std::uint32_t tickCount();

} // namespace dxrecord
