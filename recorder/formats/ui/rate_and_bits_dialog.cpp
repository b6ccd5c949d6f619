#include "recorder/formats/ui/rate_and_bits_dialog.h"

#include "recorder/components/audio_file.h"
#include "recorder/formats/ui/format_controls.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <tuple>

namespace recorder {

RateAndBitsDialog::RateAndBitsDialog(const RateAndBitsCodec& codec, AudioFile& file, QLineEdit* row,
                                     UserPrompts* prompts, QWidget* parent)
    : FormatDialog(codec.name, codec.caption, file, row, prompts, parent), codec_(codec)
{
    auto* layout = new QVBoxLayout(this);
    auto* choices = new QHBoxLayout;
    Frequency = new RateOptions(kTelephonyRates, this);
    choices->addWidget(Frequency);

    ADPCMBit = new QGroupBox("ADPCM Bit", this);
    ADPCMBit->setObjectName("ADPCMBit");
    auto* bits = new QVBoxLayout(ADPCMBit);
    FormatValues& v = formatValues();
    for (std::size_t i = 0; i < Option1.size(); ++i) {
        Option1[i] = new QRadioButton(kBitCaptions[i], ADPCMBit);
        Option1[i]->setObjectName(QString("Option1(%1)").arg(i));
        bits->addWidget(Option1[i]);
        const auto depth = static_cast<std::int16_t>(i + kFewestBits);
        connect(Option1[i], &QRadioButton::toggled, this, [&v, &codec, depth](bool on) {
            if (on) v.*codec.bits = depth;
        });
    }
    bits->addStretch();
    choices->addWidget(ADPCMBit);
    layout->addLayout(choices);

    std::tie(cmdOK, cmdCancel) = addButtons(layout, "cmdOK", "Ok", "cmdCancel", "Cancel");

    connect(Frequency, &RateOptions::chosen, this, [&v, &codec](int rate) { v.*codec.rate = rate; });
    connect(cmdOK, &QPushButton::clicked, this, &RateAndBitsDialog::cmdOK_Click);

    Form_Load();
}

// The options' rules are connected: choosing an option is what sets the value.
void RateAndBitsDialog::Form_Load()
{
    FormatValues& v = formatValues();
    readKey(codec_.section, codec_.rateKey, v.*codec_.rate);
    readKey(codec_.section, codec_.bitsKey, v.*codec_.bits);
    if (!Frequency->choose(v.*codec_.rate)) Frequency->choose(kFallbackRate);
    const int bits = v.*codec_.bits;
    const bool offered = bits >= kFewestBits && bits < kFewestBits + static_cast<int>(Option1.size());
    Option1[static_cast<std::size_t>((offered ? bits : kFallbackBits) - kFewestBits)]->setChecked(true);
}

void RateAndBitsDialog::cmdOK_Click()
{
    const FormatValues& v = formatValues();
    const std::int32_t rate = v.*codec_.rate;
    const std::int16_t bits = v.*codec_.bits;
    if (!recordable((file_.*codec_.select)(rate, bits), codec_.format, rate)) return;
    confirm(codec_.section, {{codec_.rateKey, std::to_string(rate)}, {codec_.bitsKey, std::to_string(bits)}});
}

} // namespace recorder
