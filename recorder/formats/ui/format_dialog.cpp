#include "recorder/formats/ui/format_dialog.h"

#include "recorder/widgets/skin.h"
#include "recorder/widgets/user_prompts.h"
#include "recorder/components/audio_file.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

namespace recorder {

FormatDialog::FormatDialog(const char* name, const char* caption, AudioFile& file, QLineEdit* row, UserPrompts* prompts,
                           QWidget* parent)
    : QDialog(parent), file_(file), row_(row), prompts_(prompts)
{
    setObjectName(name);
    setWindowTitle(caption);
    setModal(true);
    applySkin(this);
}

bool FormatDialog::recordable(bool selected, const std::string& format, int rate, int channels)
{
    std::string why;
    if (!selected) {
        why = file_.lastError();
    } else {
        const FormatInfo info = file_.CurrentFormat();
        // A codec that records at its own rate would write other audio than the dialog shows.
        if ((rate > 0 && info.SampleRate != rate) || (channels > 0 && info.Channels != channels))
            why = format + " is recorded at " + std::to_string(info.SampleRate) + " Hz " +
                  (info.Channels == 1 ? "mono" : "stereo") + " only.";
    }
    if (why.empty()) return true;
    if (prompts_) prompts_->message(this, format + " cannot be recorded with these settings: " + why, MessageIcon::Exclamation);
    return false;
}

void FormatDialog::confirm(const char* section, const std::vector<std::pair<const char*, std::string>>& keys)
{
    const std::string path = settingsFilePath();
    bool stored = true;
    for (const auto& [key, value] : keys) stored = WriteIniValue(path, section, key, value) && stored;
    if (!stored && prompts_) reportSettingsWriteFailure(*prompts_, this);
    confirmWithoutStoring();
}

void FormatDialog::confirmWithoutStoring()
{
    if (row_) row_->setText(QString::fromStdString(file_.CurrentFormat().Description));
    accept();
}

std::pair<QPushButton*, QPushButton*> FormatDialog::addButtons(QBoxLayout* layout, const char* okName,
                                                               const char* okCaption, const char* cancelName,
                                                               const char* cancelCaption)
{
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(okCaption, QDialogButtonBox::AcceptRole);
    ok->setObjectName(okName);
    QPushButton* cancel = buttons->addButton(cancelCaption, QDialogButtonBox::RejectRole);
    cancel->setObjectName(cancelName);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    return {ok, cancel};
}

} // namespace recorder
