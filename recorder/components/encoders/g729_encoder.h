#pragma once
// Raw G.729 (8 kbit/s, ten bytes per 10 ms frame) through bcg729.

#include "recorder/components/encoders/encoder.h"
#include "recorder/components/io/output_file.h"

#include <vector>

struct bcg729EncoderChannelContextStruct_struct;

namespace recorder {

class G729Encoder : public Encoder {
public:
    explicit G729Encoder(const OutputFormat& format) : format_(format) {}
    ~G729Encoder() override;
    bool open(const std::string& path) override;
    bool write(std::span<const std::int16_t> interleaved) override;
    bool finish() override;

private:
    bool encodeFrames(const std::int16_t* pcm, std::size_t frames, std::vector<std::uint8_t>& out);

    OutputFormat format_;
    bcg729EncoderChannelContextStruct_struct* ctx_ = nullptr;
    OutputFile file_;
    std::vector<std::int16_t> pending_;
};

} // namespace recorder
