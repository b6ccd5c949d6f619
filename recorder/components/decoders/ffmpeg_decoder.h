#pragma once
// Any file libavformat and libavcodec read, resampled to interleaved 16-bit
// at the stream's own rate and channel count.

#include "recorder/components/decoders/decoder.h"
#include "recorder/components/encoders/ffmpeg_handles.h"

#include <vector>

namespace recorder {

class FfmpegDecoder : public Decoder {
public:
    bool open(const std::string& path, std::string& why);
    int sampleRate() const override { return rate_; }
    int channels() const override { return channels_; }
    std::int64_t totalFrames() const override { return totalFrames_; }
    std::size_t read(std::int16_t* out, std::size_t frames) override;
    bool seek(std::int64_t frame) override;
    std::string description() const override { return description_; }

private:
    // Decodes the next frame into pending_; false at the end or on a fatal error.
    bool decodeMore();
    // Counts the frames of a file whose container gives no duration.
    std::int64_t countFrames();

    ff::Input input_;
    ff::CodecContext codec_;
    ff::Resampler swr_;
    ff::Frame frame_{av_frame_alloc()};
    ff::Packet packet_{av_packet_alloc()};
    int stream_ = -1;
    int rate_ = 0;
    int channels_ = 0;
    std::int64_t totalFrames_ = -1;
    std::vector<std::int16_t> pending_;
    std::size_t pendingUsed_ = 0;
    // Frames before this one are dropped after a seek (decoders start before the target).
    std::int64_t dropUntil_ = -1;
    std::int64_t decodedUpTo_ = 0; // frame index after the last decoded sample
    bool drained_ = false;
    bool sentEof_ = false;
    std::string description_;
};

} // namespace recorder
