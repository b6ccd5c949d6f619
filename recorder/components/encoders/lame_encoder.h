#pragma once
// MP3 through LAME, configured from the MP3Lame settings one to one.

#include "recorder/components/encoders/encoder.h"
#include "recorder/components/io/output_file.h"

#include <vector>

struct lame_global_struct;

namespace recorder {

struct LameFree {
    void operator()(lame_global_struct* g) const;
};
using LameHandle = std::unique_ptr<lame_global_struct, LameFree>;

// A LAME instance set up for the format (lame_init_params done), or null with `why`.
LameHandle configureLame(const OutputFormat& format, std::string& why);

class LameEncoder : public Encoder {
public:
    explicit LameEncoder(const OutputFormat& format) : format_(format) {}
    bool open(const std::string& path) override;
    bool write(std::span<const std::int16_t> interleaved) override;
    bool finish() override;

private:
    OutputFormat format_;
    LameHandle lame_;
    OutputFile file_;
    std::vector<unsigned char> out_;
};

} // namespace recorder
