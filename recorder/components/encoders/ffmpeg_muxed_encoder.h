#pragma once
// Raw AC-3 and AAC in ADTS: libavcodec encodes, libavformat frames the
// packets, and the bytes go through our own OutputFile so that write errors
// read the same as every other format's.

#include "recorder/components/encoders/encoder.h"
#include "recorder/components/encoders/ffmpeg_codec.h"
#include "recorder/components/io/output_file.h"

namespace recorder {

class FfmpegMuxedEncoder : public Encoder {
public:
    explicit FfmpegMuxedEncoder(const OutputFormat& format) : format_(format) {}
    ~FfmpegMuxedEncoder() override;
    bool open(const std::string& path) override;
    bool write(std::span<const std::int16_t> interleaved) override;
    bool finish() override;

    // Opens the codec alone; on success `bitrate` gets the kbit/s the codec will really use.
    static bool check(const OutputFormat& format, int& bitrate, std::string& why);

private:
    bool writePacket(const AVPacket& packet);
    bool flushToDisk();

    OutputFormat format_;
    ff::AudioEncoder codec_;
    OutputFile file_;
    ff::IoContext io_;
    ff::Output mux_;
    AVStream* stream_ = nullptr;
    bool headerWritten_ = false;
    ff::Packet packet_{av_packet_alloc()};
};

} // namespace recorder
