#include "recorder/formats/ui/frm_ac3.h"

#include "recorder/widgets/user_prompts.h"
#include "recorder/components/audio_file.h"
#include "recorder/formats/bitrate_table.h"
#include "recorder/formats/ui/format_controls.h"
#include "recorder/recording/format_values.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <tuple>

namespace recorder {

namespace {

constexpr const char* kSection = "AC3";
// The file component's AC3 defaults; the bitrate slider stands at 192 kbit/s
// until a stored bit rate moves it.
constexpr int kUsualRate = 48000;
constexpr int kUsualLayout = 2;
constexpr int kUsualBitrate = 192;

} // namespace

frmAC3::frmAC3(AudioFile& file, QLineEdit* txtAC3, UserPrompts* prompts, QWidget* parent)
    : FormatDialog("frmAC3", "AC3 Format Options", file, txtAC3, prompts, parent)
{
    auto* layout = new QVBoxLayout(this);
    ComboSampleRate = rateList(kAc3Rates, this);
    layout->addWidget(framed(this, "Sample Rate (Hz)", ComboSampleRate));
    ComboChannels = channelLayoutList(this);
    layout->addWidget(framed(this, "Channels", ComboChannels));
    GroupBoxBitrate = new BitrateGroup(this);
    GroupBoxBitrate->slider()->setValue(*bitratePosition(kUsualBitrate));
    layout->addWidget(GroupBoxBitrate);
    std::tie(ButtonOK, ButtonCancel) = addButtons(layout, "ButtonOK", "Ok", "ButtonCancel", "Cancel");
    connect(ButtonOK, &QPushButton::clicked, this, &frmAC3::ButtonOK_Click);
    Form_Load();
}

// A value of 0 (never stored) records with the file component's default,
// which is what the dialog then shows.
void frmAC3::Form_Load()
{
    FormatValues& v = formatValues();
    readKey(kSection, "AC3SampleRate", v.AC3SampleRate);
    showRate(ComboSampleRate, v.AC3SampleRate == 0 ? kUsualRate : v.AC3SampleRate);
    readKey(kSection, "AC3Channels", v.AC3Channels);
    const int layout = v.AC3Channels == 0 ? kUsualLayout : v.AC3Channels;
    ComboChannels->setCurrentIndex(layout >= 1 && layout <= ComboChannels->count() ? layout - 1 : -1);
    readKey(kSection, "AC3Bitrate", v.AC3Bitrate);
    GroupBoxBitrate->showBitrate(v.AC3Bitrate == 0 ? kUsualBitrate : v.AC3Bitrate);
}

void frmAC3::ButtonOK_Click()
{
    const auto rate = selectedRate(ComboSampleRate);
    const int layout = ComboChannels->currentIndex() + 1;
    const int bitrate = GroupBoxBitrate->bitrate();
    if (!rate || layout < 1) {
        if (prompts_) prompts_->message(this, "Choose the sample rate and the channels of the AC3 recording.", MessageIcon::Exclamation);
        return;
    }
    if (!recordable(file_.SetFormatAC3(*rate, bitrate, layout, 0), "AC3")) return;
    FormatValues& v = formatValues();
    v.AC3SampleRate = *rate;
    v.AC3Channels = static_cast<std::int16_t>(layout);
    v.AC3Bitrate = static_cast<std::int16_t>(bitrate);
    confirm(kSection, {{"AC3SampleRate", std::to_string(*rate)},
                       {"AC3Channels", std::to_string(layout)},
                       {"AC3Bitrate", std::to_string(bitrate)}});
}

} // namespace recorder
