#pragma once
// An auto-reset event that a capture buffer signals at its notification
// positions: set() from any thread, wait on one thread. Signals that arrive
// before the wait merge into one wake-up.

#include <chrono>
#include <initializer_list>

namespace capture {

class CaptureEvent {
public:
    CaptureEvent();
    ~CaptureEvent();
    CaptureEvent(const CaptureEvent&) = delete;
    CaptureEvent& operator=(const CaptureEvent&) = delete;

    bool valid() const { return fd_ >= 0; }
    void set();
    // Clears a pending signal without waiting; true when one was pending.
    bool reset();
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

inline constexpr int kWaitTimeout = -1;
inline constexpr int kWaitFailed = -2;

// Waits until one of the events is set and resets it: its index in the list,
// kWaitTimeout, or kWaitFailed. A negative timeout waits without limit. The
// earliest listed event wins when several are set.
int waitForAny(std::initializer_list<CaptureEvent*> events, std::chrono::milliseconds timeout);

} // namespace capture
