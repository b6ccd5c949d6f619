#pragma once
// CPU time for the components' benchmarks: of this process, and of one run
// of an outside command (user + system of the child).

#include <cstdio>
#include <string>

#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace bench {

inline double clockSeconds(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

inline double processCpuSeconds() { return clockSeconds(CLOCK_PROCESS_CPUTIME_ID); }

// Negative when the command could not run or failed.
inline double cpuOfCommand(const std::string& command)
{
    const pid_t child = fork();
    if (child == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage ru{};
    if (child < 0 || wait4(child, &status, 0, &ru) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        return -1;
    }
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

} // namespace bench
