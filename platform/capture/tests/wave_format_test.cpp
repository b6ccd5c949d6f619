#include "platform/capture/wave_format.h"

#include <gtest/gtest.h>

using namespace capture;

TEST(WaveFormat, ExtensiblePcmSerialisesToTheFortyByteRecord)
{
    auto bytes = WaveFormat::extensiblePcm(44100, 2, 16).serialise();
    const std::uint8_t expected[40] = {
        0xFE, 0xFF, 0x02, 0x00, 0x44, 0xAC, 0x00, 0x00, 0x10, 0xB1, 0x02, 0x00, 0x04, 0x00, 0x10, 0x00,
        0x16, 0x00, 0x10, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
        0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), std::vector<std::uint8_t>(expected, expected + 40));

    auto mono = WaveFormat::extensiblePcm(8000, 1, 8);
    EXPECT_EQ(mono.channelMask, kSpeakerFrontCenter);
    EXPECT_EQ(mono.blockAlign, 1);
    EXPECT_EQ(mono.avgBytesPerSec, 8000u);
    // Block align is an integer division: 1 channel of 12 bits gives 1 byte.
    EXPECT_EQ(WaveFormat::extensiblePcm(8000, 1, 12).blockAlign, 1);
}
