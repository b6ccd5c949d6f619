#pragma once
// A libavcodec audio encoder fed with interleaved 16-bit frames: buffers
// them into the codec's frame size, converts to the codec's sample format,
// and runs the send/receive loop, handing every packet to a sink.

#include "recorder/components/encoders/ffmpeg_handles.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace recorder::ff {

struct CodecSetup {
    const char* encoder = nullptr; // "aac", "ac3", "adpcm_ima_wav", "libgsm_ms", "pcm_mulaw", "g726"
    int sampleRate = 0;
    int channels = 0;
    std::uint64_t channelMask = 0; // 0: the default layout for the channel count
    std::int64_t bitRate = 0;      // bit/s, 0 for the codec's own
    int profile = FF_PROFILE_UNKNOWN;
    int bitsPerCodedSample = 0;
    bool unofficial = false;       // allow rates the standard does not name
    bool experimental = false;     // allow FFmpeg's experimental coding tools (AAC LTP)
    bool globalHeader = false;
    int lastFrameMultiple = 1;     // the last frame is padded to a multiple of this many samples
    std::vector<std::pair<std::string, std::string>> options;
};

class AudioEncoder {
public:
    using Sink = std::function<bool(const AVPacket& packet)>;

    bool open(const CodecSetup& setup, std::string& why);
    AVCodecContext* context() const { return ctx_.get(); }
    // Frames per packet (the codec's, or 1024 where it takes any size).
    int frameSize() const { return frameSize_; }

    bool encode(std::span<const std::int16_t> interleaved, const Sink& sink, std::string& why);
    // Sends the last partial frame (padded with silence where the codec needs
    // whole frames) and drains the codec.
    bool flush(const Sink& sink, std::string& why);

private:
    bool sendFrame(const std::int16_t* interleaved, int frames, const Sink& sink, std::string& why);
    bool receive(const Sink& sink, std::string& why);

    CodecContext ctx_;
    Frame frame_;
    Packet packet_;
    int channels_ = 0;
    int frameSize_ = 0;
    bool smallLastFrame_ = false;
    int lastFrameMultiple_ = 1;
    std::vector<std::int16_t> pending_;
    std::int64_t pts_ = 0;
};

} // namespace recorder::ff
