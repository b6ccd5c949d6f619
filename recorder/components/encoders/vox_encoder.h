#pragma once
// Raw Dialogic (OKI) ADPCM, 4 bits a sample, through libsndfile, whose
// output goes through our OutputFile by libsndfile's virtual I/O.

#include "recorder/components/encoders/encoder.h"
#include "recorder/components/io/output_file.h"

#include <sndfile.h>

#include <optional>
#include <vector>

namespace recorder {

class VoxEncoder : public Encoder {
public:
    explicit VoxEncoder(const OutputFormat& format) : format_(format) {}
    ~VoxEncoder() override;
    bool open(const std::string& path) override;
    bool write(std::span<const std::int16_t> interleaved) override;
    bool finish() override;

    // libsndfile's virtual I/O, over file_.
    std::int64_t position = 0;
    OutputFile& file() { return file_; }

private:
    OutputFormat format_;
    OutputFile file_;
    SNDFILE* sf_ = nullptr;
    // Two samples share a byte: an odd sample waits for the next block.
    std::optional<std::int16_t> pending_;
    std::vector<std::int16_t> even_;
};

} // namespace recorder
