#pragma once
// The AAC parameter object the program holds as `AAC` and hands to
// AudioFile::SetFormatAAC. Each setter refuses what the AAC encoder cannot do
// (returning false and keeping the previous value), so reading a property
// back gives what will really be used. 0 selects the property's default.

namespace recorder {

class AudioFormatSettings {
public:
    // Hz: 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000, 64000, 88200, 96000. Default 44100.
    int SampleRate() const { return sampleRate_; }
    bool setSampleRate(int hz);
    // Channel layout code 1..9 ("Mono" … "Dolby", as the AC3 layouts). Default 2 (stereo).
    int Channels() const { return channels_; }
    bool setChannels(int code);
    // kbit/s 8..320. Default 128. The encoder caps it at what the rate and
    // channel count can carry; AudioFile's Description shows the bit rate used.
    int Bitrate() const { return bitrate_; }
    bool setBitrate(int kbps);
    // 1..500, the speed/quality trade-off: below 100 the fast coder, from 100
    // on the thorough two-loop search. Default 100.
    int Quality() const { return quality_; }
    bool setQuality(int q);
    // 1 Main, 2 LC, 4 LTP. 3 (SSR) has no encoder and is refused. Default 2.
    int ObjectType() const { return objectType_; }
    bool setObjectType(int type);

private:
    int sampleRate_ = 44100;
    int channels_ = 2;
    int bitrate_ = 128;
    int quality_ = 100;
    int objectType_ = 2;
};

} // namespace recorder
