#include "platform/signals/shutdown_signals.h"

#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace shutdown {
namespace {

int pipeEnds[2] = {-1, -1};
std::atomic<int> firstSignal{0};

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void onSignal(int signal)
{
    int none = 0;
    if (!firstSignal.compare_exchange_strong(none, signal)) {
        // Already ending: this one ends the process now. _exit is async-signal-safe.
        ::_exit(128 + signal);
    }
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const auto n = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

} // namespace

bool install()
{
    if (pipeEnds[0] >= 0) return true;
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals) ::sigaction(s, &action, nullptr);
    return true;
}

int descriptor() { return pipeEnds[0]; }

int received() { return firstSignal.load(); }

void acknowledge()
{
    char buffer[16];
    while (::read(pipeEnds[0], buffer, sizeof buffer) > 0) {
    }
}

} // namespace shutdown
