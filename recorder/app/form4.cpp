#include "recorder/app/form4.h"

#include "recorder/fileutil/cut_at_nul.h"

#include "recorder/widgets/skin.h"
#include "recorder/widgets/user_prompts.h"
#include "recorder/recording/output_naming.h"
#include "recorder/settings/music_folder.h"
#include "recorder/settings/settings_store.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace recorder {

Form4::Form4(UserPrompts& prompts, QWidget* parent) : QDialog(parent), prompts_(prompts)
{
    setObjectName("Form4");
    setWindowTitle("Output Files");
    setModal(true);

    Text2 = new QLineEdit(this);
    Text2->setObjectName("Text2");
    Command4 = new QPushButton("Browse...", this);
    Command4->setObjectName("Command4");
    Text1 = new QLineEdit(this);
    Text1->setObjectName("Text1");
    Check1 = new QCheckBox("Date + Time", this);
    Check1->setObjectName("Check1");
    Option1 = new QRadioButton("Add number after filename", this);
    Option1->setObjectName("Option1");
    Option2 = new QRadioButton("Overwrite the existed file", this);
    Option2->setObjectName("Option2");
    auto* group = new QButtonGroup(this);
    group->addButton(Option1);
    group->addButton(Option2);
    Command1 = new QPushButton("OK", this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    Command2 = new QPushButton("Cancel", this);
    Command2->setObjectName("Command2");

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Output Folder:", this), 0, 0);
    grid->addWidget(Text2, 0, 1);
    grid->addWidget(Command4, 0, 2);
    grid->addWidget(new QLabel("File Name:", this), 1, 0);
    grid->addWidget(Text1, 1, 1);
    grid->addWidget(Check1, 1, 2);
    grid->addWidget(Option1, 2, 1);
    grid->addWidget(Option2, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    grid->addLayout(buttons, 4, 0, 1, 3);
    setMinimumWidth(520);

    connect(Command4, &QPushButton::clicked, this, &Form4::browse);
    connect(Command1, &QPushButton::clicked, this, &Form4::accept);
    connect(Command2, &QPushButton::clicked, this, &Form4::reject);

    applySkin(this);
    load();
}

void Form4::load()
{
    const NamingSettings stored = readNamingSettings(settingsFilePath());
    // An unset folder shows the music folder and stays unset unless changed,
    // so it follows the desktop's music folder wherever that moves.
    if (usesDefaultFolder(stored)) defaultFolder_ = musicFolder();
    const OutputFilesForm f = loadOutputFilesForm(stored, defaultFolder_);
    Text2->setText(QString::fromStdString(f.folder));
    Text1->setText(QString::fromStdString(f.baseName));
    Check1->setChecked(f.dateTime);
    (f.addNumber ? Option1 : Option2)->setChecked(true);
}

void Form4::browse()
{
    if (auto folder = prompts_.pickFolder(this, Text2->text().toStdString())) {
        Text2->setText(QString::fromStdString(CutAtNul(*folder)));
    }
}

void Form4::accept()
{
    OutputFilesForm f{Text2->text().toStdString(), Text1->text().toStdString(), Check1->isChecked(), Option1->isChecked()};
    if (!validateOutputFilesForm(f)) {
        prompts_.message(this, "Please enter audio file name.", MessageIcon::Error);
        return;
    }
    const std::string file = settingsFilePath();
    NamingSettings naming = namingSettingsFrom(f);
    if (!defaultFolder_.empty() && naming.outputfolder == defaultFolder_) naming.outputfolder.clear();
    if (!storeNamingSettings(file, naming))
        prompts_.message(this,
                         "The output file settings could not be saved to " + file + " (" + lastSettingsWriteError() +
                             "). They apply until the recorder is closed.",
                         MessageIcon::Exclamation);
    QDialog::accept();
}

} // namespace recorder
