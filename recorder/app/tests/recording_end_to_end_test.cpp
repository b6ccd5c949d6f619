// A person's recording, end to end: every format, from a fresh installation
// and from settings with other values, through the main window into a file
// that other programs open and that carries the tone.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/components/audio_file.h"
#include "recorder/recording/format_values.h"
#include "recorder/components/tests/test_audio.h"
#include "recorder/recording/time_and_size_text.h"

#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>

namespace recorder {
namespace {

struct Expected {
    const char* codec; // ffprobe's name; empty for raw VOX (checked with sox)
};

// Codec of each format list entry, in list order.
constexpr Expected kCodecs[] = {{"pcm_s16le"}, {"mp3"}, {""},       {"adpcm_g726"}, {"adpcm_g726"},
                                {"adpcm_g726"}, {"g729"}, {"vorbis"}, {"ac3"},        {"aac"}};

const char* kOtherSettings = "[set]\noutputfolder=%HOME%/takes\nfilename=take\ndatetime=0\nexistedfile=0\n"
                             "[wav]\nFreq=22050\nChannel=1\n[mp3]\nMP3Frequency=48000\nMP3Bitrate=192\nMP3Channels=1\n"
                             "[vox]\nvoxFreq=6000\n[g721]\ng721Freq=16000\n[g723]\ng723Freq=8000\ng723bit=3\n"
                             "[g726]\ngFreq=11025\ngbit=5\n[g729]\ng729Freq=8000\n"
                             "[ogg]\nQualityEnabled=1\nQuality=500\nVbrEnabled=0\noggBitrate=128\n"
                             "[AC3]\nAC3SampleRate=32000\nAC3Channels=1\nAC3Bitrate=96\n"
                             "[AAC]\nAACSampleRate=22050\nAACBitrate=64\nAACChannels=1\nAACQuality=100\nAACType=2\n";

std::string replaced(std::string text, const std::string& home)
{
    for (auto at = text.find("%HOME%"); at != std::string::npos; at = text.find("%HOME%")) text.replace(at, 6, home);
    return text;
}

class EveryFormat : public RecorderWindowTest, public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(EveryFormat, RecordsAFileThatPlaysEverywhereAndListsIt)
{
    const auto [format, otherSettings] = GetParam();
    if (otherSettings) {
        std::filesystem::create_directories(home_ + "/takes");
        writeSettings(replaced(kOtherSettings, home_));
    }
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    form_->cboEncoders->setCurrentIndex(format);
    const std::string ext = form_->cboEncoders->currentText().toStdString();

    recordTone(3.5);
    ASSERT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
    const std::string expectedPath = otherSettings ? home_ + "/takes/take." + ext : home_ + "/Music/Recorded." + ext;
    EXPECT_EQ(form_->currentRecordPath(), expectedPath);
    ASSERT_TRUE(std::filesystem::exists(expectedPath));

    const FormatInfo fmt = form_->AudioFile->CurrentFormat();
    std::vector<std::int16_t> pcm;
    if (*kCodecs[format].codec) {
        auto info = testaudio::probe(expectedPath);
        EXPECT_EQ(info["codec_name"], kCodecs[format].codec);
        EXPECT_EQ(info["sample_rate"], std::to_string(fmt.SampleRate));
        EXPECT_EQ(info["channels"], std::to_string(fmt.Channels));
        pcm = testaudio::decodeWithFfmpeg(expectedPath, fmt.SampleRate, fmt.Channels);
    } else {
        const std::string raw = testaudio::run("sox -t vox -r " + std::to_string(fmt.SampleRate) + " " +
                                               testaudio::quote(expectedPath) + " -t s16 -L - 2>/dev/null");
        pcm.resize(raw.size() / 2);
        std::memcpy(pcm.data(), raw.data(), pcm.size() * 2);
    }
    const double seconds = double(pcm.size()) / fmt.Channels / fmt.SampleRate;
    EXPECT_GT(seconds, 1.9);
    EXPECT_LT(seconds, 4.6);
    EXPECT_GT(testaudio::toneLevel(pcm, fmt.Channels, 0, 1000, fmt.SampleRate), 0.15) << "the tone is in the file";

    auto rows = form_->rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].number, "1");
    EXPECT_EQ(rows[0].path, expectedPath);
    EXPECT_EQ(rows[0].size, sizeText(std::filesystem::file_size(expectedPath)));
    EXPECT_EQ(rows[0].duration, form_->Label1->text().toStdString());
    EXPECT_FALSE(rows[0].recordTime.empty());
    EXPECT_EQ(rows[0].format, ext);
    EXPECT_EQ(form_->StatusPanel2->text(), "Done");
    EXPECT_EQ(form_->ProgressBarMeter[0]->value(), 0);
}

std::string caseName(const ::testing::TestParamInfo<std::tuple<int, bool>>& info)
{
    return std::string(kFormatNames[std::get<0>(info.param)]) +
           (std::get<1>(info.param) ? "OtherSettings" : "FreshInstallation");
}

INSTANTIATE_TEST_SUITE_P(Formats, EveryFormat, ::testing::Combine(::testing::Range(0, 10), ::testing::Bool()), caseName);

} // namespace
} // namespace recorder
