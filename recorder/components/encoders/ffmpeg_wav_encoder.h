#pragma once
// WAV files of codecs libavcodec encodes: IMA ADPCM, GSM 6.10 (Microsoft's
// WAV framing), G.711 µ-law and G.726 ADPCM (tagged G.721, G.723 or G.726).

#include "recorder/components/encoders/encoder.h"
#include "recorder/components/encoders/ffmpeg_codec.h"
#include "recorder/components/io/wav_writer.h"

namespace recorder {

class FfmpegWavEncoder : public Encoder {
public:
    explicit FfmpegWavEncoder(const OutputFormat& format) : format_(format) {}
    bool open(const std::string& path) override;
    bool write(std::span<const std::int16_t> interleaved) override;
    bool finish() override;

    // Opens the codec alone, to learn whether the format can be encoded.
    static bool check(const OutputFormat& format, std::string& why);

private:
    bool appendPacket(const AVPacket& packet);

    OutputFormat format_;
    ff::AudioEncoder codec_;
    WavWriter wav_;
    std::uint64_t inputFrames_ = 0;
};

} // namespace recorder
