// Capture blocks come in any length (a block holds whatever had arrived when
// it was cut): every format takes odd and tiny blocks without failing or
// dropping samples.

#include "recorder/components/audio_format_settings.h"
#include "recorder/components/tests/test_audio.h"

#include <gtest/gtest.h>

#include <functional>

using recorder::AudioFile;
using namespace testaudio;

namespace {

struct Case {
    const char* name;
    std::function<bool(AudioFile&)> select;
    const char* extension;
};

// Keeps the test names free of the object's bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class BlockLengths : public ::testing::TestWithParam<Case> {};

TEST_P(BlockLengths, OddAndTinyBlocksAreAllWritten)
{
    const Case& c = GetParam();
    TempDir dir;
    AudioFile file;
    ASSERT_TRUE(c.select(file));
    const auto fmt = file.CurrentFormat();
    ASSERT_TRUE(file.OpenWrite(dir.file(std::string("odd.") + c.extension), 1000)) << file.lastError();
    std::uint64_t frames = 0;
    for (int n : {fmt.SampleRate + 17, 3999, 1, 0, fmt.SampleRate - 1, 2}) {
        auto pcm = twoTones(fmt.SampleRate, fmt.Channels, double(n) / fmt.SampleRate, 440, 1000, frames);
        pcm.resize(std::size_t(n) * fmt.Channels);
        ASSERT_TRUE(file.WriteArray(captureArray(fmt.SampleRate, fmt.Channels, pcm))) << n << ": " << file.lastError();
        frames += std::uint64_t(n);
    }
    ASSERT_TRUE(file.Close()) << file.lastError();
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, BlockLengths,
    ::testing::Values(Case{"Wav", [](AudioFile& f) { return f.SetFormatPCM(44100, 2, 16, 0); }, "WAV"},
                      Case{"Adpcm", [](AudioFile& f) { return f.SetFormatADPCM(22050, 2); }, "WAV"},
                      Case{"Gsm", [](AudioFile& f) { return f.SetFormatGSM(8000); }, "WAV"},
                      Case{"Mp3", [](AudioFile& f) { return f.SetFormatMP3(44100, 128, 2); }, "MP3"},
                      Case{"Vox", [](AudioFile& f) { return f.SetFormatVOX(8000); }, "VOX"},
                      Case{"G721", [](AudioFile& f) { return f.SetFormatG721(8000); }, "G721"},
                      Case{"G723", [](AudioFile& f) { return f.SetFormatG723(8000, 3); }, "G723"},
                      Case{"G726", [](AudioFile& f) { return f.SetFormatG726(8000, 5); }, "G726"},
                      Case{"G729", [](AudioFile& f) { return f.SetFormatG729(8000); }, "G729"},
                      Case{"Ogg", [](AudioFile& f) { return f.SetFormatOgg(44100, 2, 128, 0, 0, 300); }, "OGG"},
                      Case{"Ac3", [](AudioFile& f) { return f.SetFormatAC3(48000, 192, 2, 0); }, "AC3"},
                      Case{"Aac", [](AudioFile& f) { return f.SetFormatAAC(recorder::AudioFormatSettings()); }, "AAC"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
