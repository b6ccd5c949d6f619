// Reading files back: foreign files, seeks as playback uses them, and
// damaged input.

#include "recorder/components/audio_array.h"
#include "recorder/components/audio_format_settings.h"
#include "recorder/components/tests/test_audio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <fstream>
#include <random>

using recorder::AudioFile;
using namespace testaudio;

namespace {

std::vector<std::int16_t> pcmOf(const com::SafeArray& a)
{
    std::vector<std::int16_t> out;
    if (a.size() <= recorder::kAudioArrayHeaderSize) return out;
    out.resize((a.size() - recorder::kAudioArrayHeaderSize) / 2);
    std::memcpy(out.data(), a.data<std::uint8_t>() + recorder::kAudioArrayHeaderSize, out.size() * 2);
    return out;
}

class Reader : public ::testing::Test {
protected:
    void SetUp() override
    {
        wav_ = dir_.file("take.WAV");
        AudioFile w;
        ASSERT_TRUE(w.SetFormatPCM(8000, 1, 16, 0));
        ASSERT_TRUE(w.OpenWrite(wav_, 1000));
        ASSERT_TRUE(recordTones(w, 4, 440, 1000));
        ASSERT_TRUE(w.Close());
    }
    TempDir dir_;
    std::string wav_;
};

TEST_F(Reader, BlocksCarryTheCaptureHeaderAndEndWithAnEmptyArray)
{
    AudioFile f;
    ASSERT_TRUE(f.OpenRead(wav_));
    auto fmt = f.CurrentFormat();
    EXPECT_EQ(fmt.SampleRate, 8000);
    EXPECT_EQ(fmt.Channels, 1);
    EXPECT_EQ(fmt.TotalLength, 4000);
    EXPECT_EQ(fmt.AudioLength, 4000);
    const auto block = static_cast<std::int32_t>(8000 * 2 / fmt.BlockDivisor);
    com::SafeArray a;
    ASSERT_TRUE(f.ReadArray(block, a));
    std::string why;
    auto view = recorder::parseAudioArray(recorder::bytesOf(a.get()), why);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->sampleRate, 8000);
    EXPECT_EQ(view->pcm.size(), static_cast<std::size_t>(block));
    EXPECT_EQ(f.CurrentFormat().CurrentPosition, 250);
    int blocks = 1;
    while (f.ReadArray(block, a) && a.size() > 0) ++blocks;
    EXPECT_EQ(blocks, 16);
    EXPECT_EQ(f.CurrentFormat().CurrentPosition, 4000);
}

TEST_F(Reader, SeekByPositionLandsOnTheExactSample)
{
    AudioFile f;
    ASSERT_TRUE(f.OpenRead(wav_));
    std::int64_t reached = 0;
    ASSERT_TRUE(f.SeekPosition(2500, 3, reached));
    EXPECT_EQ(reached, 2500);
    com::SafeArray a;
    ASSERT_TRUE(f.ReadArray(200, a));
    EXPECT_EQ(pcmOf(a), twoTones(8000, 1, 100.0 / 8000, 440, 1000, 20000));
    ASSERT_TRUE(f.SeekPosition(99999, 3, reached)); // past the end: the end
    EXPECT_EQ(reached, 4000);
    ASSERT_TRUE(f.ReadArray(200, a));
    EXPECT_EQ(a.size(), 0u);
}

// Playback counts played amounts from its start across pauses; a slider seek re-bases them.
TEST_F(Reader, SeekToAmountPlayedFollowsPausesAndSliderSeeks)
{
    AudioFile f;
    ASSERT_TRUE(f.OpenRead(wav_));
    std::int64_t at = 0;
    ASSERT_TRUE(f.SeekPlayed(700, 3, at)); // pause after 700 ms, resume
    EXPECT_EQ(at, 700);
    ASSERT_TRUE(f.SeekPosition(2000, 3, at)); // slider to 2 s
    ASSERT_TRUE(f.SeekPlayed(700 + 300, 3, at)); // 300 ms more, pause, resume
    EXPECT_EQ(at, 2300);
    ASSERT_TRUE(f.SeekPlayed(700 + 300 + 500, 3, at));
    EXPECT_EQ(at, 2800);
}

TEST_F(Reader, SeeksInACompressedFileKeepTheTones)
{
    const std::string mp3 = dir_.file("take.MP3");
    AudioFile w;
    ASSERT_TRUE(w.SetFormatMP3(44100, 128, 2));
    ASSERT_TRUE(w.OpenWrite(mp3, 1000));
    ASSERT_TRUE(recordTones(w, 4, 440, 1000));
    ASSERT_TRUE(w.Close());
    AudioFile f;
    ASSERT_TRUE(f.OpenRead(mp3));
    EXPECT_NEAR(double(f.CurrentFormat().TotalLength), 4000, 60);
    std::int64_t at = 0;
    ASSERT_TRUE(f.SeekPosition(3000, 3, at));
    EXPECT_EQ(at, 3000);
    std::vector<std::int16_t> rest;
    com::SafeArray a;
    while (f.ReadArray(44100, a) && a.size() > 0) {
        auto p = pcmOf(a);
        rest.insert(rest.end(), p.begin(), p.end());
    }
    EXPECT_NEAR(double(rest.size()) / 2 / 44100, 1.0, 0.06);
    EXPECT_GT(toneLevel(rest, 2, 0, 440, 44100), 0.2);
    EXPECT_GT(toneLevel(rest, 2, 1, 1000, 44100), 0.2);
}

TEST_F(Reader, ReadsFilesFromElsewhere)
{
    for (const char* ext : {"flac", "ogg", "mp3", "m4a"}) {
        const std::string path = dir_.file(std::string("other.") + ext);
        run("ffmpeg -v error -y -i " + quote(wav_) + " " + quote(path));
        int rate = 0, channels = 0;
        const auto pcm = decodeWithReader(path, rate, channels);
        EXPECT_EQ(rate, 8000) << ext;
        EXPECT_NEAR(double(pcm.size()) / 8000, 4.0, 0.1) << ext;
        EXPECT_GT(toneLevel(pcm, 1, 0, 440, 8000), 0.1) << ext;
    }
}

TEST_F(Reader, MissingEmptyAndForeignFilesAreRefusedWithAReason)
{
    AudioFile f;
    EXPECT_FALSE(f.OpenRead(dir_.file("missing.wav")));
    EXPECT_NE(f.lastError().find("missing.wav"), std::string::npos);
    std::ofstream(dir_.file("empty.mp3")).close();
    EXPECT_FALSE(f.OpenRead(dir_.file("empty.mp3")));
    std::ofstream(dir_.file("text.wav")) << "not a sound file at all";
    EXPECT_FALSE(f.OpenRead(dir_.file("text.wav")));
    EXPECT_FALSE(f.isReading());
    com::SafeArray a;
    EXPECT_FALSE(f.ReadArray(1000, a));
}

// Damaged copies of every container we write are read or refused, never crash.
TEST_F(Reader, DamagedFilesNeverCrashTheReader)
{
    std::vector<std::string> originals = {wav_};
    const std::pair<const char*, std::function<bool(AudioFile&)>> kinds[] = {
        {"MP3", [](AudioFile& f) { return f.SetFormatMP3(22050, 64, 1); }},
        {"OGG", [](AudioFile& f) { return f.SetFormatOgg(44100, 2, 128, 0, 0, 300); }},
        {"AAC", [](AudioFile& f) { return f.SetFormatAAC(recorder::AudioFormatSettings{}); }},
        {"AC3", [](AudioFile& f) { return f.SetFormatAC3(48000, 192, 2, 0); }},
        {"G726", [](AudioFile& f) { return f.SetFormatG726(8000, 3); }},
        {"G729", [](AudioFile& f) { return f.SetFormatG729(8000); }},
        {"VOX", [](AudioFile& f) { return f.SetFormatVOX(8000); }},
    };
    for (const auto& [ext, select] : kinds) {
        AudioFile w;
        const std::string path = dir_.file(std::string("orig.") + ext);
        ASSERT_TRUE(select(w));
        ASSERT_TRUE(w.OpenWrite(path, 1000));
        ASSERT_TRUE(recordTones(w, 1, 440, 1000));
        ASSERT_TRUE(w.Close());
        originals.push_back(path);
    }
    std::mt19937 rng(11);
    for (const auto& original : originals) {
        std::ifstream in(original, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string ext = original.substr(original.rfind('.'));
        for (int round = 0; round < 12; ++round) {
            std::string damaged = bytes;
            if (round % 3 == 0) damaged.resize(rng() % damaged.size());
            const int flips = 1 + static_cast<int>(rng() % 40);
            for (int k = 0; k < flips && !damaged.empty(); ++k)
                damaged[rng() % std::min<std::size_t>(damaged.size(), round % 2 ? 200 : damaged.size())] =
                    static_cast<char>(rng());
            const std::string path = dir_.file("damaged" + ext);
            std::ofstream(path, std::ios::binary) << damaged;
            AudioFile f;
            if (!f.OpenRead(path)) continue;
            const auto fmt = f.CurrentFormat();
            const auto block = static_cast<std::int32_t>(std::clamp(fmt.SampleRate, 1000, 192000) * 2);
            com::SafeArray a;
            std::int64_t at = 0;
            f.SeekPosition(fmt.TotalLength / 2, 3, at);
            for (int i = 0; i < 200 && f.ReadArray(block, a) && a.size() > 0; ++i) {
            }
        }
    }
}

} // namespace
