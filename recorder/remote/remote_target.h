#pragma once
// What the local-socket server asks of the recorder: one command at a time,
// answered with the text the second process prints.

#include "recorder/remote/remote_protocol.h"

#include <functional>

namespace recorder {

class RemoteTarget {
public:
    virtual ~RemoteTarget() = default;
    virtual RemoteReply perform(RemoteCommand command) = 0;
    // The same, answered through done once the command has taken effect (a
    // stop answers when the file is closed). done runs on the target's thread,
    // at once or later; by default it is the answer of perform.
    virtual void perform(RemoteCommand command, std::function<void(const RemoteReply&)> done)
    {
        done(perform(command));
    }
};

} // namespace recorder
