#include "recorder/remote/command_line_handoff.h"

#include "recorder/remote/remote_client.h"
#include "recorder/remote/remote_socket_path.h"

#include <QCoreApplication>

#include <memory>

namespace recorder {

namespace {

RemoteCommand remoteCommand(CommandLineAction action)
{
    switch (action) {
    case CommandLineAction::Record: return RemoteCommand::Record;
    case CommandLineAction::Stop: return RemoteCommand::Stop;
    case CommandLineAction::Show: return RemoteCommand::Show;
    default: return RemoteCommand::Status;
    }
}

} // namespace

std::optional<int> handOffCommandLine(const CommandLine& commandLine, bool firstInstance, const std::string& program,
                                      std::ostream& out, std::ostream& err)
{
    switch (commandLine.action) {
    case CommandLineAction::Start: return std::nullopt;
    case CommandLineAction::Help: out << helpText(program); return 0;
    case CommandLineAction::Version: out << versionText(); return 0;
    case CommandLineAction::Invalid:
        err << program << ": " << commandLine.error << "\nTry '" << program << " --help'.\n";
        return 2;
    default: break;
    }
    if (firstInstance) {
        if (commandLine.action == CommandLineAction::Record) return std::nullopt;
        err << program << ": no Velmor Sound Recorder is running\n";
        return 1;
    }

    const SocketPlace place = remoteSocketPath();
    if (place.path.empty()) {
        err << program << ": cannot reach the running recorder: " << place.error << "\n";
        return 1;
    }
    // The socket needs an application object; no window system is touched.
    std::unique_ptr<QCoreApplication> core;
    static int coreArgc = 1;
    static char coreName[] = "recorder";
    static char* coreArgv[] = {coreName, nullptr};
    if (!QCoreApplication::instance()) core = std::make_unique<QCoreApplication>(coreArgc, coreArgv);

    const RemoteOutcome outcome = sendRemoteCommand(place.path, remoteCommand(commandLine.action));
    if (!outcome.delivered) {
        err << program << ": " << outcome.error << "\n";
        return 1;
    }
    (outcome.reply.ok ? out : err) << (outcome.reply.ok ? "" : program + ": ") << outcome.reply.text << "\n";
    return outcome.reply.ok ? 0 : 1;
}

} // namespace recorder
