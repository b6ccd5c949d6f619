#include "recorder/formats/record_settings.h"

#include "recorder/recording/filter_keys.h"
#include "recorder/settings/settings_store.h"

namespace recorder {

using namespace filterkeys;

RecordSettings readRecordSettings(const std::string& path)
{
    auto text = [&](const char* key) { return ReadIniValue(path, kSection, key); };
    RecordSettings s;
    s.notch = switchIsOn(text(kNotch));
    s.notchText = text(kNotchText);
    s.highPass = switchIsOn(text(kHighPass));
    s.highPassText = text(kHighPassText);
    s.lowPass = switchIsOn(text(kLowPass));
    s.lowPassText = text(kLowPassText);
    s.autoGain = switchIsOn(text(kAutoGain));
    s.lowLevelText = text(kLowLevel);
    s.highLevelText = text(kHighLevel);
    s.attackTimeText = text(kAttackTime);
    return s;
}

bool writeRecordSettings(const std::string& path, const RecordSettings& s)
{
    bool stored = true;
    auto write = [&](const char* key, const std::string& value) { stored = WriteIniValue(path, kSection, key, value) && stored; };
    auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
    write(kNotch, flag(s.notch));
    write(kNotchText, s.notchText);
    write(kHighPass, flag(s.highPass));
    write(kHighPassText, s.highPassText);
    write(kLowPass, flag(s.lowPass));
    write(kLowPassText, s.lowPassText);
    write(kAutoGain, flag(s.autoGain));
    write(kLowLevel, s.lowLevelText);
    write(kHighLevel, s.highLevelText);
    write(kAttackTime, s.attackTimeText);
    return stored;
}

} // namespace recorder
