#pragma once
// Ogg Vorbis through libvorbis and libogg. Pages are flushed at every
// block, so the file on disk always ends on a whole page.

#include "recorder/components/encoders/encoder.h"
#include "recorder/components/io/output_file.h"

#include <ogg/ogg.h>
#include <vorbis/codec.h>

namespace recorder {

class VorbisEncoder : public Encoder {
public:
    explicit VorbisEncoder(const OutputFormat& format) : format_(format) {}
    ~VorbisEncoder() override;
    bool open(const std::string& path) override;
    bool write(std::span<const std::int16_t> interleaved) override;
    bool finish() override;

    // Whether libvorbis accepts the mode and bit rates at this rate and channel count.
    static bool check(const OutputFormat& format, std::string& why);

private:
    bool drain();
    bool writePages(bool flushAll);

    OutputFormat format_;
    OutputFile file_;
    vorbis_info info_{};
    vorbis_comment comment_{};
    vorbis_dsp_state dsp_{};
    vorbis_block block_{};
    ogg_stream_state stream_{};
    int stage_ = 0; // how many of the above are initialised, for the clean-up
};

} // namespace recorder
