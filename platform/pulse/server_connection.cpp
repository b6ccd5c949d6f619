#include "platform/pulse/server_connection.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <mutex>

namespace pulse {

namespace {

constexpr const char* kClientName = "Velmor Sound Recorder";

std::mutex g_sharedMutex;
std::weak_ptr<ServerConnection> g_shared;

pa_usec_t microseconds(std::chrono::milliseconds d)
{
    return static_cast<pa_usec_t>(std::max<std::chrono::milliseconds::rep>(d.count(), 0)) * PA_USEC_PER_MSEC;
}

} // namespace

std::shared_ptr<ServerConnection> ServerConnection::shared()
{
    std::lock_guard guard(g_sharedMutex);
    if (auto existing = g_shared.lock()) return existing;
    auto created = std::shared_ptr<ServerConnection>(new ServerConnection());
    if (!created->start()) return created; // every call fails; a later shared() tries again
    g_shared = created;
    return created;
}

ServerConnection::ServerConnection() = default;

bool ServerConnection::start()
{
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) return false;
    pa_threaded_mainloop_set_name(loop_, "pulse-loop");
    if (pa_threaded_mainloop_start(loop_) < 0) {
        pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
        return false;
    }
    return true;
}

ServerConnection::~ServerConnection()
{
    if (!loop_) return;
    // The loop cannot be stopped from its own thread: nothing there holds a
    // reference, so this only happens through a bug; the loop is then left.
    if (onLoopThread()) return;
    {
        Lock lock(*this);
        dropContext();
        listeners_.clear();
    }
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

ServerConnection::Lock::Lock(ServerConnection& c) : loop_(c.loop_), held_(c.loop_ && !c.onLoopThread())
{
    if (held_) pa_threaded_mainloop_lock(loop_);
}

ServerConnection::Lock::~Lock()
{
    if (held_) pa_threaded_mainloop_unlock(loop_);
}

bool ServerConnection::onLoopThread() const { return loop_ && pa_threaded_mainloop_in_thread(loop_); }

pa_mainloop_api* ServerConnection::api() const { return loop_ ? pa_threaded_mainloop_get_api(loop_) : nullptr; }

void ServerConnection::signal()
{
    if (loop_) pa_threaded_mainloop_signal(loop_, 0);
}

void ServerConnection::dropContext()
{
    if (!context_) return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_); // streams still on it hold their own references
    context_ = nullptr;
    signal();
}

pa_context* ServerConnection::readyContext(std::chrono::milliseconds timeout)
{
    if (!loop_) return nullptr;
    if (context_ && pa_context_get_state(context_) == PA_CONTEXT_READY) return context_;
    if (onLoopThread()) return nullptr;
    if (!context_ || !PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) {
        dropContext();
        context_ = pa_context_new(api(), kClientName);
        if (!context_) return nullptr;
        ++contextsMade_;
        wasReady_ = false;
        pa_context_set_state_callback(
            context_, [](pa_context* c, void* self) { static_cast<ServerConnection*>(self)->contextStateChanged(c); }, this);
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            dropContext();
            return nullptr;
        }
    }
    pa_context* attempt = context_;
    wait(
        [&] {
            if (context_ != attempt) return true;
            const auto s = pa_context_get_state(attempt);
            return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
        },
        timeout);
    if (context_ != attempt) return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY ? context_ : nullptr;
    if (pa_context_get_state(attempt) == PA_CONTEXT_READY) return attempt;
    dropContext(); // refused or timed out: the next call starts afresh
    return nullptr;
}

bool ServerConnection::ensureConnected(std::chrono::milliseconds timeout)
{
    Lock lock(*this);
    return readyContext(timeout) != nullptr;
}

bool ServerConnection::connected()
{
    Lock lock(*this);
    return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY;
}

unsigned ServerConnection::contextsMade()
{
    Lock lock(*this);
    return contextsMade_;
}

void ServerConnection::contextStateChanged(pa_context* c)
{
    signal();
    if (c != context_) return;
    const auto state = pa_context_get_state(c);
    if (state == PA_CONTEXT_READY) {
        wasReady_ = true;
        pa_context_set_subscribe_callback(
            c,
            [](pa_context*, pa_subscription_event_type_t t, std::uint32_t, void* self) {
                const auto facility = t & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
                const auto type = t & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
                if (facility == PA_SUBSCRIPTION_EVENT_SOURCE &&
                    (type == PA_SUBSCRIPTION_EVENT_NEW || type == PA_SUBSCRIPTION_EVENT_REMOVE))
                    static_cast<ServerConnection*>(self)->notify(&ServerListener::sourcesChanged);
            },
            this);
        if (pa_operation* op = pa_context_subscribe(c, PA_SUBSCRIPTION_MASK_SOURCE, nullptr, nullptr))
            pa_operation_unref(op);
        if (contextsMade_ > 1) notify(&ServerListener::sourcesChanged);
    } else if (!PA_CONTEXT_IS_GOOD(state) && wasReady_) {
        // Only a context that had reached the server reports it lost; a failed attempt is the caller's answer.
        wasReady_ = false;
        notify(&ServerListener::serverLost);
    }
}

void ServerConnection::notify(void (ServerListener::*event)())
{
    const auto snapshot = listeners_;
    for (ServerListener* l : snapshot)
        if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end()) (l->*event)();
}

void ServerConnection::addListener(ServerListener* listener)
{
    Lock lock(*this);
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) listeners_.push_back(listener);
}

void ServerConnection::removeListener(ServerListener* listener)
{
    Lock lock(*this);
    std::erase(listeners_, listener);
}

bool ServerConnection::wait(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    if (!loop_ || onLoopThread()) return done();
    struct Timer {
        ServerConnection* self;
        bool expired = false;
    } timer{this};
    auto expire = [](pa_mainloop_api*, pa_time_event*, const struct timeval*, void* user) {
        auto* t = static_cast<Timer*>(user);
        t->expired = true;
        t->self->signal();
    };
    pa_time_event* event = nullptr;
    if (context_) {
        event = pa_context_rttime_new(context_, pa_rtclock_now() + microseconds(timeout), expire, &timer);
    } else {
        timeval at;
        pa_timeval_add(pa_gettimeofday(&at), microseconds(timeout));
        event = api()->time_new(api(), &at, expire, &timer);
    }
    if (!event) return done();
    while (!done() && !timer.expired) pa_threaded_mainloop_wait(loop_);
    api()->time_free(event);
    return done();
}

bool ServerConnection::finish(pa_operation* op, std::chrono::milliseconds timeout)
{
    if (!op) return false;
    pa_operation_set_state_callback(
        op, [](pa_operation*, void* self) { static_cast<ServerConnection*>(self)->signal(); }, this);
    const bool ended = wait([op] { return pa_operation_get_state(op) != PA_OPERATION_RUNNING; }, timeout);
    pa_operation_set_state_callback(op, nullptr, nullptr);
    if (!ended) pa_operation_cancel(op);
    pa_operation_unref(op);
    return ended;
}

} // namespace pulse
