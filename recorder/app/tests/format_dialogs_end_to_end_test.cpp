// The WAV, VOX and telephony format dialogs end to end: a choice confirmed in
// the dialog is what the next recording through the main window carries, as
// other programs read the file.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/components/audio_file.h"
#include "recorder/components/tests/test_audio.h"
#include "recorder/formats/ui/frm_g721.h"
#include "recorder/formats/ui/frm_g723.h"
#include "recorder/formats/ui/frm_g726.h"
#include "recorder/formats/ui/frm_g729.h"
#include "recorder/formats/ui/frm_vox.h"
#include "recorder/formats/ui/frm_wav.h"
#include "recorder/recording/format_values.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <type_traits>

namespace recorder {
namespace {

// Clicks the option of `dialog` that shows `caption`; false when none does.
bool clickShown(QWidget* dialog, const QString& caption)
{
    for (auto* option : dialog->findChildren<QRadioButton*>()) {
        if (option->text() != caption) continue;
        option->click();
        return true;
    }
    return false;
}

struct DialogChoice {
    const char* name;
    FormatCode format;
    int rate;
    int channels;
    int bits;          // 0: not checked
    const char* codec; // ffprobe's name; empty for raw VOX
    // Opens the dialog, makes the choice shown by rate (and bits) and confirms it; true when it closed accepted.
    std::function<bool(AudioFile&, QLineEdit*, UserPrompts*, const DialogChoice&)> confirm;
};

template <class Dialog>
bool confirmOptions(AudioFile& file, QLineEdit* row, UserPrompts* prompts, const DialogChoice& c)
{
    Dialog d(file, row, prompts);
    if (!clickShown(&d, QString::number(c.rate))) return false;
    if constexpr (std::is_same_v<Dialog, frmWAV>) {
        (c.channels == 1 ? d.P1 : d.P2)->click();
        d.Command1->click();
    } else if constexpr (std::is_same_v<Dialog, frmVOX>) {
        d.cmdOK->click();
    } else {
        if (!clickShown(&d, kBitCaptions[static_cast<std::size_t>(c.bits - kFewestBits)])) return false;
        d.cmdOK->click();
    }
    return d.result() == QDialog::Accepted;
}

template <class Dialog>
bool confirmList(AudioFile& file, QLineEdit* row, UserPrompts* prompts, const DialogChoice& c)
{
    Dialog d(file, row, prompts);
    const int index = d.ComboSampleRate->findText(QString::number(c.rate));
    if (index < 0) return false;
    d.ComboSampleRate->setCurrentIndex(index);
    d.ButtonOK->click();
    return d.result() == QDialog::Accepted;
}

// Each a choice other than the fallback the dialog opens with.
const DialogChoice kChoices[] = {
    {"WAV", WAV, 22050, 1, 16, "pcm_s16le", confirmOptions<frmWAV>},
    {"VOX", VOX, 16000, 1, 0, "", confirmOptions<frmVOX>},
    {"G721", G721, 16000, 1, 4, "adpcm_g726", confirmList<frmG721>},
    {"G723", G723, 11025, 1, 2, "adpcm_g726", confirmOptions<frmG723>},
    {"G726", G726, 12000, 1, 5, "adpcm_g726", confirmOptions<frmG726>},
    {"G729", G729, 8000, 1, 0, "g729", confirmList<frmG729>},
};

class DialogChoiceRecorded : public RecorderWindowTest, public ::testing::WithParamInterface<DialogChoice> {};

TEST_P(DialogChoiceRecorded, TheFileCarriesWhatTheDialogShowed)
{
    const DialogChoice& c = GetParam();
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    QLineEdit row;
    ASSERT_TRUE(c.confirm(*form_->AudioFile, &row, &prompts_, c));
    ASSERT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
    EXPECT_NE(row.text().indexOf(QString::number(c.rate) + " Hz"), -1) << row.text().toStdString();

    form_->cboEncoders->setCurrentIndex(c.format);
    recordTone(3.0);
    ASSERT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
    const std::string path = form_->currentRecordPath();
    ASSERT_TRUE(std::filesystem::exists(path)) << path;

    std::vector<std::int16_t> pcm;
    if (*c.codec) {
        auto info = testaudio::probe(path);
        EXPECT_EQ(info["codec_name"], c.codec);
        EXPECT_EQ(info["sample_rate"], std::to_string(c.rate));
        EXPECT_EQ(info["channels"], std::to_string(c.channels));
        if (c.bits) {
            // ffprobe names no bit depth for G.726 ADPCM; its bit rate is rate × bits, in whole bytes a second.
            const std::string bitrate = testaudio::run("ffprobe -v error -select_streams a:0 -show_entries "
                                                       "stream=bit_rate -of csv=p=0 " +
                                                       testaudio::quote(path) + " 2>/dev/null");
            EXPECT_EQ(std::lround(std::stod("0" + bitrate) / c.rate), c.bits) << bitrate;
        }
        pcm = testaudio::decodeWithFfmpeg(path, c.rate, c.channels);
    } else {
        // Raw VOX names no rate: the tone sits at its pitch only when decoded at the chosen one.
        const std::string raw = testaudio::run("sox -t vox -r " + std::to_string(c.rate) + " " +
                                               testaudio::quote(path) + " -t s16 -L - 2>/dev/null");
        pcm.resize(raw.size() / 2);
        std::memcpy(pcm.data(), raw.data(), pcm.size() * 2);
    }
    const double seconds = double(pcm.size()) / c.channels / c.rate;
    EXPECT_GT(seconds, 2.0);
    EXPECT_LT(seconds, 4.0);
    EXPECT_GT(testaudio::toneLevel(pcm, c.channels, 0, 1000, c.rate), 0.15) << "the tone at its pitch";
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogChoiceRecorded, ::testing::ValuesIn(kChoices),
                         [](const ::testing::TestParamInfo<DialogChoice>& info) { return std::string(info.param.name); });

} // namespace
} // namespace recorder
