#include "recorder/recording/format_values.h"

#include "recorder/recording/settings_number.h"
#include "recorder/settings/settings_store.h"

namespace recorder {

FormatValues& formatValues()
{
    static FormatValues values;
    return values;
}

int storedOutputFormat(const std::string& path, int fallback, std::string* problem)
{
    const std::string text = ReadIniValue(path, "set", "outputformat");
    if (text.empty()) return fallback;
    if (const auto code = toInt16(text); code && *code >= 0 && *code < kFormatCount) return *code;
    if (problem)
        *problem = "outputformat \"" + text + "\" in settings.dat names no format: " + kFormatNames[fallback] +
                   " is used instead";
    return fallback;
}

void readFormatValues(const std::string& path, FormatValues& v, std::vector<std::string>* problems)
{
    auto read = [&](const char* section, const char* key, auto& target) {
        const std::string text = ReadIniValue(path, section, key);
        const bool converts = sizeof(target) == 2 ? toInt16(text).has_value() : toInt32(text).has_value();
        if (!converts && !text.empty() && problems)
            problems->push_back(std::string(key) + " \"" + text + "\" in settings.dat is not a number: " +
                                (target == 0 ? std::string("the default") : std::to_string(target)) +
                                " is used instead");
        convertInto(text, target);
    };
    // In the order the main window hands them to the file component.
    read("mp3", "MP3Frequency", v.MP3Frequency);
    read("mp3", "MP3Bitrate", v.MP3Bitrate);
    read("mp3", "MP3Channels", v.MP3Channels);
    read("wav", "Freq", v.Freq);
    read("wav", "Channel", v.Channel);
    read("vox", "voxFreq", v.voxFreq);
    read("ogg", "VbrEnabled", v.VbrEnabled);
    read("ogg", "QualityEnabled", v.QualityEnabled);
    read("ogg", "oggBitrate", v.oggBitrate);
    read("ogg", "MinBitrate", v.MinBitrate);
    read("ogg", "MaxBitrate", v.MaxBitrate);
    read("ogg", "Quality", v.Quality);
    read("g721", "g721Freq", v.g721Freq);
    read("g723", "g723Freq", v.g723Freq);
    read("g723", "g723bit", v.g723bit);
    read("g726", "gFreq", v.gFreq);
    read("g726", "gbit", v.gbit);
    read("g729", "g729Freq", v.g729Freq);
    read("AC3", "AC3SampleRate", v.AC3SampleRate);
    read("AC3", "AC3Channels", v.AC3Channels);
    read("AC3", "AC3Bitrate", v.AC3Bitrate);
    read("AAC", "AACSampleRate", v.AACSampleRate);
    read("AAC", "AACBitrate", v.AACBitrate);
    read("AAC", "AACChannels", v.AACChannels);
    read("AAC", "AACQuality", v.AACQuality);
    read("AAC", "AACType", v.AACType);
}

OggArguments oggArguments(const FormatValues& v)
{
    if (v.QualityEnabled == 1) return {44100, 2, 128, 0, 0, v.Quality};
    if (v.VbrEnabled == 1) return {44100, 2, v.oggBitrate, v.MinBitrate, v.MaxBitrate, -1};
    return {44100, 2, v.oggBitrate, 0, 0, -1};
}

} // namespace recorder
