// The signals that end a session: the first one wakes the program's loop,
// a second one ends the process at once.

#include "platform/signals/shutdown_signals.h"

#include <gtest/gtest.h>

#include <csignal>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool readable(int fd, int ms)
{
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) == 1 && (p.revents & POLLIN);
}

// Runs `body` in a child process; its exit status, or 1000 + the signal that killed it.
template <class Body>
int inChild(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

TEST(ShutdownSignals, EachSignalWakesTheLoopOnceAndIsRemembered)
{
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const int result = inChild([signal] {
            if (!shutdown::install() || shutdown::received() != 0) return 10;
            if (readable(shutdown::descriptor(), 0)) return 11;
            ::kill(::getpid(), signal);
            if (!readable(shutdown::descriptor(), 2000)) return 12;
            if (shutdown::received() != signal) return 13;
            shutdown::acknowledge();
            if (readable(shutdown::descriptor(), 0)) return 14;
            return shutdown::received() == signal ? 0 : 15;
        });
        EXPECT_EQ(result, 0) << "signal " << signal;
    }
}

TEST(ShutdownSignals, ASecondSignalWhileEndingEndsTheProcessAtOnce)
{
    const int result = inChild([] {
        shutdown::install();
        ::kill(::getpid(), SIGTERM);
        readable(shutdown::descriptor(), 2000);
        ::kill(::getpid(), SIGINT); // the program is still "ending": this one must not wait
        ::sleep(5);
        return 0;
    });
    EXPECT_EQ(result, 128 + SIGINT);
}

} // namespace
