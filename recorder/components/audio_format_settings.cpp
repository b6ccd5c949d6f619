#include "recorder/components/audio_format_settings.h"

#include <algorithm>
#include <iterator>

namespace recorder {

bool AudioFormatSettings::setSampleRate(int hz)
{
    static const int rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 64000, 88200, 96000};
    if (hz == 0) hz = 44100;
    if (std::find(std::begin(rates), std::end(rates), hz) == std::end(rates)) return false;
    sampleRate_ = hz;
    return true;
}

bool AudioFormatSettings::setChannels(int code)
{
    if (code == 0) code = 2;
    if (code < 1 || code > 9) return false;
    channels_ = code;
    return true;
}

bool AudioFormatSettings::setBitrate(int kbps)
{
    if (kbps == 0) kbps = 128;
    if (kbps < 8 || kbps > 320) return false;
    bitrate_ = kbps;
    return true;
}

bool AudioFormatSettings::setQuality(int q)
{
    if (q == 0) q = 100;
    if (q < 1 || q > 500) return false;
    quality_ = q;
    return true;
}

bool AudioFormatSettings::setObjectType(int type)
{
    if (type == 0) type = 2;
    if (type != 1 && type != 2 && type != 4) return false;
    objectType_ = type;
    return true;
}

} // namespace recorder
