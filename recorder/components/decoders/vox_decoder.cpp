#include "recorder/components/decoders/vox_decoder.h"

#include <algorithm>

namespace recorder {

VoxDecoder::~VoxDecoder()
{
    if (sf_) sf_close(sf_);
}

bool VoxDecoder::open(const std::string& path, int rate, std::string& why)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 1;
    info.format = SF_FORMAT_RAW | SF_FORMAT_VOX_ADPCM;
    sf_ = sf_open(path.c_str(), SFM_READ, &info);
    if (!sf_) {
        why = "Cannot open " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    rate_ = rate;
    frames_ = info.frames;
    return true;
}

std::size_t VoxDecoder::read(std::int16_t* out, std::size_t frames)
{
    const sf_count_t n = sf_readf_short(sf_, out, static_cast<sf_count_t>(frames));
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

bool VoxDecoder::seek(std::int64_t frame)
{
    return sf_seek(sf_, std::clamp<sf_count_t>(frame, 0, frames_), SEEK_SET) >= 0;
}

std::string VoxDecoder::description() const
{
    return "VOX Dialogic ADPCM, " + std::to_string(rate_) + " Hz, 4 bit, mono";
}

} // namespace recorder
