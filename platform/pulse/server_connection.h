#pragma once
// The process's one connection to the sound server: one libpulse threaded main
// loop and one context, shared by capture, the mixer, record streams, playback
// and the device list.
//
// The contract:
// - shared() hands out the connection; every holder in the process gets the
//   same one (it lives in this shared library, so a server library loaded at
//   run time shares the program's). It closes when the last holder lets go.
// - The main loop runs on a thread of its own. Libpulse calls back on that
//   thread with the loop's lock held; everything else that touches libpulse
//   objects of this connection holds a Lock.
// - Connecting is lazy: readyContext() connects when there is no live
//   context, so a server that went away and came back is found again at the
//   next call. Autospawn is off: a missing server is reported, never started.
// - Every wait has a deadline: wait() and finish() give up when it passes
//   (a timer event of the loop wakes the waiter; nothing sleeps or polls).
//   On the loop's own thread they refuse at once (false, nothing waited for),
//   since the loop cannot run while its thread waits.
// - Listeners hear of a lost server (once per context) and of sources that
//   appeared or vanished (and of a new context after a reconnection, whose
//   sources may differ). They are called on the loop's thread with the lock
//   held: they must return quickly and may not wait on the connection; a GUI
//   hands the news on through a queued call. removeListener() returns only
//   when no call of that listener is running on another thread.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_operation;
struct pa_mainloop_api;

namespace pulse {

inline constexpr std::chrono::milliseconds kDefaultTimeout{2000};

class ServerListener {
public:
    // The context failed or the server closed it: streams on it have failed too.
    virtual void serverLost() {}
    // A source appeared or vanished, or a new context may see other sources.
    virtual void sourcesChanged() {}

protected:
    ~ServerListener() = default;
};

class ServerConnection {
public:
    static std::shared_ptr<ServerConnection> shared();
    ~ServerConnection();
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;

    // Holds the loop's lock. On the loop's thread, where the lock is already
    // held, it does nothing. Recursive otherwise.
    class Lock {
    public:
        explicit Lock(ServerConnection& c);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pa_threaded_mainloop* loop_;
        bool held_;
    };

    // With the lock held: the ready context, connecting first if there is
    // none; null when no server answers before the timeout (at once on the
    // loop's thread unless the context is already ready).
    pa_context* readyContext(std::chrono::milliseconds timeout = kDefaultTimeout);
    // Takes the lock itself.
    bool ensureConnected(std::chrono::milliseconds timeout = kDefaultTimeout);
    bool connected();

    // With the lock held: waits until done() or the timeout; returns done().
    // Whoever changes what done() reads calls signal() (under the lock).
    bool wait(const std::function<bool()>& done, std::chrono::milliseconds timeout = kDefaultTimeout);
    // With the lock held: waits for the operation to end; cancels it when the
    // timeout passes first, so its callback cannot reach a caller that has
    // gone. Unrefs it. False for a null operation or a timeout. The
    // operation's own callback need not signal.
    bool finish(pa_operation* op, std::chrono::milliseconds timeout = kDefaultTimeout);
    // Wakes every waiter to look at its condition again.
    void signal();
    bool onLoopThread() const;
    pa_mainloop_api* api() const;

    void addListener(ServerListener* listener);
    void removeListener(ServerListener* listener);

    // Contexts made so far (1 after the first connection, 2 after a reconnection).
    unsigned contextsMade();

private:
    ServerConnection();
    bool start();
    void dropContext();
    void notify(void (ServerListener::*event)());
    void contextStateChanged(pa_context* c);

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr; // under the lock
    bool wasReady_ = false; // the current context reached the server
    unsigned contextsMade_ = 0;
    std::vector<ServerListener*> listeners_;
};

} // namespace pulse
