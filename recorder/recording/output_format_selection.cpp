#include "recorder/recording/output_format_selection.h"

#include "recorder/components/audio_file.h"
#include "recorder/components/audio_format_settings.h"

namespace recorder {

void applyAacValues(const FormatValues& v, AudioFormatSettings& aac)
{
    aac.setSampleRate(v.AACSampleRate);
    aac.setBitrate(v.AACBitrate);
    aac.setChannels(v.AACChannels);
    aac.setQuality(v.AACQuality);
    aac.setObjectType(v.AACType);
}

void applyFormatValues(AudioFile& file, const FormatValues& v, const AudioFormatSettings& aac)
{
    file.SetFormatMP3(v.MP3Frequency, v.MP3Bitrate, v.MP3Channels);
    file.SetFormatPCM(v.Freq, v.Channel, 16, 0);
    file.SetFormatVOX(v.voxFreq);
    const OggArguments ogg = oggArguments(v);
    file.SetFormatOgg(ogg.sampleRate, ogg.channels, ogg.bitrate, ogg.minBitrate, ogg.maxBitrate, ogg.quality);
    file.SetFormatG721(v.g721Freq);
    file.SetFormatG723(v.g723Freq, v.g723bit);
    file.SetFormatG726(v.gFreq, v.gbit);
    file.SetFormatG729(v.g729Freq);
    file.SetFormatAC3(v.AC3SampleRate, v.AC3Bitrate, v.AC3Channels, 0);
    file.SetFormatAAC(aac);
}

bool selectOutputFormat(AudioFile& file, const FormatValues& v, const AudioFormatSettings& aac, int code)
{
    switch (code) {
    case FormatCode::WAV: return file.SetFormatPCM(v.Freq, v.Channel, 16, 0);
    case FormatCode::MP3: return file.SetFormatMP3(v.MP3Frequency, v.MP3Bitrate, v.MP3Channels);
    case FormatCode::VOX: return file.SetFormatVOX(v.voxFreq);
    case FormatCode::G721: return file.SetFormatG721(v.g721Freq);
    case FormatCode::G723: return file.SetFormatG723(v.g723Freq, v.g723bit);
    case FormatCode::G726: return file.SetFormatG726(v.gFreq, v.gbit);
    case FormatCode::G729: return file.SetFormatG729(v.g729Freq);
    case FormatCode::OGG: {
        const OggArguments o = oggArguments(v);
        return file.SetFormatOgg(o.sampleRate, o.channels, o.bitrate, o.minBitrate, o.maxBitrate, o.quality);
    }
    case FormatCode::AC3: return file.SetFormatAC3(v.AC3SampleRate, v.AC3Bitrate, v.AC3Channels, 0);
    case FormatCode::AAC: return file.SetFormatAAC(aac);
    default: return false;
    }
}

} // namespace recorder
