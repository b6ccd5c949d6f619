#pragma once
// Raw Dialogic ADPCM through libsndfile. The file has no header: the rate is the caller's.

#include "recorder/components/decoders/decoder.h"

#include <sndfile.h>

namespace recorder {

class VoxDecoder : public Decoder {
public:
    ~VoxDecoder() override;
    bool open(const std::string& path, int rate, std::string& why);
    int sampleRate() const override { return rate_; }
    int channels() const override { return 1; }
    std::int64_t totalFrames() const override { return frames_; }
    std::size_t read(std::int16_t* out, std::size_t frames) override;
    bool seek(std::int64_t frame) override;
    std::string description() const override;

private:
    SNDFILE* sf_ = nullptr;
    int rate_ = 0;
    std::int64_t frames_ = 0;
};

} // namespace recorder
