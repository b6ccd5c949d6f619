// The range rules of the MP3 and AAC settings objects.

#include "recorder/components/audio_compress.h"
#include "recorder/components/audio_format_settings.h"
#include "recorder/components/mp3_lame.h"

#include <gtest/gtest.h>

namespace {

TEST(MP3Lame, OutOfRangeValuesAreRefusedAndTheOldValueStays)
{
    recorder::MP3Lame m;
    EXPECT_FALSE(m.setVbrQuality(10));
    EXPECT_EQ(m.VbrQuality(), 4);
    EXPECT_TRUE(m.setVbrMethod(-1));
    EXPECT_FALSE(m.setVbrMethod(5));
    EXPECT_FALSE(m.setVbrMethod(-2));
    EXPECT_FALSE(m.setChannelMode(0));
    EXPECT_TRUE(m.setChannelMode(4));
    EXPECT_FALSE(m.setMaxVbrBitrate(321));
    EXPECT_TRUE(m.setMaxVbrBitrate(8));
    EXPECT_FALSE(m.setAbrBitrate(3));
    EXPECT_FALSE(m.setEncoderQuality(-1));
    EXPECT_FALSE(m.setEmphasis(3));
    EXPECT_FALSE(m.setAthMode(4));
    EXPECT_TRUE(m.setHighpassFrequency(-1));
    EXPECT_FALSE(m.setHighpassFrequency(-2));
    EXPECT_FALSE(m.setLowpassFrequency(48001));
    EXPECT_FALSE(m.setLowpassWidth(-1));
    EXPECT_EQ(m.ChannelMode(), 4);
    EXPECT_EQ(m.MaxVbrBitrate(), 8);
}

TEST(AudioFormatSettings, RefusesWhatTheAacEncoderCannotDo)
{
    recorder::AudioFormatSettings s;
    EXPECT_FALSE(s.setObjectType(3)); // SSR: no encoder
    EXPECT_EQ(s.ObjectType(), 2);
    EXPECT_TRUE(s.setObjectType(4));
    EXPECT_FALSE(s.setSampleRate(44000));
    EXPECT_TRUE(s.setSampleRate(22050));
    EXPECT_EQ(s.SampleRate(), 22050);
    EXPECT_TRUE(s.setSampleRate(0));
    EXPECT_EQ(s.SampleRate(), 44100);
    EXPECT_FALSE(s.setChannels(10));
    EXPECT_FALSE(s.setBitrate(321));
    EXPECT_TRUE(s.setBitrate(8));
    EXPECT_FALSE(s.setQuality(501));
    EXPECT_TRUE(s.setQuality(0));
    EXPECT_EQ(s.Quality(), 100);
}

TEST(AudioCompress, KeepsItsMode)
{
    recorder::AudioCompress c;
    c.SetMode(1);
    EXPECT_EQ(c.Mode(), 1);
}

} // namespace
