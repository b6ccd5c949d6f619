#include "platform/capture/wave_format.h"

namespace capture {

WaveFormat WaveFormat::extensiblePcm(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits)
{
    WaveFormat f;
    f.formatTag = kWaveFormatExtensible;
    f.channels = channels;
    f.samplesPerSec = rate;
    f.blockAlign = static_cast<std::uint16_t>((std::uint32_t(channels) * bits) / 8);
    f.avgBytesPerSec = std::uint32_t(f.blockAlign) * rate;
    f.bitsPerSample = bits;
    f.extensionSize = 22;
    f.validBitsPerSample = bits;
    f.channelMask = channels == 1 ? kSpeakerFrontCenter : (kSpeakerFrontLeft | kSpeakerFrontRight);
    f.subFormat = kSubtypePcm;
    return f;
}

std::array<std::uint8_t, kWaveFormatExtensibleSize> WaveFormat::serialise() const
{
    std::array<std::uint8_t, kWaveFormatExtensibleSize> out{};
    auto put16 = [&](std::size_t at, std::uint16_t v) {
        out[at] = static_cast<std::uint8_t>(v);
        out[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put16(0, formatTag);
    put16(2, channels);
    put32(4, samplesPerSec);
    put32(8, avgBytesPerSec);
    put16(12, blockAlign);
    put16(14, bitsPerSample);
    put16(16, extensionSize);
    put16(18, validBitsPerSample);
    put32(20, channelMask);
    for (std::size_t i = 0; i < subFormat.size(); ++i) out[24 + i] = subFormat[i];
    return out;
}

} // namespace capture
