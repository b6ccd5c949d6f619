#include "recorder/remote/command_line.h"

#include <string_view>

#ifndef VELMOR_VERSION
#define VELMOR_VERSION "3.50"
#endif

namespace recorder {

namespace {

struct Option {
    std::string_view name;
    CommandLineAction action;
};

constexpr Option kOptions[] = {
    {"--help", CommandLineAction::Help},     {"-h", CommandLineAction::Help},
    {"--version", CommandLineAction::Version}, {"--record", CommandLineAction::Record},
    {"--stop", CommandLineAction::Stop},     {"--show", CommandLineAction::Show},
    {"--status", CommandLineAction::Status},
};

} // namespace

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    CommandLine result;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] ? argv[i] : "";
        CommandLineAction found = CommandLineAction::Invalid;
        for (const Option& option : kOptions)
            if (arg == option.name) found = option.action;
        if (found == CommandLineAction::Invalid) {
            // Single-dash options and plain words belong to Qt.
            if (!arg.starts_with("--")) continue;
            return {CommandLineAction::Invalid, "unknown option " + std::string(arg)};
        }
        // Two commands at once would leave which one wins to chance.
        if (result.action != CommandLineAction::Start && result.action != found)
            return {CommandLineAction::Invalid, "give one option at a time"};
        result.action = found;
    }
    return result;
}

bool isRemoteAction(CommandLineAction action)
{
    return action == CommandLineAction::Record || action == CommandLineAction::Stop ||
           action == CommandLineAction::Show || action == CommandLineAction::Status;
}

std::string helpText(const std::string& program)
{
    return "Usage: " + program + " [option]\n"
           "Velmor Sound Recorder. Without an option it opens the recorder window.\n"
           "\n"
           "Options for the running recorder (the same user's only):\n"
           "  --record    start a new recording (ends a running one first); when no\n"
           "              recorder is running, start one that records at once\n"
           "  --stop      stop the recording\n"
           "  --show      bring the recorder window to the front\n"
           "  --status    print \"recording <path> <seconds>\" or \"idle\"\n"
           "\n"
           "  --help      print this text\n"
           "  --version   print the version\n"
           "\n"
           "Exit status: 0 when the recorder carried the command out, 1 when no\n"
           "recorder is running or it refused, 2 for a wrong option.\n";
}

std::string versionText() { return std::string("Velmor Sound Recorder ") + VELMOR_VERSION + "\n"; }

} // namespace recorder
