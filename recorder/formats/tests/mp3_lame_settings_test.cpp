#include "recorder/formats/mp3_lame_settings.h"

#include "recorder/components/mp3_lame.h"
#include "recorder/fileutil/tests/scratch_files.h"

#include <gtest/gtest.h>

using namespace recorder;

namespace {

MP3Lame everythingChanged()
{
    MP3Lame m;
    m.setMaxVbrBitrate(256);
    m.setVbrQuality(2);
    m.setVbrMethod(2);
    m.setAbrBitrate(96);
    m.setChannelMode(3);
    m.setEncoderQuality(8);
    m.setWriteVbrHeader(false);
    m.setBitReservoir(false);
    m.setAllowDiffShortBlocks(true);
    m.setShortBlocks(false);
    m.setEmphasis(2);
    m.setStrictIso(true);
    m.setEnforceMinBitrate(true);
    m.setAthMode(3);
    m.setLowpassFrequency(15000);
    m.setHighpassFrequency(80);
    m.setLowpassWidth(700);
    m.setHighpassWidth(20);
    m.setCrc(true);
    return m;
}

void expectSame(const MP3Lame& a, const MP3Lame& b)
{
    EXPECT_EQ(a.MaxVbrBitrate(), b.MaxVbrBitrate());
    EXPECT_EQ(a.VbrQuality(), b.VbrQuality());
    EXPECT_EQ(a.VbrMethod(), b.VbrMethod());
    EXPECT_EQ(a.AbrBitrate(), b.AbrBitrate());
    EXPECT_EQ(a.ChannelMode(), b.ChannelMode());
    EXPECT_EQ(a.EncoderQuality(), b.EncoderQuality());
    EXPECT_EQ(a.WriteVbrHeader(), b.WriteVbrHeader());
    EXPECT_EQ(a.BitReservoir(), b.BitReservoir());
    EXPECT_EQ(a.AllowDiffShortBlocks(), b.AllowDiffShortBlocks());
    EXPECT_EQ(a.ShortBlocks(), b.ShortBlocks());
    EXPECT_EQ(a.Emphasis(), b.Emphasis());
    EXPECT_EQ(a.StrictIso(), b.StrictIso());
    EXPECT_EQ(a.EnforceMinBitrate(), b.EnforceMinBitrate());
    EXPECT_EQ(a.AthMode(), b.AthMode());
    EXPECT_EQ(a.LowpassFrequency(), b.LowpassFrequency());
    EXPECT_EQ(a.HighpassFrequency(), b.HighpassFrequency());
    EXPECT_EQ(a.LowpassWidth(), b.LowpassWidth());
    EXPECT_EQ(a.HighpassWidth(), b.HighpassWidth());
    EXPECT_EQ(a.Crc(), b.Crc());
}

TEST(Mp3LameSettings, EveryPropertySurvivesAWriteAndARead)
{
    scratch::Folder home;
    const std::string path = home / "settings.dat";
    const MP3Lame chosen = everythingChanged();
    ASSERT_TRUE(writeMp3LameSettings(path, chosen));
    MP3Lame next;
    readMp3LameSettings(path, next);
    expectSame(next, chosen);
}

TEST(Mp3LameSettings, MissingOrUnacceptableKeysKeepTheDefaults)
{
    scratch::Folder home;
    MP3Lame fromNothing;
    readMp3LameSettings(home / "settings.dat", fromNothing);
    expectSame(fromNothing, MP3Lame{});

    const std::string path = scratch::write(home / "settings.dat",
                                            "[mp3]\nMP3Bitrate=64\nVbrMethod=7\nVbrQuality=abc\nCrc=2\n"
                                            "LowpassFrequency=-1\nAthMode=1\n");
    MP3Lame partly;
    readMp3LameSettings(path, partly);
    MP3Lame expected;
    expected.setAthMode(1);
    expectSame(partly, expected);
}

TEST(Mp3LameSettings, TheStoredKeysSitBesideTheFormatKeys)
{
    scratch::Folder home;
    const std::string path = scratch::write(home / "settings.dat", "[mp3]\nMP3Bitrate=64\n");
    ASSERT_TRUE(writeMp3LameSettings(path, MP3Lame{}));
    const std::string text = scratch::read(path);
    EXPECT_EQ(text.rfind("[mp3]\nMP3Bitrate=64\nMaxVbrBitrate=320\n", 0), 0u) << text;
    EXPECT_NE(text.find("\nCrc=0\n"), std::string::npos);
}

} // namespace
