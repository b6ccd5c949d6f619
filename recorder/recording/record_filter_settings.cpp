#include "recorder/recording/record_filter_settings.h"

#include "recorder/recording/filter_keys.h"
#include "recorder/recording/settings_number.h"
#include "recorder/settings/settings_store.h"

#include <algorithm>
#include <utility>

namespace recorder {

namespace {

namespace keys = filterkeys;

// A stored value: absent when empty (silently) or unusable (with a problem text).
class ValueReader {
public:
    ValueReader(std::string path, std::vector<std::string>& problems) : path_(std::move(path)), problems_(problems) {}

    bool switchedOn(const char* key) const { return keys::switchIsOn(ReadIniValue(path_, keys::kSection, key)); }

    std::optional<int> value(const char* key, const std::string& filter, const std::string& what, int min, int max,
                             const char* unit)
    {
        const std::string text = ReadIniValue(path_, keys::kSection, key);
        if (text.empty()) return std::nullopt;
        const std::string range = std::to_string(min) + " to " + std::to_string(max) + " " + unit;
        const auto n = toInt32(text);
        if (!n) {
            problems_.push_back(filter + " off: " + what + "\"" + text + "\" is not a number from " + range);
            return std::nullopt;
        }
        if (*n < min || *n > max) {
            problems_.push_back(filter + " off: " + what + std::to_string(*n) + " " + unit + " is outside " + range);
            return std::nullopt;
        }
        return n;
    }

    std::optional<int> frequency(const char* switchKey, const char* valueKey, const std::string& filter, int min,
                                 int max, int sampleRate)
    {
        if (!switchedOn(switchKey)) return std::nullopt;
        auto hz = value(valueKey, filter, "", min, max, "Hz");
        // A biquad cannot reach its cutoff at or above the Nyquist frequency.
        if (hz && 2 * static_cast<long long>(*hz) >= sampleRate) {
            problems_.push_back(filter + " off: " + std::to_string(*hz) +
                                " Hz is not below half the sample rate (" + std::to_string(sampleRate / 2) + " Hz)");
            return std::nullopt;
        }
        return hz;
    }

private:
    std::string path_;
    std::vector<std::string>& problems_;
};

} // namespace

RecordFilterSettings readRecordFilterSettings(const std::string& settingsPath, int sampleRate)
{
    RecordFilterSettings s;
    ValueReader read(settingsPath, s.problems);
    s.notchHz = read.frequency(keys::kNotch, keys::kNotchText, "Notch", keys::kNotchMin, keys::kNotchMax, sampleRate);
    s.highPassHz =
        read.frequency(keys::kHighPass, keys::kHighPassText, "HighPass", keys::kPassMin, keys::kPassMax, sampleRate);
    s.lowPassHz =
        read.frequency(keys::kLowPass, keys::kLowPassText, "LowPass", keys::kPassMin, keys::kPassMax, sampleRate);

    if (read.switchedOn(keys::kAutoGain)) {
        const std::string agc = "Auto Gain Control";
        const auto low = read.value(keys::kLowLevel, agc, "Low Level ", keys::kLevelMin, keys::kLevelMax, "dBFS");
        const auto high = read.value(keys::kHighLevel, agc, "High Level ", keys::kLevelMin, keys::kLevelMax, "dBFS");
        const auto attack =
            read.value(keys::kAttackTime, agc, "AttackTime ", keys::kAttackMin, keys::kAttackMax, "ms");
        // The window does not check the pair's order: a swapped pair still names the band.
        if (low && high && attack)
            s.autoGain = AutoGainSettings{std::min(*low, *high), std::max(*low, *high), *attack};
    }
    return s;
}

} // namespace recorder
