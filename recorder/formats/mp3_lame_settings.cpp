#include "recorder/formats/mp3_lame_settings.h"

#include "recorder/components/mp3_lame.h"
#include "recorder/recording/settings_number.h"
#include "recorder/settings/settings_store.h"

namespace recorder {

namespace {

constexpr const char* kSection = "mp3";

// One row per property: its key, getter and setter, numbers and flags alike.
struct Property {
    const char* key;
    int (*get)(const MP3Lame&);
    bool (*set)(MP3Lame&, int);
};

template <bool (MP3Lame::*Get)() const, void (MP3Lame::*Set)(bool)>
Property flag(const char* key)
{
    return {key, [](const MP3Lame& m) { return (m.*Get)() ? 1 : 0; },
            [](MP3Lame& m, int v) {
                if (v != 0 && v != 1) return false;
                (m.*Set)(v == 1);
                return true;
            }};
}

template <int (MP3Lame::*Get)() const, bool (MP3Lame::*Set)(int)>
Property number(const char* key)
{
    return {key, [](const MP3Lame& m) { return (m.*Get)(); }, [](MP3Lame& m, int v) { return (m.*Set)(v); }};
}

const Property kProperties[] = {
    number<&MP3Lame::MaxVbrBitrate, &MP3Lame::setMaxVbrBitrate>("MaxVbrBitrate"),
    number<&MP3Lame::VbrQuality, &MP3Lame::setVbrQuality>("VbrQuality"),
    number<&MP3Lame::VbrMethod, &MP3Lame::setVbrMethod>("VbrMethod"),
    number<&MP3Lame::AbrBitrate, &MP3Lame::setAbrBitrate>("AbrBitrate"),
    number<&MP3Lame::ChannelMode, &MP3Lame::setChannelMode>("ChannelMode"),
    number<&MP3Lame::EncoderQuality, &MP3Lame::setEncoderQuality>("EncoderQuality"),
    flag<&MP3Lame::WriteVbrHeader, &MP3Lame::setWriteVbrHeader>("WriteVbrHeader"),
    flag<&MP3Lame::BitReservoir, &MP3Lame::setBitReservoir>("BitReservoir"),
    flag<&MP3Lame::AllowDiffShortBlocks, &MP3Lame::setAllowDiffShortBlocks>("AllowDiffShortBlocks"),
    flag<&MP3Lame::ShortBlocks, &MP3Lame::setShortBlocks>("ShortBlocks"),
    number<&MP3Lame::Emphasis, &MP3Lame::setEmphasis>("Emphasis"),
    flag<&MP3Lame::StrictIso, &MP3Lame::setStrictIso>("StrictIso"),
    flag<&MP3Lame::EnforceMinBitrate, &MP3Lame::setEnforceMinBitrate>("EnforceMinBitrate"),
    number<&MP3Lame::AthMode, &MP3Lame::setAthMode>("AthMode"),
    number<&MP3Lame::LowpassFrequency, &MP3Lame::setLowpassFrequency>("LowpassFrequency"),
    number<&MP3Lame::HighpassFrequency, &MP3Lame::setHighpassFrequency>("HighpassFrequency"),
    number<&MP3Lame::LowpassWidth, &MP3Lame::setLowpassWidth>("LowpassWidth"),
    number<&MP3Lame::HighpassWidth, &MP3Lame::setHighpassWidth>("HighpassWidth"),
    flag<&MP3Lame::Crc, &MP3Lame::setCrc>("Crc"),
};

} // namespace

void readMp3LameSettings(const std::string& path, MP3Lame& settings)
{
    for (const Property& p : kProperties)
        if (auto value = toInt32(ReadIniValue(path, kSection, p.key))) p.set(settings, *value);
}

bool writeMp3LameSettings(const std::string& path, const MP3Lame& settings)
{
    bool stored = true;
    for (const Property& p : kProperties)
        stored = WriteIniValue(path, kSection, p.key, std::to_string(p.get(settings))) && stored;
    return stored;
}

} // namespace recorder
