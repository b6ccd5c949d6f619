// The WAV header is current after every block, and the file turns RF64 in
// place when it outgrows the 32-bit sizes.

#include "recorder/components/encoders/pcm_wav_encoder.h"
#include "recorder/components/io/wav_writer.h"
#include "recorder/components/tests/test_audio.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace testaudio;

namespace {

std::string head(const std::string& path, std::size_t n)
{
    std::ifstream in(path, std::ios::binary);
    std::string s(n, '\0');
    in.read(s.data(), static_cast<std::streamsize>(n));
    return s;
}

TEST(WavWriter, HeaderCountsEveryCommittedBlockWhileRecording)
{
    TempDir dir;
    recorder::AudioFile f;
    ASSERT_TRUE(f.SetFormatPCM(16000, 1, 16, 0));
    ASSERT_TRUE(f.OpenWrite(dir.file("open.WAV"), 1000));
    ASSERT_TRUE(recordTones(f, 2, 440, 1000));
    // Still open: a copy of the file as it is now must already be a complete 2 s WAV.
    std::filesystem::copy_file(dir.file("open.WAV"), dir.file("snapshot.wav"));
    auto info = probe(dir.file("snapshot.wav"));
    EXPECT_NEAR(std::stod(info["duration"]), 2.0, 0.001);
    EXPECT_EQ(std::filesystem::file_size(dir.file("snapshot.wav")), 44u + 36u + 2u * 16000u * 2u);
    ASSERT_TRUE(f.Close());
}

TEST(WavWriter, OutgrowingThe32BitSizesTurnsTheFileIntoRf64)
{
    TempDir dir;
    const std::string path = dir.file("big.wav");
    auto format = recorder::pcmFormat(44100, 2, 16, *std::make_unique<std::string>());
    ASSERT_TRUE(format);
    // The 32-bit limit lowered to 300000 bytes stands in for 4 GiB.
    recorder::PcmWavEncoder enc(*format, 300000);
    ASSERT_TRUE(enc.open(path));
    const auto pcm = twoTones(44100, 2, 1, 440, 1000);
    ASSERT_TRUE(enc.write(pcm));
    EXPECT_EQ(head(path, 4), "RIFF");
    ASSERT_TRUE(enc.write(twoTones(44100, 2, 1, 440, 1000, 44100)));
    EXPECT_EQ(head(path, 4), "RF64");
    EXPECT_EQ(head(path, 16).substr(12, 4), "ds64");
    ASSERT_TRUE(enc.write(twoTones(44100, 2, 1, 440, 1000, 88200)));
    ASSERT_TRUE(enc.finish());
    EXPECT_TRUE(enc.wav().isRf64());
    auto info = probe(path);
    EXPECT_EQ(info["codec_name"], "pcm_s16le");
    EXPECT_NEAR(std::stod(info["duration"]), 3.0, 0.001);
    const auto decoded = decodeWithFfmpeg(path, 44100, 2);
    EXPECT_EQ(decoded.size(), 3u * 44100u * 2u);
    int rate = 0, channels = 0;
    EXPECT_EQ(decodeWithReader(path, rate, channels).size(), 3u * 44100u * 2u);
}

TEST(WavWriter, OddDataIsPaddedAndTheSizeStaysTheDatas)
{
    TempDir dir;
    const std::string path = dir.file("odd.wav");
    recorder::WavWriter w;
    ASSERT_TRUE(w.create(path, recorder::codedFmtChunk(7, 8000, 1, 8000, 1, 8, {})));
    const std::uint8_t bytes[3] = {0xFF, 0x7F, 0xFF};
    ASSERT_TRUE(w.append(bytes, 3));
    ASSERT_TRUE(w.finish());
    EXPECT_EQ(std::filesystem::file_size(path) % 2, 0u);
    EXPECT_EQ(w.dataBytes(), 3u);
    EXPECT_EQ(probe(path)["codec_name"], "pcm_mulaw");
}

} // namespace
