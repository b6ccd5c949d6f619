#pragma once
// The filter and automatic-gain choices of the record settings window, as
// the window shows and stores them: switches and the value boxes' texts.

#include <string>

namespace recorder {

struct RecordSettings {
    bool notch = true;
    std::string notchText;
    bool highPass = true;
    std::string highPassText;
    bool lowPass = true;
    std::string lowPassText;
    bool autoGain = true;
    std::string lowLevelText;
    std::string highLevelText;
    std::string attackTimeText;
};

// A missing key gives a switch that is on and an empty text.
RecordSettings readRecordSettings(const std::string& settingsPath);

// Writes the ten keys in their order. Every key is attempted; false when any
// could not be stored (lastSettingsWriteError() says why).
bool writeRecordSettings(const std::string& settingsPath, const RecordSettings& settings);

} // namespace recorder
