#pragma once
// Failures of the hook that carries filled buffers to the owner's thread,
// reported in the texts the program has always used.

#include <functional>
#include <string>

struct HookError {
    std::string className; // "WaveInRecorder"
    std::string operation; // "sc_Subclass", …
    std::string message;   // "Invalid window handle", …

    // "WaveInRecorder.sc_Subclass: Invalid window handle" (the log entry)
    std::string logText() const;
    // "Error in WaveInRecorder.sc_Subclass" (the warning box's title)
    std::string boxTitle() const;
    // "Invalid window handle." (the warning box's text)
    std::string boxText() const;
};

using HookErrorReporter = std::function<void(const HookError&)>;

namespace hookerror {
inline constexpr const char* kSubclass = "sc_Subclass";
inline constexpr const char* kInvalidWindowHandle = "Invalid window handle";

// Writes the log entry to the system log as an error.
void logToSystem(const HookError& error);
} // namespace hookerror
