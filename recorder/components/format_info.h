#pragma once
// What AudioFile reports about its current format (CurrentFormat).

#include <cstdint>
#include <string>

namespace recorder {

// A snapshot: values do not follow later calls on the AudioFile.
//
// Lengths and positions are milliseconds of audio. While writing they count
// what has been written; while reading, TotalLength is the file's duration and
// CurrentPosition the point the reader has decoded up to.
struct FormatInfo {
    // The rate and channel count to capture at (writing) or that the file
    // decodes to (reading). Always 16 bits per sample.
    std::int32_t SampleRate = 0;
    // 0 when the open file holds no playable audio.
    std::int64_t AudioLength = 0;
    std::int32_t Channels = 0;
    std::int32_t BitsPerSample = 16;
    // Codec, rate, bit rate or bits, channels, e.g.
    // "MP3, 44100 Hz, 128 kbit/s CBR, joint stereo". Empty when no valid format
    // is selected (after a refused WAV ADPCM or GSM selection).
    std::string Description;
    // Blocks per second for playback: a block is bytes per second ÷ BlockDivisor.
    double BlockDivisor = 4.0;
    std::int64_t TotalLength = 0;
    std::int64_t CurrentPosition = 0;
};

} // namespace recorder
