// Minutes of room on the recordings' disk, from a format's description.

#include "recorder/recording/free_space.h"

#include <gtest/gtest.h>

namespace recorder {
namespace {

FormatInfo format(const std::string& description, int rate = 44100, int channels = 2)
{
    FormatInfo f;
    f.Description = description;
    f.SampleRate = rate;
    f.Channels = channels;
    return f;
}

TEST(FreeSpace, TheRateComesFromTheDescriptionAndPcmFromRateAndChannels)
{
    EXPECT_DOUBLE_EQ(bytesPerSecond(format("MP3, 44100 Hz, 128 kbit/s CBR, joint stereo")), 16000);
    // A variable rate counts at its highest.
    EXPECT_DOUBLE_EQ(bytesPerSecond(format("MP3, 44100 Hz, VBR quality 4 (32-320 kbit/s), joint stereo")), 40000);
    EXPECT_DOUBLE_EQ(bytesPerSecond(format("G.726 ADPCM, 8000 Hz, 4 bit (32 kbit/s), mono", 8000, 1)), 4000);
    EXPECT_DOUBLE_EQ(bytesPerSecond(format("G.721 ADPCM, 11025 Hz, 4 bit (44.1 kbit/s), mono", 11025, 1)), 5512.5);
    EXPECT_DOUBLE_EQ(bytesPerSecond(format("WAV PCM, 22050 Hz, 16 bit, mono", 22050, 1)), 44100);
}

TEST(FreeSpace, TheNoteSaysWholeMinutesOnlyBelowTheLimit)
{
    EXPECT_EQ(lowSpaceNote("/music", 16000 * 60 * 10, 16000, 10), "");
    EXPECT_EQ(lowSpaceNote("/music", 16000 * 60 * 10 - 1, 16000, 10), "Only 9 minutes of free space in /music");
    EXPECT_EQ(lowSpaceNote("/music", 16000 * 90, 16000, 2), "Only 1 minute of free space in /music");
    EXPECT_EQ(lowSpaceNote("/music", 0, 16000, 2), "Only 0 minutes of free space in /music");
    EXPECT_FALSE(freeBytes("/nonexistent-velmor-folder"));
    EXPECT_TRUE(freeBytes("/tmp"));
}

} // namespace
} // namespace recorder
