#include "recorder/formats/format_descriptions.h"

#include "recorder/components/audio_file.h"

namespace recorder {

std::string currentDescription(const AudioFile& file) { return file.CurrentFormat().Description; }

std::array<std::string, kFormatCount> describeFormats(AudioFile& file, const AudioFormatSettings& aac,
                                                      const FormatValues& v)
{
    std::array<std::string, kFormatCount> rows;
    auto take = [&](FormatCode code) { rows[code] = currentDescription(file); };
    file.SetFormatMP3(v.MP3Frequency, v.MP3Bitrate, v.MP3Channels);
    take(MP3);
    file.SetFormatPCM(v.Freq, v.Channel, 16, 0);
    take(WAV);
    file.SetFormatVOX(v.voxFreq);
    take(VOX);
    file.SetFormatG726(v.gFreq, v.gbit);
    take(G726);
    file.SetFormatG721(v.g721Freq);
    take(G721);
    file.SetFormatG723(v.g723Freq, v.g723bit);
    take(G723);
    file.SetFormatG729(v.g729Freq);
    take(G729);
    file.SetFormatAC3(v.AC3SampleRate, v.AC3Bitrate, v.AC3Channels, 0);
    take(AC3);
    file.SetFormatAAC(aac);
    take(AAC);
    const OggArguments ogg = oggArguments(v);
    file.SetFormatOgg(ogg.sampleRate, ogg.channels, ogg.bitrate, ogg.minBitrate, ogg.maxBitrate, ogg.quality);
    take(OGG);
    return rows;
}

} // namespace recorder
