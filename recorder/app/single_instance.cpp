#include "recorder/app/single_instance.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace recorder {

std::string SingleInstance::defaultLockPath()
{
    if (const char* home = std::getenv("VELMOR_HOME"); home && *home) return std::string(home) + "/recorder.lock";
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run) return std::string(run) + "/velmor-sound-recorder.lock";
    return "/tmp/velmor-sound-recorder-" + std::to_string(::getuid()) + ".lock";
}

SingleInstance::SingleInstance(std::string lockPath, int graceMs)
{
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        lockError_ = lockPath + ": " + std::strerror(errno);
        first_ = true;
        return;
    }
    constexpr int kStepMs = 25;
    for (int waited = 0;; waited += kStepMs) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            lockError_ = lockPath + ": " + std::strerror(errno);
            ::close(fd);
            first_ = true;
            return;
        }
        if (waited >= graceMs) {
            ::close(fd);
            return;
        }
        ::usleep(kStepMs * 1000);
    }
    fd_ = fd;
    first_ = true;
}

SingleInstance::~SingleInstance()
{
    if (fd_ >= 0) ::close(fd_);
}

} // namespace recorder
