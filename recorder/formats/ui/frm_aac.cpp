#include "recorder/formats/ui/frm_aac.h"

#include "recorder/widgets/user_prompts.h"
#include "recorder/components/audio_file.h"
#include "recorder/components/audio_format_settings.h"
#include "recorder/formats/ui/format_controls.h"
#include "recorder/recording/format_values.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <tuple>

namespace recorder {

namespace {

constexpr const char* kSection = "AAC";

} // namespace

frmAAC::frmAAC(AudioFormatSettings& aac, AudioFile& file, QLineEdit* txtAAC, UserPrompts* prompts, QWidget* parent)
    : FormatDialog("frmAAC", "MP4 (AAC) Format Options", file, txtAAC, prompts, parent), AAC(aac)
{
    auto* layout = new QVBoxLayout(this);
    ComboType = new QComboBox(this);
    ComboType->setObjectName("ComboType");
    ComboType->addItems({"Main", "LC", "SSR", "LTP"});
    layout->addWidget(framed(this, "Type Object", ComboType));
    ComboSampleRate = rateList(kListRates, this);
    layout->addWidget(framed(this, "Sample Rate (Hz)", ComboSampleRate));
    ComboChannels = channelLayoutList(this);
    layout->addWidget(framed(this, "Channels", ComboChannels));

    auto* quality = new QGroupBox("Encoder Quality", this);
    auto* qualityGrid = new QGridLayout(quality);
    sliderQuality = new QSlider(Qt::Horizontal, quality);
    sliderQuality->setObjectName("sliderQuality");
    sliderQuality->setRange(0, 500);
    sliderQuality->setPageStep(50);
    qualityGrid->addWidget(new QLabel("faster", quality), 0, 0);
    qualityGrid->addWidget(sliderQuality, 0, 1);
    qualityGrid->addWidget(new QLabel("better", quality), 0, 2);
    qualityGrid->setColumnStretch(1, 1);
    layout->addWidget(quality);

    GroupBoxBitrate = new BitrateGroup(this);
    layout->addWidget(GroupBoxBitrate);
    std::tie(ButtonOK, ButtonCancel) = addButtons(layout, "ButtonOK", "Ok", "ButtonCancel", "Cancel");
    connect(ButtonOK, &QPushButton::clicked, this, &frmAAC::ButtonOK_Click);
    Form_Load();
}

// The rate shown is the settings object's, the one that will be recorded,
// whatever the stored key holds.
void frmAAC::Form_Load()
{
    FormatValues& v = formatValues();
    readKey(kSection, "AACSampleRate", v.AACSampleRate);
    showRate(ComboSampleRate, AAC.SampleRate());
    readKey(kSection, "AACChannels", v.AACChannels);
    if (v.AACChannels >= 1 && v.AACChannels <= ComboChannels->count()) ComboChannels->setCurrentIndex(v.AACChannels - 1);
    readKey(kSection, "AACType", v.AACType);
    if (v.AACType >= 1 && v.AACType <= ComboType->count()) ComboType->setCurrentIndex(v.AACType - 1);
    readKey(kSection, "AACBitrate", v.AACBitrate);
    GroupBoxBitrate->showBitrate(v.AACBitrate);
    readKey(kSection, "AACQuality", v.AACQuality);
    sliderQuality->setValue(v.AACQuality);
}

void frmAAC::ButtonOK_Click()
{
    const auto rate = selectedRate(ComboSampleRate);
    if (!rate) {
        if (prompts_) prompts_->message(this, "Choose the sample rate of the AAC recording.", MessageIcon::Exclamation);
        return;
    }
    // Set every property first; a choice the object or the encoder refuses
    // leaves the object as it was and stores nothing.
    const AudioFormatSettings before = AAC;
    std::string refused;
    if (!AAC.setObjectType(ComboType->currentIndex() + 1))
        refused = "the " + ComboType->currentText().toStdString() + " object type has no encoder; choose Main, LC or LTP.";
    AAC.setSampleRate(*rate);
    AAC.setBitrate(GroupBoxBitrate->bitrate());
    AAC.setChannels(ComboChannels->currentIndex() + 1);
    AAC.setQuality(sliderQuality->value()); // a refused quality keeps the object's: it changes speed, not the file
    if (!refused.empty()) {
        AAC = before;
        if (prompts_) prompts_->message(this, "AAC cannot be recorded with these settings: " + refused, MessageIcon::Exclamation);
        return;
    }
    if (!recordable(file_.SetFormatAAC(AAC), "AAC")) {
        AAC = before;
        return;
    }
    FormatValues& v = formatValues();
    v.AACSampleRate = AAC.SampleRate();
    v.AACBitrate = static_cast<std::int16_t>(AAC.Bitrate());
    v.AACChannels = static_cast<std::int16_t>(AAC.Channels());
    v.AACType = static_cast<std::int16_t>(AAC.ObjectType());
    v.AACQuality = static_cast<std::int16_t>(AAC.Quality());
    confirm(kSection, {{"AACSampleRate", std::to_string(v.AACSampleRate)},
                       {"AACBitrate", std::to_string(v.AACBitrate)},
                       {"AACChannels", std::to_string(v.AACChannels)},
                       {"AACType", std::to_string(v.AACType)},
                       {"AACQuality", std::to_string(v.AACQuality)}});
}

} // namespace recorder
