// How long a command from the command line takes to come back: the socket
// round trip alone, and the whole `recorder --status` process a script runs
// (start, lock check, connect, answer, exit). Medians.
//   remote_figures [rounds]

#include "bench/recorder/bench_stats.h"
#include "recorder/remote/remote_client.h"
#include "recorder/remote/remote_control_server.h"

#include <QCoreApplication>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <vector>

#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

using namespace recorder;
using Clock = std::chrono::steady_clock;

namespace {

class IdleTarget : public RemoteTarget {
public:
    RemoteReply perform(RemoteCommand) override { return {true, "idle"}; }
};

template <class Work>
double timedWhileServing(Work work)
{
    const auto start = Clock::now();
    auto done = std::async(std::launch::async, work);
    while (done.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    done.get();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    char tmpl[] = "/tmp/velmor-remote-bench-XXXXXX";
    if (!::mkdtemp(tmpl)) return 1;
    const std::string home = tmpl;
    ::setenv("VELMOR_HOME", home.c_str(), 1);
    // Stand in for the running recorder: its lock and its socket.
    const int lock = ::open((home + "/recorder.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ::flock(lock, LOCK_EX);
    RemoteControlServer server(std::make_unique<IdleTarget>(), ::geteuid());
    std::string why;
    if (!server.listen(home + "/recorder.socket", why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return 1;
    }

    std::vector<double> socketMs, processMs;
    for (int i = 0; i < rounds; ++i)
        socketMs.push_back(timedWhileServing([&] { sendRemoteCommand(home + "/recorder.socket", RemoteCommand::Status); }));
    for (int i = 0; i < std::min(rounds, 20); ++i)
        processMs.push_back(timedWhileServing([&] {
            QProcess process;
            process.start(RECORDER_BINARY, {"--status"});
            process.waitForFinished(10000);
        }));
    std::printf("--status over the socket: median %.3f ms (%d rounds)\n", bench::median(socketMs), rounds);
    std::printf("recorder --status, whole process: median %.1f ms (%zu rounds)\n", bench::median(processMs), processMs.size());
    ::close(lock);
    std::filesystem::remove_all(home);
    return 0;
}
