#include "recorder/formats/ui/form2.h"

#include "recorder/widgets/skin.h"
#include "recorder/widgets/up_down.h"
#include "recorder/widgets/user_prompts.h"
#include "recorder/components/audio_file.h"
#include "recorder/components/audio_format_settings.h"
#include "recorder/formats/format_descriptions.h"
#include "recorder/formats/record_settings.h"
#include "recorder/formats/ui/frm_aac.h"
#include "recorder/formats/ui/frm_ac3.h"
#include "recorder/formats/ui/frm_g721.h"
#include "recorder/formats/ui/frm_g723.h"
#include "recorder/formats/ui/frm_g726.h"
#include "recorder/formats/ui/frm_g729.h"
#include "recorder/formats/ui/frm_mp3.h"
#include "recorder/formats/ui/frm_ogg.h"
#include "recorder/formats/ui/frm_vox.h"
#include "recorder/formats/ui/frm_wav.h"
#include "recorder/recording/filter_keys.h"
#include "recorder/settings/settings_store.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace recorder {

namespace {

QLineEdit* valueBox(QWidget* parent, const char* name, const char* designText)
{
    auto* box = new QLineEdit(designText, parent);
    box->setObjectName(name);
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance("0000000"));
    return box;
}

UpDown* upDown(QLineEdit* buddy, const char* name, int minimum, int maximum, int step)
{
    auto* ud = new UpDown(buddy, minimum, maximum, step, buddy->parentWidget());
    ud->setObjectName(name);
    return ud;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const char* caption)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

// One line of a group: [lead] [box][up-down] [unit].
void addValueRow(QGridLayout* grid, QWidget* lead, QLineEdit* box, UpDown* ud, const char* unit)
{
    const int r = grid->rowCount();
    grid->addWidget(lead, r, 0);
    grid->addWidget(box, r, 1);
    grid->addWidget(ud, r, 2);
    grid->addWidget(new QLabel(unit, box->parentWidget()), r, 3);
}

} // namespace

Form2::Form2(FormatComponents components, QWidget* parent) : QDialog(parent), components_(components)
{
    setObjectName("Form2");
    setWindowTitle("Formats And Filters Settings ");
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildFormatRows());
    auto* lower = new QHBoxLayout;
    lower->addWidget(buildFilters());
    lower->addWidget(buildAutoGain());
    layout->addLayout(lower);

    auto* buttons = new QDialogButtonBox(this);
    Command1 = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    Command1->setObjectName("Command1");
    Command2 = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    Command2->setObjectName("Command2");
    layout->addWidget(buttons);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);

    Form_Load();
}

QGroupBox* Form2::buildFormatRows()
{
    auto* group = new QGroupBox("Format Settings", this);
    auto* grid = new QGridLayout(group);
    grid->setColumnStretch(1, 1);
    struct Row {
        FormatCode format;
        const char* caption;
        const char* box;
        const char* button;
        QLineEdit** boxMember;
        QPushButton** buttonMember;
    };
    const Row table[] = {
        {MP3, "MP3", "txtMP3", "cmdMP3", &txtMP3, &cmdMP3},     {WAV, "WAV", "txtWAV", "cmdWAV", &txtWAV, &cmdWAV},
        {VOX, "VOX", "txtVOX", "cmdVOX", &txtVOX, &cmdVOX},     {OGG, "OGG", "txtOGG", "cmdOgg", &txtOGG, &cmdOgg},
        {G721, "G721", "txtG721", "cmdG721", &txtG721, &cmdG721}, {G723, "G723", "txtG723", "cmdG723", &txtG723, &cmdG723},
        {G726, "G726", "txtG726", "cmdG726", &txtG726, &cmdG726}, {G729, "G729", "txtG729", "cmdG729", &txtG729, &cmdG729},
        {AC3, "AC3", "txtAC3", "cmdAC3", &txtAC3, &cmdAC3},     {AAC, "AAC", "txtAAC", "cmdAAC", &txtAAC, &cmdAAC},
    };
    for (const Row& r : table) {
        const int line = grid->rowCount();
        auto* box = new QLineEdit(group);
        box->setObjectName(r.box);
        box->setReadOnly(true);
        box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QString(44, 'x')));
        auto* button = new QPushButton("...", group);
        button->setObjectName(r.button);
        button->setAutoDefault(false);
        grid->addWidget(new QLabel(r.caption, group), line, 0);
        grid->addWidget(box, line, 1);
        grid->addWidget(button, line, 2);
        *r.boxMember = box;
        *r.buttonMember = button;
        rows_[r.format] = box;
        const FormatCode format = r.format;
        connect(button, &QPushButton::clicked, this, [this, format] { openOptions(format); });
    }
    return group;
}

QGroupBox* Form2::buildFilters()
{
    using namespace filterkeys;
    auto* group = new QGroupBox("Filters", this);
    auto* grid = new QGridLayout(group);
    chFilter = checkBox(group, "chFilter", "Notch");
    txtNotchFreq = valueBox(group, "txtNotchFreq", "50");
    udNotchFreq = upDown(txtNotchFreq, "udNotchFreq", kNotchMin, kNotchMax, kNotchStep);
    addValueRow(grid, chFilter, txtNotchFreq, udNotchFreq, "Hz");
    chFilter1 = checkBox(group, "chFilter1", "HighPass");
    txtHighPassFreq = valueBox(group, "txtHighPassFreq", "400");
    udHighPassFreq = upDown(txtHighPassFreq, "udHighPassFreq", kPassMin, kPassMax, kPassStep);
    addValueRow(grid, chFilter1, txtHighPassFreq, udHighPassFreq, "Hz");
    chFilter2 = checkBox(group, "chFilter2", "LowPass");
    txtLowPassFreq = valueBox(group, "txtLowPassFreq", "4000");
    udLowPassFreq = upDown(txtLowPassFreq, "udLowPassFreq", kPassMin, kPassMax, kPassStep);
    addValueRow(grid, chFilter2, txtLowPassFreq, udLowPassFreq, "Hz");
    grid->setRowStretch(grid->rowCount(), 1);
    for (QCheckBox* box : {chFilter, chFilter1, chFilter2}) connect(box, &QCheckBox::toggled, this, &Form2::applyEnabling);
    return group;
}

QGroupBox* Form2::buildAutoGain()
{
    using namespace filterkeys;
    auto* group = new QGroupBox("Auto Gain Control", this);
    auto* grid = new QGridLayout(group);
    chAutoGainControl = checkBox(group, "chAutoGainControl", "Enabled");
    grid->addWidget(chAutoGainControl, 0, 0, 1, 4);
    txtAGCLowLevel = valueBox(group, "txtAGCLowLevel", "");
    udAGCLowLevel = upDown(txtAGCLowLevel, "udAGCLowLevel", kLevelMin, kLevelMax, 1);
    addValueRow(grid, new QLabel("Low Level:", group), txtAGCLowLevel, udAGCLowLevel, "dB");
    txtAGCHighLevel = valueBox(group, "txtAGCHighLevel", "");
    udAGCHighLevel = upDown(txtAGCHighLevel, "udAGCHighLevel", kLevelMin, kLevelMax, 1);
    addValueRow(grid, new QLabel("High Level:", group), txtAGCHighLevel, udAGCHighLevel, "dB");
    txtAGCAttackTime = valueBox(group, "txtAGCAttackTime", "");
    udAGCAttackTime = upDown(txtAGCAttackTime, "udAGCAttackTime", kAttackMin, kAttackMax, 1);
    addValueRow(grid, new QLabel("AttackTime:", group), txtAGCAttackTime, udAGCAttackTime, "ms");
    grid->setRowStretch(grid->rowCount(), 1);
    connect(chAutoGainControl, &QCheckBox::toggled, this, &Form2::applyEnabling);
    return group;
}

void Form2::Form_Load()
{
    applySkin(this);
    takeCaptureLevels();
    fillFormatRows();
    loadFilterKeys();
}

void Form2::takeCaptureLevels()
{
    REduruZUZedova3* capture = components_.capture;
    if (!capture) return;
    capture->put_AccuEnabled(VARIANT_FALSE);
    LONG value = 0;
    if (SUCCEEDED(capture->get_AccuAttackLevel(&value))) udAGCLowLevel->setValue(value);
    if (SUCCEEDED(capture->get_AccuReleaseLevel(&value))) udAGCHighLevel->setValue(value);
    if (SUCCEEDED(capture->get_AccuAttackTime(&value))) {
        udAGCAttackTime->setValue(value);
        txtAGCAttackTime->setText(QString::number(value));
    }
}

void Form2::fillFormatRows()
{
    if (!components_.file || !components_.aac) return;
    const auto descriptions = describeFormats(*components_.file, *components_.aac, formatValues());
    for (int i = 0; i < kFormatCount; ++i) rows_[i]->setText(QString::fromStdString(descriptions[i]));
}

void Form2::loadFilterKeys()
{
    const RecordSettings s = readRecordSettings(settingsFilePath());
    chFilter->setChecked(s.notch);
    txtNotchFreq->setText(QString::fromStdString(s.notchText));
    chFilter1->setChecked(s.highPass);
    txtHighPassFreq->setText(QString::fromStdString(s.highPassText));
    chFilter2->setChecked(s.lowPass);
    txtLowPassFreq->setText(QString::fromStdString(s.lowPassText));
    chAutoGainControl->setChecked(s.autoGain);
    txtAGCLowLevel->setText(QString::fromStdString(s.lowLevelText));
    txtAGCHighLevel->setText(QString::fromStdString(s.highLevelText));
    txtAGCAttackTime->setText(QString::fromStdString(s.attackTimeText));
    applyEnabling();
}

void Form2::applyEnabling()
{
    auto enable = [](bool on, std::initializer_list<QWidget*> widgets) {
        for (QWidget* w : widgets) w->setEnabled(on);
    };
    enable(chFilter->isChecked(), {udNotchFreq, txtNotchFreq});
    enable(chFilter1->isChecked(), {udHighPassFreq, txtHighPassFreq});
    enable(chFilter2->isChecked(), {udLowPassFreq, txtLowPassFreq});
    enable(chAutoGainControl->isChecked(),
           {udAGCLowLevel, txtAGCLowLevel, udAGCHighLevel, txtAGCHighLevel, udAGCAttackTime, txtAGCAttackTime});
}

void Form2::Command1_Click()
{
    RecordSettings s;
    s.notch = chFilter->isChecked();
    s.notchText = txtNotchFreq->text().toStdString();
    s.highPass = chFilter1->isChecked();
    s.highPassText = txtHighPassFreq->text().toStdString();
    s.lowPass = chFilter2->isChecked();
    s.lowPassText = txtLowPassFreq->text().toStdString();
    s.autoGain = chAutoGainControl->isChecked();
    s.lowLevelText = txtAGCLowLevel->text().toStdString();
    s.highLevelText = txtAGCHighLevel->text().toStdString();
    s.attackTimeText = txtAGCAttackTime->text().toStdString();
    // A failed write keeps the choice for this run; the user learns it will not last.
    if (!writeRecordSettings(settingsFilePath(), s) && components_.prompts) reportSettingsWriteFailure(*components_.prompts, this);
    accept();
}

void Form2::openOptions(FormatCode format)
{
    if (!components_.file) return;
    AudioFile& file = *components_.file;
    UserPrompts* prompts = components_.prompts;
    QLineEdit* row = rows_[format];
    std::unique_ptr<QDialog> dialog;
    switch (format) {
    case MP3:
        if (components_.mp3) dialog = std::make_unique<frmMP3>(*components_.mp3, file, row, prompts, this);
        break;
    case WAV: dialog = std::make_unique<frmWAV>(file, row, prompts, this); break;
    case VOX: dialog = std::make_unique<frmVOX>(file, row, prompts, this); break;
    case G721: dialog = std::make_unique<frmG721>(file, row, prompts, this); break;
    case G723: dialog = std::make_unique<frmG723>(file, row, prompts, this); break;
    case G726: dialog = std::make_unique<frmG726>(file, row, prompts, this); break;
    case G729: dialog = std::make_unique<frmG729>(file, row, prompts, this); break;
    case OGG: dialog = std::make_unique<frmOgg>(file, row, prompts, this); break;
    case AC3: dialog = std::make_unique<frmAC3>(file, row, prompts, this); break;
    case AAC:
        if (components_.aac) dialog = std::make_unique<frmAAC>(*components_.aac, file, row, prompts, this);
        break;
    }
    if (dialog) dialog->exec();
}

} // namespace recorder
