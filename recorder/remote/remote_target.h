#pragma once
// What the local-socket server asks of the recorder: one command at a time,
// answered with the text the second process prints.

#include "recorder/remote/remote_protocol.h"

namespace recorder {

class RemoteTarget {
public:
    virtual ~RemoteTarget() = default;
    virtual RemoteReply perform(RemoteCommand command) = 0;
};

} // namespace recorder
