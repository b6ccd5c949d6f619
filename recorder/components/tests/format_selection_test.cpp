// What the select operations accept, refuse and default to.

#include "recorder/components/audio_format_settings.h"
#include "recorder/components/mp3_lame.h"
#include "recorder/components/tests/test_audio.h"

#include <gtest/gtest.h>

using recorder::AudioFile;
using namespace testaudio;

namespace {

TEST(FormatSelection, ZeroParametersSelectEachFormatsUsualDefault)
{
    AudioFile f;
    EXPECT_TRUE(f.SetFormatPCM(0, 0, 16, 0));
    EXPECT_EQ(f.CurrentFormat().Description, "WAV PCM, 44100 Hz, 16 bit, stereo");
    EXPECT_TRUE(f.SetFormatMP3(0, 0, 0));
    EXPECT_EQ(f.CurrentFormat().Description, "MP3, 44100 Hz, 128 kbit/s CBR, joint stereo");
    EXPECT_TRUE(f.SetFormatVOX(0));
    EXPECT_EQ(f.CurrentFormat().SampleRate, 8000);
    EXPECT_TRUE(f.SetFormatG721(0));
    EXPECT_EQ(f.CurrentFormat().Description, "G.721 ADPCM, 8000 Hz, 4 bit (32 kbit/s), mono");
    EXPECT_TRUE(f.SetFormatG723(0, 0));
    EXPECT_EQ(f.CurrentFormat().Description, "G.723 ADPCM, 8000 Hz, 3 bit (24 kbit/s), mono");
    EXPECT_TRUE(f.SetFormatG726(0, 0));
    EXPECT_EQ(f.CurrentFormat().Description, "G.726 ADPCM, 8000 Hz, 4 bit (32 kbit/s), mono");
    EXPECT_TRUE(f.SetFormatG729(0));
    EXPECT_EQ(f.CurrentFormat().Description, "G.729, 8000 Hz, 8 kbit/s, mono");
    EXPECT_TRUE(f.SetFormatOgg(44100, 2, 0, 0, 0, -1));
    EXPECT_EQ(f.CurrentFormat().Description, "Ogg Vorbis, 44100 Hz, 128 kbit/s CBR, stereo");
    EXPECT_TRUE(f.SetFormatAC3(0, 0, 0, 0));
    EXPECT_EQ(f.CurrentFormat().Description, "AC3, 48000 Hz, 192 kbit/s, Stereo");
    recorder::AudioFormatSettings aac;
    EXPECT_TRUE(aac.setSampleRate(0) && aac.setBitrate(0) && aac.setChannels(0) && aac.setQuality(0) && aac.setObjectType(0));
    EXPECT_TRUE(f.SetFormatAAC(aac));
    EXPECT_EQ(f.CurrentFormat().Description, "AAC LC, 44100 Hz, 128 kbit/s, Stereo");
    EXPECT_EQ(f.CurrentFormat().SampleRate, 44100);
    EXPECT_EQ(f.CurrentFormat().Channels, 2);
}

// A fresh installation: the main window hands every format zeros, ending with AAC.
TEST(FormatSelection, FirstRecordingOnAFreshInstallationWorks)
{
    TempDir dir;
    AudioFile f;
    f.SetFormatMP3(0, 0, 0);
    f.SetFormatPCM(0, 0, 16, 0);
    f.SetFormatVOX(0);
    f.SetFormatOgg(44100, 2, 0, 0, 0, -1);
    f.SetFormatG721(0);
    f.SetFormatG723(0, 0);
    f.SetFormatG726(0, 0);
    f.SetFormatG729(0);
    f.SetFormatAC3(0, 0, 0, 0);
    recorder::AudioFormatSettings aac;
    aac.setSampleRate(0);
    f.SetFormatAAC(aac);
    ASSERT_TRUE(f.SetFormatMP3(0, 0, 0));
    ASSERT_TRUE(f.OpenWrite(dir.file("first.MP3"), 1000)) << f.lastError();
    ASSERT_TRUE(recordTones(f, 1, 440, 1000));
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(probe(dir.file("first.MP3"))["codec_name"], "mp3");
}

TEST(FormatSelection, RefusedCombinationKeepsThePreviousFormatAndSaysWhy)
{
    AudioFile f;
    ASSERT_TRUE(f.SetFormatMP3(44100, 128, 2));
    const std::string mp3 = f.CurrentFormat().Description;
    EXPECT_FALSE(f.SetFormatAC3(44100, 24, 2, 0));
    EXPECT_EQ(f.lastError().rfind("AC3 has no bit rate of 24 kbit/s; it takes 32, 40,", 0), 0u) << f.lastError();
    EXPECT_FALSE(f.SetFormatAC3(22050, 192, 2, 0));
    EXPECT_FALSE(f.SetFormatAC3(48000, 192, 10, 0));
    EXPECT_FALSE(f.SetFormatMP3(96000, 128, 2));
    EXPECT_FALSE(f.SetFormatPCM(44100, 2, 8, 0));
    EXPECT_FALSE(f.SetFormatOgg(44100, 2, 128, 0, 0, 1001));
    EXPECT_FALSE(f.SetFormatOgg(44100, 2, 900, 0, 0, -1)); // beyond what Vorbis can carry
    EXPECT_FALSE(f.SetFormatG726(8000, 6));
    EXPECT_FALSE(f.SetFormatVOX(96000));
    EXPECT_EQ(f.CurrentFormat().Description, mp3);
    EXPECT_EQ(f.CurrentFormat().SampleRate, 44100);
}

TEST(FormatSelection, RefusedWavAdpcmOrGsmLeavesNoValidFormat)
{
    TempDir dir;
    AudioFile f;
    ASSERT_TRUE(f.SetFormatPCM(44100, 2, 16, 0));
    EXPECT_FALSE(f.SetFormatGSM(44100));
    EXPECT_EQ(f.CurrentFormat().Description, "");
    EXPECT_FALSE(f.OpenWrite(dir.file("x.WAV"), 1000));
    EXPECT_NE(f.lastError().find("No valid recording format"), std::string::npos);
    ASSERT_TRUE(f.SetFormatPCM(44100, 2, 16, 0));
    EXPECT_FALSE(f.SetFormatADPCM(44100, 3));
    EXPECT_EQ(f.CurrentFormat().Description, "");
    EXPECT_TRUE(f.SetFormatADPCM(22050, 1));
    EXPECT_EQ(f.CurrentFormat().Description, "WAV IMA ADPCM, 22050 Hz, 4 bit, mono");
}

TEST(FormatSelection, FixedRateCodecsReportTheRateToCaptureAt)
{
    AudioFile f;
    EXPECT_TRUE(f.SetFormatDSP());
    EXPECT_EQ(f.CurrentFormat().SampleRate, 8000);
    EXPECT_EQ(f.CurrentFormat().Channels, 1);
    EXPECT_TRUE(f.SetFormatG729(22050));
    EXPECT_EQ(f.CurrentFormat().SampleRate, 8000);
    EXPECT_TRUE(f.SetFormatAC3(48000, 448, 9, 0));
    EXPECT_EQ(f.CurrentFormat().Channels, 6);
    EXPECT_EQ(f.CurrentFormat().Description, "AC3, 48000 Hz, 448 kbit/s, Dolby");
}

TEST(FormatSelection, OggModesFollowTheQualityAndBitrateMarkers)
{
    AudioFile f;
    EXPECT_TRUE(f.SetFormatOgg(44100, 2, 128, 0, 0, 450));
    EXPECT_EQ(f.CurrentFormat().Description, "Ogg Vorbis, 44100 Hz, quality 4.5, stereo");
    EXPECT_TRUE(f.SetFormatOgg(44100, 2, 160, 192, 112, -1)); // minimum above maximum: taken as a range
    EXPECT_EQ(f.CurrentFormat().Description, "Ogg Vorbis, 44100 Hz, 160 kbit/s VBR (112-192 kbit/s), stereo");
}

TEST(FormatSelection, Mp3DescriptionFollowsTheLameSettings)
{
    AudioFile f;
    auto lame = std::make_shared<recorder::MP3Lame>();
    f.UseMp3Settings(lame);
    ASSERT_TRUE(lame->setVbrMethod(4) && lame->setAbrBitrate(160));
    EXPECT_TRUE(f.SetFormatMP3(44100, 64, 1));
    EXPECT_EQ(f.CurrentFormat().Description, "MP3, 44100 Hz, ABR 160 kbit/s, mono");
    ASSERT_TRUE(lame->setVbrMethod(-1));
    EXPECT_TRUE(f.SetFormatMP3(44100, 100, 2)); // no such MPEG bit rate: LAME takes the nearest
    EXPECT_EQ(f.CurrentFormat().Description, "MP3, 44100 Hz, 96 kbit/s CBR, joint stereo");
    EXPECT_TRUE(f.SetFormatMP3(44100, 8, 1)); // too low for 44100 Hz: LAME resamples
    EXPECT_EQ(f.CurrentFormat().SampleRate, 44100);
    EXPECT_NE(f.CurrentFormat().Description.find("(from 44100 Hz)"), std::string::npos);
}

TEST(FormatSelection, BlocksOfAnotherFormatAreRefused)
{
    TempDir dir;
    AudioFile f;
    ASSERT_TRUE(f.SetFormatPCM(44100, 2, 16, 0));
    ASSERT_TRUE(f.OpenWrite(dir.file("a.WAV"), 1000));
    EXPECT_FALSE(f.WriteArray(captureArray(8000, 1, twoTones(8000, 1, 1, 440, 1000))));
    EXPECT_NE(f.lastError().find("does not match"), std::string::npos);
    EXPECT_TRUE(f.WriteArray(std::span<const std::uint8_t>{}));
    EXPECT_FALSE(f.WriteArray(std::vector<std::uint8_t>(30, 0)));
    EXPECT_TRUE(f.WriteArray(captureArray(44100, 2, twoTones(44100, 2, 1, 440, 1000))));
    EXPECT_TRUE(f.Close());
}

TEST(FormatSelection, SelectingWhileReadingDescribesTheSelectionButKeepsTheFilesRate)
{
    TempDir dir;
    AudioFile f;
    ASSERT_TRUE(f.SetFormatPCM(22050, 1, 16, 0));
    ASSERT_TRUE(f.OpenWrite(dir.file("a.WAV"), 1000));
    ASSERT_TRUE(recordTones(f, 1, 440, 1000));
    ASSERT_TRUE(f.Close());
    ASSERT_TRUE(f.OpenRead(dir.file("a.WAV")));
    EXPECT_EQ(f.CurrentFormat().Description, "PCM, 22050 Hz, 16 bit, mono");
    ASSERT_TRUE(f.SetFormatMP3(44100, 128, 2));
    EXPECT_EQ(f.CurrentFormat().Description, "MP3, 44100 Hz, 128 kbit/s CBR, joint stereo");
    EXPECT_EQ(f.CurrentFormat().SampleRate, 22050);
    f.Close();
    EXPECT_EQ(f.CurrentFormat().SampleRate, 44100);
}

} // namespace
