#include "recorder/remote/remote_socket_path.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace recorder {

namespace {

SocketPlace checkedLength(std::string path)
{
    // A longer path would be cut short by the socket address.
    if (path.size() >= sizeof(sockaddr_un::sun_path))
        return {{}, "the socket path " + path + " is too long for a local socket"};
    return {std::move(path), {}};
}

} // namespace

bool privateFolder(const std::string& folder, bool create, std::string& why)
{
    if (create && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        why = "cannot create " + folder + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    // lstat: a symbolic link planted by someone else must not redirect us.
    if (::lstat(folder.c_str(), &st) != 0) {
        why = folder + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        why = folder + " is not a private folder of this user";
        return false;
    }
    return true;
}

SocketPlace remoteSocketPath()
{
    if (const char* home = std::getenv("VELMOR_HOME"); home && *home)
        return checkedLength(std::string(home) + "/recorder.socket");
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run)
        return checkedLength(std::string(run) + "/velmor-sound-recorder.socket");
    const std::string folder = "/tmp/velmor-sound-recorder-" + std::to_string(::geteuid());
    std::string why;
    if (!privateFolder(folder, true, why)) return {{}, why};
    return checkedLength(folder + "/recorder.socket");
}

} // namespace recorder
