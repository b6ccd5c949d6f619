// The main window's side of the command line: a second process's --record,
// --stop, --show and --status reach these through the local socket.

#include "recorder/app/form1.h"

#include "recorder/remote/remote_control_server.h"
#include "recorder/remote/remote_socket_path.h"

#include <iostream>
#include <memory>

#include <unistd.h>

namespace recorder {

class Form1::RemoteAdapter : public RemoteTarget {
public:
    explicit RemoteAdapter(Form1& form) : form_(form) {}

    RemoteReply perform(RemoteCommand command) override
    {
        if (form_.exited_) return {false, "the recorder is shutting down"};
        switch (command) {
        case RemoteCommand::Record:
            form_.StartRecord();
            // A start asked for while the last recording is being finished follows it.
            if (!form_.flgRecord && form_.recordingIdle())
                return {false, "the recording did not start; the recorder's window says why"};
            return {true, "recording " + form_.recordPath_};
        case RemoteCommand::Stop: {
            // Stopping while idle changes nothing, as the Stop menu command.
            if (!form_.flgRecord) return {true, "idle"};
            form_.StopRecord();
            return {true, "stopped " + form_.recordPath_};
        }
        case RemoteCommand::Show:
            form_.showNormal();
            form_.raise();
            form_.activateWindow();
            return {true, "shown"};
        case RemoteCommand::Status:
            return {true, statusText(form_.flgRecord, form_.recordPath_, static_cast<long>(form_.recordedSeconds()))};
        }
        return {false, "unknown request"};
    }

    void perform(RemoteCommand command, std::function<void(const RemoteReply&)> done) override
    {
        if (command == RemoteCommand::Record && !form_.exited_) {
            record(std::move(done));
            return;
        }
        // A stop answers once the file is closed and listed: the caller may use the file at once.
        if (command != RemoteCommand::Stop || form_.exited_ || !form_.flgRecord) {
            done(perform(command));
            return;
        }
        const std::string path = form_.recordPath_;
        form_.afterStop_.push_back([done, path] { done({true, "stopped " + path}); });
        form_.StopRecord();
    }

private:
    // A refusal is answered with the window's reason as soon as it is known,
    // while its message box still waits for the user.
    void record(std::function<void(const RemoteReply&)> done)
    {
        auto answered = std::make_shared<bool>(false);
        form_.startRefused_ = [done, answered](const std::string& why) {
            *answered = true;
            done({false, why});
        };
        form_.StartRecord();
        form_.startRefused_ = nullptr;
        if (*answered) return;
        if (!form_.flgRecord && form_.recordingIdle())
            done({false, "the recording did not start; the recorder's window says why"});
        else
            done({true, "recording " + form_.recordPath_});
    }

    Form1& form_;
};

void Form1::startRemoteControl()
{
    const SocketPlace place = remoteSocketPath();
    std::string why = place.error;
    if (!place.path.empty()) {
        remoteServer_ = new RemoteControlServer(std::make_unique<RemoteAdapter>(*this), ::geteuid(), this);
        if (remoteServer_->listen(place.path, why)) return;
    }
    // The window works as ever; only the command line cannot reach it.
    std::cerr << "Velmor Sound Recorder: command-line control is off: " << why << "\n";
}

void Form1::stopRemoteControl()
{
    if (remoteServer_) remoteServer_->close();
}

} // namespace recorder
