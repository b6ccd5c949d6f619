#pragma once
// The program's command-line options. Options for Qt itself (single dash,
// such as -platform) are left for QApplication.

#include <string>

namespace recorder {

enum class CommandLineAction {
    Start,   // no option of ours: the window, as always
    Help,
    Version,
    Record,  // to the running recorder; the first process records at once
    Stop,
    Show,
    Status,
    Invalid,
};

struct CommandLine {
    CommandLineAction action = CommandLineAction::Start;
    std::string error; // for Invalid
};

CommandLine parseCommandLine(int argc, const char* const* argv);
// True for the actions a running recorder carries out.
bool isRemoteAction(CommandLineAction action);
std::string helpText(const std::string& program);
std::string versionText();

} // namespace recorder
