#include "platform/capture/capture_event.h"

#include <cerrno>
#include <cstdint>
#include <vector>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace capture {

CaptureEvent::CaptureEvent() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CaptureEvent::~CaptureEvent()
{
    if (fd_ >= 0) ::close(fd_);
}

void CaptureEvent::set()
{
    std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(fd_, &one, sizeof one);
}

bool CaptureEvent::reset()
{
    std::uint64_t value = 0;
    return ::read(fd_, &value, sizeof value) == static_cast<ssize_t>(sizeof value);
}

int waitForAny(std::initializer_list<CaptureEvent*> events, std::chrono::milliseconds timeout)
{
    std::vector<pollfd> fds;
    for (CaptureEvent* e : events) {
        if (!e || !e->valid()) return kWaitFailed;
        fds.push_back({e->fd(), POLLIN, 0});
    }
    const int ms = timeout.count() < 0 ? -1 : static_cast<int>(timeout.count());
    for (;;) {
        int n = ::poll(fds.data(), fds.size(), ms);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return kWaitFailed;
        if (n == 0) return kWaitTimeout;
        int index = 0;
        for (CaptureEvent* e : events) {
            // Another waiter may have taken the signal: then poll again.
            if (fds[index].revents & POLLIN && e->reset()) return index;
            ++index;
        }
    }
}

} // namespace capture
