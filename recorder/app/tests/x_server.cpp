#include "recorder/app/tests/x_server.h"

#include <csignal>
#include <cstdlib>
#include <string>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testx {

namespace {

void stop(pid_t pid)
{
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
        ::usleep(20000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

} // namespace

XServer::XServer()
{
    int fds[2];
    if (::pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const std::string fd = std::to_string(fds[1]);
    const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24", "-nolisten", "tcp", nullptr};
    if (posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    // Xvfb writes its display number once it accepts clients.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (pid_ > 0 && ::poll(&p, 1, 10000) > 0) {
        char c;
        if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    ::close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
}

XServer::~XServer() { stop(pid_); }

XClient::XClient(const std::string& display, const std::string& command)
{
    const std::string line = "DISPLAY=" + display + " exec " + command + " >/dev/null 2>&1";
    const char* argv[] = {"sh", "-c", line.c_str(), nullptr};
    if (posix_spawnp(&pid_, "sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = -1;
}

XClient::~XClient() { stop(pid_); }

bool XClient::running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

} // namespace testx
