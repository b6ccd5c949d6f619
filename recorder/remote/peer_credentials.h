#pragma once
// The user on the other end of a connected local socket, as the kernel
// reports it (SO_PEERCRED): it cannot be forged by the peer.

#include <optional>

#include <sys/types.h>

namespace recorder {

std::optional<uid_t> peerUid(int socketFd);

} // namespace recorder
