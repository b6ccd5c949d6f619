#pragma once
// The capture format record: WAVEFORMATEXTENSIBLE, 40 bytes little-endian
// when serialised (18 bytes of WAVEFORMATEX plus a 22-byte extension).

#include <array>
#include <cstdint>

namespace capture {

inline constexpr std::uint16_t kWaveFormatPcm = 0x0001;
inline constexpr std::uint16_t kWaveFormatExtensible = 0xFFFE;
inline constexpr std::uint32_t kSpeakerFrontLeft = 0x1;
inline constexpr std::uint32_t kSpeakerFrontRight = 0x2;
inline constexpr std::uint32_t kSpeakerFrontCenter = 0x4;
// KSDATAFORMAT_SUBTYPE_PCM {00000001-0000-0010-8000-00AA00389B71} in its stored byte order.
inline constexpr std::array<std::uint8_t, 16> kSubtypePcm = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                             0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
inline constexpr std::size_t kWaveFormatExtensibleSize = 40;

struct WaveFormat {
    std::uint16_t formatTag = kWaveFormatPcm;
    std::uint16_t channels = 2;
    std::uint32_t samplesPerSec = 44100;
    std::uint32_t avgBytesPerSec = 176400;
    std::uint16_t blockAlign = 4;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t extensionSize = 0;
    std::uint16_t validBitsPerSample = 0;
    std::uint32_t channelMask = 0;
    std::array<std::uint8_t, 16> subFormat{};

    // The extensible PCM record for a channel count, rate and sample size, with
    // block align = channels * bits / 8 and no range checks.
    static WaveFormat extensiblePcm(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits);

    // The record as stored; a plain PCM record (extension size 0) uses the first 18 bytes.
    std::array<std::uint8_t, kWaveFormatExtensibleSize> serialise() const;
};

} // namespace capture
