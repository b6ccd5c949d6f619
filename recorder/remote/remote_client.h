#pragma once
// The second process's end: hands one command to the running recorder and
// reads its reply. Blocking, with time limits, so a script never hangs on a
// recorder that has stopped answering.

#include "recorder/remote/remote_protocol.h"

#include <string>

#include <sys/types.h>

namespace recorder {

struct RemoteOutcome {
    bool delivered = false; // the recorder answered
    RemoteReply reply;      // its answer when delivered
    std::string error;      // why not, when not delivered
};

struct RemoteClientOptions {
    // Keep trying to connect this long: a recorder that has just started may not listen yet.
    int connectMs = 3000;
    // The recorder may be showing a message box before it can answer.
    int replyMs = 15000;
    // Only a recorder running as this user is told anything.
    uid_t expectedServerUid;
};

RemoteClientOptions defaultClientOptions();
RemoteOutcome sendRemoteCommand(const std::string& socketPath, RemoteCommand command,
                                const RemoteClientOptions& options = defaultClientOptions());

} // namespace recorder
