#pragma once
// One encoder and file layout per format behind one interface. write() takes
// interleaved 16-bit frames at the format's rate and channel count, encodes
// them and puts every finished frame on the disk before it returns; finish()
// drains the codec and completes the file. After a failure error() tells why
// and the file holds everything up to the last successful write().

#include "recorder/components/output_format.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace recorder {

class Encoder {
public:
    virtual ~Encoder() = default;
    virtual bool open(const std::string& path) = 0;
    virtual bool write(std::span<const std::int16_t> interleaved) = 0;
    virtual bool finish() = 0;
    const std::string& error() const { return error_; }

protected:
    bool fail(std::string why)
    {
        if (error_.empty()) error_ = std::move(why);
        return false;
    }
    std::string error_;
};

std::unique_ptr<Encoder> makeEncoder(const OutputFormat& format);

} // namespace recorder
