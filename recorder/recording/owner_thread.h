#pragma once
// Where a recording session's results go: the thread that owns the session
// (the GUI thread in the window, the main thread in velmor-record). Work done
// on other threads reaches the owner only through post().

#include <functional>

namespace recorder {

class OwnerThread {
public:
    virtual ~OwnerThread() = default;
    // Queues task to run on the owner thread, later, between its other work.
    // May be called from any thread.
    virtual void post(std::function<void()> task) = 0;
};

} // namespace recorder
