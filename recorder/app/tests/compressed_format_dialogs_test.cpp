// What the Ogg Vorbis, AC3 and AAC dialogs show is what the next recording
// writes: a choice confirmed in the dialog, a recording through the main
// window, and ffprobe's view of the file.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/components/audio_file.h"
#include "recorder/components/tests/test_audio.h"
#include "recorder/formats/ui/format_controls.h"
#include "recorder/formats/ui/frm_aac.h"
#include "recorder/formats/ui/frm_ac3.h"
#include "recorder/formats/ui/frm_ogg.h"
#include "recorder/recording/format_values.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <sstream>

namespace recorder {
namespace {

class CompressedFormatDialogs : public RecorderWindowTest {
protected:
    // Records 3 s of the tone in the format and gives ffprobe's view of the stream.
    std::map<std::string, std::string> recordAndProbe(FormatCode format)
    {
        form_->cboEncoders->setCurrentIndex(format);
        recordTone(3.0);
        EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
        const std::string path = form_->currentRecordPath();
        auto info = testaudio::probe(path);
        std::istringstream more(testaudio::run("ffprobe -v error -select_streams a:0 -show_entries "
                                               "stream=channel_layout,bit_rate -of default=noprint_wrappers=1 " +
                                               testaudio::quote(path)));
        for (std::string line; std::getline(more, line);)
            if (auto eq = line.find('='); eq != std::string::npos) info[line.substr(0, eq)] = line.substr(eq + 1);
        return info;
    }
    QLineEdit row_;
};

TEST_F(CompressedFormatDialogs, OggAtTheNominalBitRateChosen)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    {
        frmOgg dialog(*form_->AudioFile, &row_, &prompts_);
        dialog.sldrBitrate->setValue(4); // 192 kbit/s
        dialog.cmdOK->click();
    }
    EXPECT_EQ(row_.text(), "Ogg Vorbis, 44100 Hz, 192 kbit/s CBR, stereo");
    auto info = recordAndProbe(OGG);
    EXPECT_EQ(info["codec_name"], "vorbis");
    EXPECT_EQ(info["sample_rate"], "44100");
    EXPECT_EQ(info["channels"], "2");
    EXPECT_EQ(info["bit_rate"], "192000");
}

TEST_F(CompressedFormatDialogs, Ac3AtTheRateLayoutAndBitRateChosen)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    {
        frmAC3 dialog(*form_->AudioFile, &row_, &prompts_);
        dialog.ComboSampleRate->setCurrentText("32000");
        dialog.ComboChannels->setCurrentText("Quadro");
        dialog.GroupBoxBitrate->slider()->setValue(13); // 256 kbit/s
        dialog.ButtonOK->click();
    }
    EXPECT_EQ(row_.text(), "AC3, 32000 Hz, 256 kbit/s, Quadro");
    auto info = recordAndProbe(AC3);
    EXPECT_EQ(info["codec_name"], "ac3");
    EXPECT_EQ(info["sample_rate"], "32000");
    EXPECT_EQ(info["channels"], "4");
    // AC3 carries two surround channels, which its decoder names side channels.
    EXPECT_EQ(info["channel_layout"], "quad(side)");
    EXPECT_EQ(info["bit_rate"], "256000");
}

TEST_F(CompressedFormatDialogs, AacAtTheRateLayoutAndObjectTypeChosen)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    {
        frmAAC dialog(*form_->AAC, *form_->AudioFile, &row_, &prompts_);
        dialog.ComboSampleRate->setCurrentText("22050");
        dialog.ComboChannels->setCurrentText("Mono");
        dialog.ComboType->setCurrentText("Main");
        dialog.GroupBoxBitrate->slider()->setValue(6); // 64 kbit/s
        dialog.ButtonOK->click();
    }
    EXPECT_EQ(row_.text(), "AAC Main, 22050 Hz, 64 kbit/s, Mono");
    auto info = recordAndProbe(FormatCode::AAC);
    EXPECT_EQ(info["codec_name"], "aac");
    EXPECT_EQ(info["profile"], "Main");
    EXPECT_EQ(info["sample_rate"], "22050");
    EXPECT_EQ(info["channels"], "1");
    EXPECT_EQ(info["channel_layout"], "mono");
}

} // namespace
} // namespace recorder
