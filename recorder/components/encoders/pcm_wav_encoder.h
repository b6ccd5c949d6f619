#pragma once
// WAV PCM 16-bit.

#include "recorder/components/encoders/encoder.h"
#include "recorder/components/io/wav_writer.h"

namespace recorder {

class PcmWavEncoder : public Encoder {
public:
    explicit PcmWavEncoder(const OutputFormat& format, std::uint64_t limit32 = 0xFFFFFFFFull)
        : format_(format), wav_(limit32) {}
    bool open(const std::string& path) override;
    bool write(std::span<const std::int16_t> interleaved) override;
    bool finish() override;
    const WavWriter& wav() const { return wav_; }

private:
    OutputFormat format_;
    WavWriter wav_;
};

} // namespace recorder
