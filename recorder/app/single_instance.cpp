#include "recorder/app/single_instance.h"

#include <cstdlib>

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

SingleInstance::SingleInstance(std::string lockPath)
{
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
}

SingleInstance::~SingleInstance()
{
    if (fd_ >= 0) ::close(fd_);
}

} // namespace recorder
