#include "recorder/formats/ui/frm_vox.h"

#include "recorder/components/audio_file.h"
#include "recorder/formats/ui/format_controls.h"
#include "recorder/recording/format_values.h"

#include <QPushButton>
#include <QVBoxLayout>

#include <tuple>

namespace recorder {

namespace {

constexpr const char* kSection = "vox";

} // namespace

frmVOX::frmVOX(AudioFile& file, QLineEdit* txtVOX, UserPrompts* prompts, QWidget* parent)
    : FormatDialog("frmVOX", "Set VOX Format", file, txtVOX, prompts, parent)
{
    auto* layout = new QVBoxLayout(this);
    Frequency = new RateOptions(kWavRates, this);
    layout->addWidget(Frequency);
    std::tie(cmdOK, cmdCancel) = addButtons(layout, "cmdOK", "Ok", "cmdCancel", "Cancel");

    connect(Frequency, &RateOptions::chosen, this, [](int rate) { formatValues().voxFreq = rate; });
    connect(cmdOK, &QPushButton::clicked, this, &frmVOX::cmdOK_Click);

    Form_Load();
}

void frmVOX::Form_Load()
{
    std::int32_t& rate = formatValues().voxFreq;
    readKey(kSection, "voxFreq", rate);
    if (!Frequency->choose(rate)) Frequency->choose(kFallbackRate);
}

void frmVOX::cmdOK_Click()
{
    const std::int32_t rate = formatValues().voxFreq;
    if (!recordable(file_.SetFormatVOX(rate), "VOX", rate)) return;
    confirm(kSection, {{"voxFreq", std::to_string(rate)}});
}

} // namespace recorder
