#include "recorder/recording/format_values.h"
#include "recorder/recording/settings_number.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace recorder;

namespace {

TEST(SettingsNumber, ConvertsLikeTheRuntime)
{
    EXPECT_EQ(toInt16(" 128 "), 128);
    EXPECT_EQ(toInt16("70000"), std::nullopt);
    EXPECT_EQ(toInt32("70000"), 70000);
    EXPECT_EQ(toInt16(""), std::nullopt);
    EXPECT_EQ(toInt16("abc"), std::nullopt);
    EXPECT_EQ(toInt16("2.5"), 2);
    EXPECT_EQ(toInt16("3.5"), 4);
    EXPECT_EQ(toInt16("-1"), -1);
    EXPECT_TRUE(countsAs("", 0));
    EXPECT_TRUE(countsAs(" 0 ", 0));
    EXPECT_TRUE(countsAs("1", 1));
    EXPECT_FALSE(countsAs("/home", 0));
    EXPECT_FALSE(countsAs("1", 0));
}

class FormatValuesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-formats-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        file_ = dir_ + "/settings.dat";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string dir_, file_;
};

TEST_F(FormatValuesTest, MissingFileLeavesEveryValueZero)
{
    FormatValues v;
    readFormatValues(file_, v);
    EXPECT_EQ(v.Freq, 0);
    EXPECT_EQ(v.MP3Bitrate, 0);
    EXPECT_EQ(v.AACType, 0);
}

TEST_F(FormatValuesTest, ReadsEveryKeyInItsWidthAndKeepsValuesThatDoNotConvert)
{
    std::ofstream(file_) << "[mp3]\nMP3Frequency=48000\nMP3Bitrate=70000\nMP3Channels=1\n"
                            "[WAV]\nFreq=22050\nChannel=2\n[vox]\nvoxFreq=6000\n"
                            "[ogg]\nVbrEnabled=1\nQualityEnabled=1\noggBitrate=160\nMinBitrate=96\nMaxBitrate=256\nQuality=45\n"
                            "[g721]\ng721Freq=8000\n[g723]\ng723Freq=8000\ng723bit=3\n[g726]\ngFreq=8000\ngbit=4\n"
                            "[g729]\ng729Freq=8000\n[ac3]\nAC3SampleRate=48000\nAC3Channels=2\nAC3Bitrate=192\n"
                            "[aac]\nAACSampleRate=44100\nAACBitrate=128\nAACChannels=2\nAACQuality=100\nAACType=2\n";
    FormatValues v;
    v.MP3Bitrate = 128;
    readFormatValues(file_, v);
    EXPECT_EQ(v.MP3Frequency, 48000);
    EXPECT_EQ(v.MP3Bitrate, 128) << "70000 overflows a 16-bit value";
    EXPECT_EQ(v.MP3Channels, 1);
    EXPECT_EQ(v.Freq, 22050);
    EXPECT_EQ(v.voxFreq, 6000);
    EXPECT_EQ(v.Quality, 45);
    EXPECT_EQ(v.g723bit, 3);
    EXPECT_EQ(v.gbit, 4);
    EXPECT_EQ(v.g729Freq, 8000);
    EXPECT_EQ(v.AC3Bitrate, 192);
    EXPECT_EQ(v.AACType, 2);
}

TEST_F(FormatValuesTest, ValuesThatCannotBeUsedAreNamedWithWhatIsUsedInstead)
{
    std::ofstream(file_) << "[set]\noutputformat=99\n[mp3]\nMP3Bitrate=70000\n[wav]\nFreq=fast\nChannel=2\n";
    FormatValues v;
    v.MP3Bitrate = 128;
    std::vector<std::string> problems;
    readFormatValues(file_, v, &problems);
    const std::vector<std::string> expected = {
        "MP3Bitrate \"70000\" in settings.dat is not a number: 128 is used instead",
        "Freq \"fast\" in settings.dat is not a number: the default is used instead"};
    EXPECT_EQ(problems, expected);

    std::string problem;
    EXPECT_EQ(storedOutputFormat(file_, FormatCode::WAV, &problem), FormatCode::WAV);
    EXPECT_EQ(problem, "outputformat \"99\" in settings.dat names no format: WAV is used instead");
    std::ofstream(file_) << "[set]\noutputformat=\x01\xfe\n";
    problem.clear();
    EXPECT_EQ(storedOutputFormat(file_, FormatCode::MP3, &problem), FormatCode::MP3);
    EXPECT_NE(problem.find("MP3 is used instead"), std::string::npos) << problem;
    std::ofstream(file_) << "[set]\noutputformat=7\n";
    problem.clear();
    EXPECT_EQ(storedOutputFormat(file_, FormatCode::WAV, &problem), FormatCode::OGG);
    EXPECT_EQ(problem, "");
    std::ofstream(file_) << "[set]\n";
    EXPECT_EQ(storedOutputFormat(file_, FormatCode::MP3, &problem), FormatCode::MP3) << "nothing stored says nothing";
    EXPECT_EQ(problem, "");
}

TEST(OggArguments, QualityWinsOverVbrAndVbrOverConstant)
{
    FormatValues v;
    v.oggBitrate = 160;
    v.MinBitrate = 96;
    v.MaxBitrate = 256;
    v.Quality = 45;
    v.QualityEnabled = 1;
    v.VbrEnabled = 1;
    auto q = oggArguments(v);
    EXPECT_EQ(q.bitrate, 128);
    EXPECT_EQ(q.quality, 45);
    EXPECT_EQ(q.sampleRate, 44100);
    EXPECT_EQ(q.channels, 2);
    v.QualityEnabled = 0;
    auto vbr = oggArguments(v);
    EXPECT_EQ(vbr.minBitrate, 96);
    EXPECT_EQ(vbr.maxBitrate, 256);
    EXPECT_EQ(vbr.quality, -1);
    v.VbrEnabled = 0;
    auto cbr = oggArguments(v);
    EXPECT_EQ(cbr.bitrate, 160);
    EXPECT_EQ(cbr.minBitrate, 0);
    EXPECT_EQ(cbr.maxBitrate, 0);
}

} // namespace
