#pragma once
// How PCM frames are laid out, and little-endian sample access.

#include <cstdint>

namespace dxrecord {

struct SampleLayout {
    int channels = 2;
    int bitsPerSample = 16;
    int blockAlign = 4; // bytes per frame
    int bytesPerSample() const { return bitsPerSample / 8; }
};

// Signed sample value at p: 8-bit unsigned samples are centred on 0.
inline std::int32_t readSample(const std::uint8_t* p, int bits)
{
    switch (bits) {
    case 8: return std::int32_t(p[0]) - 128;
    case 16: return std::int16_t(std::uint16_t(p[0] | (p[1] << 8)));
    case 24: return std::int32_t(std::uint32_t(p[0] | (p[1] << 8) | (p[2] << 16)) << 8) >> 8;
    case 32: return std::int32_t(std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
                                 (std::uint32_t(p[3]) << 24));
    default: return 0;
    }
}

} // namespace dxrecord
