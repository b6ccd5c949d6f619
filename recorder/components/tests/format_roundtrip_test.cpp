// Every format the dialogs can select, at two or more parameter sets: 5 s of
// two tones through WriteArray in one-second capture blocks, then checked by
// ffprobe/ffmpeg (sox for VOX) and by our own reader.

#include "recorder/components/audio_format_settings.h"
#include "recorder/components/mp3_lame.h"
#include "recorder/components/tests/test_audio.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using recorder::AudioFile;
using namespace testaudio;

namespace {

constexpr double kSeconds = 5.0;
constexpr double kLow = 440.0, kHigh = 1000.0;

struct FormatCase {
    std::string name;
    std::function<bool(AudioFile&)> select;
    std::string extension;
    std::string codec;   // ffprobe's codec_name; empty for VOX
    int rate;
    int channels;
    std::string probeOptions = "";
};

std::ostream& operator<<(std::ostream& os, const FormatCase& c) { return os << c.name; }

std::vector<FormatCase> cases()
{
    auto aac = [](int rate, int layout, int kbps, int type, int quality) {
        return [=](AudioFile& f) {
            recorder::AudioFormatSettings s;
            return s.setSampleRate(rate) && s.setChannels(layout) && s.setBitrate(kbps) && s.setObjectType(type) &&
                   s.setQuality(quality) && f.SetFormatAAC(s);
        };
    };
    return {
        {"PcmStereo44100", [](AudioFile& f) { return f.SetFormatPCM(44100, 2, 16, 0); }, "WAV", "pcm_s16le", 44100, 2},
        {"PcmMono8000", [](AudioFile& f) { return f.SetFormatPCM(8000, 1, 16, 0); }, "WAV", "pcm_s16le", 8000, 1},
        {"AdpcmStereo44100", [](AudioFile& f) { return f.SetFormatADPCM(44100, 2); }, "WAV", "adpcm_ima_wav", 44100, 2},
        {"AdpcmMono11025", [](AudioFile& f) { return f.SetFormatADPCM(11025, 1); }, "WAV", "adpcm_ima_wav", 11025, 1},
        {"Gsm8000", [](AudioFile& f) { return f.SetFormatGSM(8000); }, "WAV", "gsm_ms", 8000, 1},
        {"GsmDefault", [](AudioFile& f) { return f.SetFormatGSM(0); }, "WAV", "gsm_ms", 8000, 1},
        {"Dsp", [](AudioFile& f) { return f.SetFormatDSP(); }, "WAV", "pcm_mulaw", 8000, 1},
        {"Mp3Cbr128Stereo", [](AudioFile& f) { return f.SetFormatMP3(44100, 128, 2); }, "MP3", "mp3", 44100, 2},
        {"Mp3Cbr64Mono22050", [](AudioFile& f) { return f.SetFormatMP3(22050, 64, 1); }, "MP3", "mp3", 22050, 1},
        {"Mp3VbrStereo48000",
         [](AudioFile& f) {
             auto lame = std::make_shared<recorder::MP3Lame>();
             lame->setVbrMethod(3);
             lame->setVbrQuality(2);
             lame->setChannelMode(1);
             f.UseMp3Settings(lame);
             return f.SetFormatMP3(48000, 32, 2);
         },
         "MP3", "mp3", 48000, 2},
        {"Vox8000", [](AudioFile& f) { return f.SetFormatVOX(8000); }, "VOX", "", 8000, 1},
        {"Vox16000", [](AudioFile& f) { return f.SetFormatVOX(16000); }, "VOX", "", 16000, 1},
        {"G721At8000", [](AudioFile& f) { return f.SetFormatG721(8000); }, "G721", "adpcm_g726", 8000, 1},
        {"G721At16000", [](AudioFile& f) { return f.SetFormatG721(16000); }, "G721", "adpcm_g726", 16000, 1},
        {"G723Bits3", [](AudioFile& f) { return f.SetFormatG723(8000, 3); }, "G723", "adpcm_g726", 8000, 1},
        {"G723Bits5At11025", [](AudioFile& f) { return f.SetFormatG723(11025, 5); }, "G723", "adpcm_g726", 11025, 1},
        {"G726Bits2", [](AudioFile& f) { return f.SetFormatG726(8000, 2); }, "G726", "adpcm_g726", 8000, 1},
        {"G726Bits4At22050", [](AudioFile& f) { return f.SetFormatG726(22050, 4); }, "G726", "adpcm_g726", 22050, 1},
        {"G729", [](AudioFile& f) { return f.SetFormatG729(8000); }, "G729", "g729", 8000, 1},
        {"G729AskedAt44100", [](AudioFile& f) { return f.SetFormatG729(44100); }, "G729", "g729", 8000, 1},
        {"OggQuality3", [](AudioFile& f) { return f.SetFormatOgg(44100, 2, 128, 0, 0, 300); }, "OGG", "vorbis", 44100, 2},
        {"OggCbr160", [](AudioFile& f) { return f.SetFormatOgg(44100, 2, 160, 0, 0, -1); }, "OGG", "vorbis", 44100, 2},
        {"OggManaged112To192", [](AudioFile& f) { return f.SetFormatOgg(44100, 2, 128, 112, 192, -1); }, "OGG", "vorbis", 44100, 2},
        {"Ac3Stereo48000", [](AudioFile& f) { return f.SetFormatAC3(48000, 192, 2, 0); }, "AC3", "ac3", 48000, 2},
        {"Ac3Dolby44100", [](AudioFile& f) { return f.SetFormatAC3(44100, 384, 9, 0); }, "AC3", "ac3", 44100, 6},
        {"Ac3MonoAt32000", [](AudioFile& f) { return f.SetFormatAC3(32000, 96, 1, 0); }, "AC3", "ac3", 32000, 1},
        {"AacLcStereo", aac(44100, 2, 128, 2, 100), "AAC", "aac", 44100, 2},
        {"AacMainMono22050", aac(22050, 1, 64, 1, 50), "AAC", "aac", 22050, 1},
        {"AacLtpStereo32000", aac(32000, 2, 96, 4, 100), "AAC", "aac", 32000, 2},
    };
}

class FormatRoundTrip : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatRoundTrip, RecordsAFileOtherProgramsOpenWithBothTones)
{
    const FormatCase& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("take." + c.extension);
    AudioFile file;
    ASSERT_TRUE(c.select(file)) << file.lastError();
    const auto fmt = file.CurrentFormat();
    ASSERT_EQ(fmt.SampleRate, c.rate);
    ASSERT_EQ(fmt.Channels, c.channels);
    EXPECT_FALSE(fmt.Description.empty());
    ASSERT_TRUE(file.OpenWrite(path, 1000)) << file.lastError();
    ASSERT_TRUE(recordTones(file, kSeconds, kLow, kHigh)) << file.lastError();
    EXPECT_NEAR(file.CurrentFormat().AudioLength, 5000, 1);
    ASSERT_TRUE(file.Close()) << file.lastError();

    std::vector<std::int16_t> outside;
    if (c.codec.empty()) {
        int status = -1;
        const std::string raw = run("sox -t vox -r " + std::to_string(c.rate) + " " + quote(path) + " -t s16 -L - 2>/dev/null", &status);
        ASSERT_EQ(status, 0);
        outside.resize(raw.size() / 2);
        std::memcpy(outside.data(), raw.data(), outside.size() * 2);
    } else {
        auto info = probe(path, c.probeOptions);
        EXPECT_EQ(info["codec_name"], c.codec);
        EXPECT_EQ(info["sample_rate"], std::to_string(c.rate));
        EXPECT_EQ(info["channels"], std::to_string(c.channels));
        if (info["duration"] != "N/A" && !info["duration"].empty()) {
            EXPECT_NEAR(std::stod(info["duration"]), kSeconds, 1.0);
        }
        outside = decodeWithFfmpeg(path, c.rate, c.channels, c.probeOptions);
    }
    const double seconds = double(outside.size()) / c.channels / c.rate;
    EXPECT_NEAR(seconds, kSeconds, 1.0);
    const int toneChannels = std::min(c.channels, 2);
    for (int ch = 0; ch < toneChannels; ++ch) {
        const double floor = c.channels == 1 ? 0.1 : 0.2;
        if (c.channels == 1 || ch == 0) {
            EXPECT_GT(toneLevel(outside, c.channels, ch, kLow, c.rate), floor) << "440 Hz, channel " << ch;
        }
        if (c.channels == 1 || ch == 1) {
            EXPECT_GT(toneLevel(outside, c.channels, ch, kHigh, c.rate), floor) << "1000 Hz, channel " << ch;
        }
    }

    int rate = 0, channels = 0;
    const auto ours = decodeWithReader(path, rate, channels, c.codec.empty() ? c.rate : 0);
    EXPECT_EQ(rate, c.rate);
    ASSERT_EQ(channels, c.channels);
    EXPECT_NEAR(double(ours.size()) / c.channels / c.rate, kSeconds, 1.0);
    EXPECT_GT(toneLevel(ours, channels, 0, kLow, rate), 0.1);
    EXPECT_GT(toneLevel(ours, channels, channels == 1 ? 0 : 1, kHigh, rate), 0.1);
}

INSTANTIATE_TEST_SUITE_P(AllFormats, FormatRoundTrip, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return info.param.name; });

} // namespace
