#pragma once
// A file being read as interleaved 16-bit frames at its own rate and
// channel count.

#include <cstdint>
#include <memory>
#include <string>

namespace recorder {

class Decoder {
public:
    virtual ~Decoder() = default;
    virtual int sampleRate() const = 0;
    virtual int channels() const = 0;
    // Frames in the file; -1 when unknown.
    virtual std::int64_t totalFrames() const = 0;
    // Reads up to `frames` frames; fewer only at the end (0 there).
    virtual std::size_t read(std::int16_t* out, std::size_t frames) = 0;
    // Positions the next read at `frame` (clamped to the end). False when the file cannot get there.
    virtual bool seek(std::int64_t frame) = 0;
    // "MP3, 44100 Hz, 128 kbit/s, stereo"
    virtual std::string description() const = 0;
};

// Opens path with the decoder that fits it: raw VOX by its extension (read at
// voxRate), everything else through FFmpeg. Null with `why` on failure.
std::unique_ptr<Decoder> openDecoder(const std::string& path, int voxRate, std::string& why);

} // namespace recorder
