#pragma once
// Where the running recorder listens: beside the single-instance lock, in a
// folder only its user can enter.

#include <string>

namespace recorder {

struct SocketPlace {
    std::string path;  // empty when there is no safe place
    std::string error; // why not
};

// $VELMOR_HOME/recorder.socket when set; else in $XDG_RUNTIME_DIR; else in a
// per-user folder /tmp/velmor-sound-recorder-<uid> of mode 0700, created when
// missing and refused when it belongs to someone else or others may enter it.
SocketPlace remoteSocketPath();

// Checks (and with `create` makes) a folder that only the current user can use.
bool privateFolder(const std::string& folder, bool create, std::string& why);

} // namespace recorder
