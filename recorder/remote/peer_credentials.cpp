#include "recorder/remote/peer_credentials.h"

#include <sys/socket.h>

namespace recorder {

std::optional<uid_t> peerUid(int socketFd)
{
    ucred cred{};
    socklen_t size = sizeof cred;
    if (socketFd < 0 || ::getsockopt(socketFd, SOL_SOCKET, SO_PEERCRED, &cred, &size) != 0 || size != sizeof cred)
        return std::nullopt;
    return cred.uid;
}

} // namespace recorder
