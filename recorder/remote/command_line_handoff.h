#pragma once
// What the command line does before any window exists: print help or the
// version, or hand a command to the recorder that already runs.

#include "recorder/remote/command_line.h"

#include <optional>
#include <ostream>
#include <string>

namespace recorder {

// The process's exit code when the command line has done all there is to do;
// nullopt when the recorder window should open (no option, or --record in
// the first process). `firstInstance`: no other recorder holds the lock.
std::optional<int> handOffCommandLine(const CommandLine& commandLine, bool firstInstance, const std::string& program,
                                      std::ostream& out, std::ostream& err);

} // namespace recorder
