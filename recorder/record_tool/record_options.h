#pragma once
// The command line of velmor-record:
//   velmor-record [-f FORMAT] [-d DEVICE] [-t DURATION] [-o FILE]
//   velmor-record --list-devices | --help | --version

#include <optional>
#include <string>
#include <vector>

namespace recorder {

struct RecordOptions {
    enum class Action { Record, ListDevices, Help, Version };
    Action action = Action::Record;
    std::optional<int> format;   // a FormatCode; unset: the settings' format
    std::string device;          // empty: the default device
    double seconds = 0;          // 0: until interrupted
    std::string output;          // empty: the naming rules
};

struct ParsedRecordOptions {
    std::optional<RecordOptions> options;
    std::string error; // why the command line was refused
};

ParsedRecordOptions parseRecordOptions(const std::vector<std::string>& args);

// "WAV" … "AAC", any case; also the usual extensions ("ogg", "m4a" is not one).
std::optional<int> formatCodeFromName(const std::string& name);

// "90", "90s", "2.5", "5m", "1h", "1:30", "1:00:00": seconds, > 0.
std::optional<double> parseDuration(const std::string& text);

extern const char* const kRecordUsage;

} // namespace recorder
