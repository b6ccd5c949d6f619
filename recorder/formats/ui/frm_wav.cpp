#include "recorder/formats/ui/frm_wav.h"

#include "recorder/widgets/user_prompts.h"
#include "recorder/components/audio_file.h"
#include "recorder/formats/ui/format_controls.h"
#include "recorder/recording/format_values.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <tuple>

namespace recorder {

namespace {

constexpr const char* kSection = "wav";

} // namespace

frmWAV::frmWAV(AudioFile& file, QLineEdit* txtWAV, UserPrompts* prompts, QWidget* parent)
    : FormatDialog("frmWAV", "Set WAV Format", file, txtWAV, prompts, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* choices = new QHBoxLayout;
    Frequency = new RateOptions(kWavRates, this);
    choices->addWidget(Frequency);

    nChannels = new QGroupBox("nChannels", this);
    nChannels->setObjectName("nChannels");
    auto* channels = new QVBoxLayout(nChannels);
    P1 = new QRadioButton("Mono", nChannels);
    P1->setObjectName("P1");
    P2 = new QRadioButton("Stereo", nChannels);
    P2->setObjectName("P2");
    channels->addWidget(P1);
    channels->addWidget(P2);
    channels->addStretch();
    choices->addWidget(nChannels);
    layout->addLayout(choices);

    SetWAVFormat = new QGroupBox("Set WAV Format", this);
    SetWAVFormat->setObjectName("SetWAVFormat");
    auto* codings = new QHBoxLayout(SetWAVFormat);
    auto coding = [&](const char* name, const char* caption) {
        auto* button = new QPushButton(caption, SetWAVFormat);
        button->setObjectName(name);
        button->setAutoDefault(false);
        codings->addWidget(button);
        return button;
    };
    cmdPCM = coding("cmdPCM", "PCM");
    cmdADPCM = coding("cmdADPCM", "ADPCM");
    cmdGSM = coding("cmdGSM", "GSM");
    cmdDSP = coding("cmdDSP", "DSP");
    layout->addWidget(SetWAVFormat);

    std::tie(Command1, Command2) = addButtons(layout, "Command1", "OK", "Command2", "Cancel");

    FormatValues& v = formatValues();
    connect(Frequency, &RateOptions::chosen, this, [&v](int rate) { v.Freq = rate; });
    connect(P1, &QRadioButton::toggled, this, [&v](bool on) { if (on) v.Channel = 1; });
    connect(P2, &QRadioButton::toggled, this, [&v](bool on) { if (on) v.Channel = 2; });
    connect(Command1, &QPushButton::clicked, this, &frmWAV::Command1_Click);
    connect(cmdPCM, &QPushButton::clicked, this, &frmWAV::cmdPCM_Click);
    connect(cmdADPCM, &QPushButton::clicked, this, &frmWAV::cmdADPCM_Click);
    connect(cmdGSM, &QPushButton::clicked, this, &frmWAV::cmdGSM_Click);
    connect(cmdDSP, &QPushButton::clicked, this, &frmWAV::cmdDSP_Click);

    Form_Load();
}

// The options' rules are connected: choosing an option is what sets the value.
void frmWAV::Form_Load()
{
    FormatValues& v = formatValues();
    readKey(kSection, "Freq", v.Freq);
    readKey(kSection, "Channel", v.Channel);
    if (!Frequency->choose(v.Freq)) Frequency->choose(kFallbackRate);
    if (v.Channel == 1)
        P1->setChecked(true);
    else
        P2->setChecked(true);
}

void frmWAV::Command1_Click()
{
    const FormatValues& v = formatValues();
    if (!recordable(file_.SetFormatPCM(v.Freq, v.Channel, 16, 0), "WAV", v.Freq, v.Channel)) return;
    confirm(kSection, {{"Freq", std::to_string(v.Freq)}, {"Channel", std::to_string(v.Channel)}});
}

void frmWAV::cmdPCM_Click()
{
    const FormatValues& v = formatValues();
    if (!recordable(file_.SetFormatPCM(v.Freq, v.Channel, 16, 0), "WAV", v.Freq, v.Channel)) return;
    confirmWithoutStoring();
}

void frmWAV::cmdADPCM_Click()
{
    file_.SetFormatADPCM(formatValues().Freq, formatValues().Channel);
    codingChosen();
}

void frmWAV::cmdGSM_Click()
{
    file_.SetFormatGSM(formatValues().Freq);
    codingChosen();
}

void frmWAV::cmdDSP_Click()
{
    file_.SetFormatDSP();
    confirmWithoutStoring();
}

void frmWAV::codingChosen()
{
    if (!file_.CurrentFormat().Description.empty()) {
        confirmWithoutStoring();
        return;
    }
    // The dialog stays open so that another rate can be chosen.
    if (prompts_) prompts_->message(this, "Format Parametr not valid", MessageIcon::None, MessageButtons::Ok);
}

} // namespace recorder
