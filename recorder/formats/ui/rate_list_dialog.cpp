#include "recorder/formats/ui/rate_list_dialog.h"

#include "recorder/widgets/user_prompts.h"
#include "recorder/components/audio_file.h"
#include "recorder/formats/ui/format_controls.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <tuple>

namespace recorder {

namespace {
constexpr int kTelephonyDefaultRate = 8000;
} // namespace

RateListDialog::RateListDialog(const RateListCodec& codec, AudioFile& file, QLineEdit* row, UserPrompts* prompts,
                               QWidget* parent)
    : FormatDialog(codec.name, codec.caption, file, row, prompts, parent), codec_(codec)
{
    auto* layout = new QVBoxLayout(this);
    SampleRate = new QGroupBox("Sample Rate (Hz)", this);
    SampleRate->setObjectName("SampleRate");
    ComboSampleRate = rateList(kListRates, SampleRate);
    (new QVBoxLayout(SampleRate))->addWidget(ComboSampleRate);
    layout->addWidget(SampleRate);
    std::tie(ButtonOK, ButtonCancel) = addButtons(layout, "ButtonOK", "Ok", "ButtonCancel", "Cancel");
    connect(ButtonOK, &QPushButton::clicked, this, &RateListDialog::ButtonOK_Click);

    Form_Load();
}

// A stored rate the list lacks (7000) leaves nothing selected: the user
// picks one rather than a rate that was never chosen. None stored records at
// the codec's 8000 Hz, which the list then shows.
void RateListDialog::Form_Load()
{
    std::int32_t& rate = formatValues().*codec_.rate;
    readKey(codec_.section, codec_.rateKey, rate);
    showRate(ComboSampleRate, rate == 0 ? kTelephonyDefaultRate : rate);
}

void RateListDialog::ButtonOK_Click()
{
    const std::optional<int> rate = selectedRate(ComboSampleRate);
    if (!rate) {
        if (prompts_)
            prompts_->message(this, std::string("Choose the ") + codec_.format + " sample rate from the list.",
                              MessageIcon::Exclamation);
        return;
    }
    if (!recordable((file_.*codec_.select)(*rate), codec_.format, *rate)) return;
    formatValues().*codec_.rate = *rate;
    confirm(codec_.section, {{codec_.rateKey, std::to_string(*rate)}});
}

} // namespace recorder
