#pragma once
// The filters and the automatic gain a recording applies, read from section
// "other" of settings.dat (see filter_keys.h), with the reasons for every
// stored value that could not be used.
//
// A value that is not a number, lies outside its up-down's range or cannot be
// applied at the recording's sample rate switches that one filter off and
// adds a problem text; an empty value switches its filter off silently (a
// fresh settings file has the switches on and the values empty). Nothing here
// ever refuses a recording.

#include <optional>
#include <string>
#include <vector>

namespace recorder {

struct AutoGainSettings {
    int lowLevelDb = 0;  // peak dBFS; never above highLevelDb
    int highLevelDb = 0;
    int attackMs = 0;
};

struct RecordFilterSettings {
    std::optional<int> notchHz;
    std::optional<int> highPassHz;
    std::optional<int> lowPassHz;
    std::optional<AutoGainSettings> autoGain;
    // One text a filter that was switched off, for the status bar.
    std::vector<std::string> problems;

    bool any() const { return notchHz || highPassHz || lowPassHz || autoGain; }
};

// Reads the settings for a recording at sampleRate Hz.
RecordFilterSettings readRecordFilterSettings(const std::string& settingsPath, int sampleRate);

} // namespace recorder
