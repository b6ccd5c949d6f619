#include "recorder/formats/ui/frm_ogg.h"

#include "recorder/components/audio_file.h"
#include "recorder/recording/format_values.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <array>
#include <optional>

namespace recorder {

namespace {

constexpr const char* kSection = "ogg";

// The Ogg bitrate sliders run from 1 to 6.
constexpr std::array<int, 6> kOggBitrates = {112, 128, 160, 192, 256, 320};
constexpr int kDefaultPosition = 2;

std::optional<int> oggPosition(int kbps)
{
    for (std::size_t i = 0; i < kOggBitrates.size(); ++i)
        if (kOggBitrates[i] == kbps) return static_cast<int>(i) + 1;
    return std::nullopt;
}

std::int16_t oggBitrateAt(int position) { return static_cast<std::int16_t>(kOggBitrates[static_cast<std::size_t>(position - 1)]); }

QSlider* slider(QWidget* parent, const char* name, int minimum, int maximum)
{
    auto* s = new QSlider(Qt::Horizontal, parent);
    s->setObjectName(name);
    s->setRange(minimum, maximum);
    s->setPageStep(1);
    s->setTickPosition(QSlider::TicksBelow);
    return s;
}

QLabel* label(QWidget* parent, const char* name)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    return l;
}

QString kbitText(const char* lead, int kbps) { return QString(lead) + QString::number(kbps) + " kbit"; }

void setSilently(QSlider* s, int value)
{
    QSignalBlocker block(s);
    s->setValue(value);
}

} // namespace

QString oggQualityText(int hundredths) { return QString::number(hundredths / 100.0, 'g', 6); }

frmOgg::frmOgg(AudioFile& file, QLineEdit* txtOGG, UserPrompts* prompts, QWidget* parent)
    : FormatDialog("frmOgg", "Ogg Vorbis Option", file, txtOGG, prompts, parent)
{
    auto* layout = new QVBoxLayout(this);

    auto* option = new QGroupBox("Option", this);
    auto* optionGrid = new QGridLayout(option);
    lblBitrate = label(option, "lblBitrate");
    sldrBitrate = slider(option, "sldrBitrate", 1, 6);
    chVbr = new QCheckBox("VBR Enabled", option);
    chVbr->setObjectName("chVbr");
    chQuality = new QCheckBox("Quality Enabled", option);
    chQuality->setObjectName("chQuality");
    optionGrid->addWidget(lblBitrate, 0, 0, 1, 2);
    optionGrid->addWidget(sldrBitrate, 1, 0, 1, 2);
    optionGrid->addWidget(chVbr, 2, 0);
    optionGrid->addWidget(chQuality, 2, 1);
    layout->addWidget(option);

    frmVbr = new QGroupBox("VBR", this);
    frmVbr->setObjectName("frmVbr");
    auto* vbrGrid = new QGridLayout(frmVbr);
    lblMinBitrate = label(frmVbr, "lblMinBitrate");
    sldrMinBitrate = slider(frmVbr, "sldrMinBitrate", 1, 6);
    lblMaxBitrate = label(frmVbr, "lblMaxBitrate");
    sldrMaxBitrate = slider(frmVbr, "sldrMaxBitrate", 1, 6);
    vbrGrid->addWidget(lblMinBitrate, 0, 0);
    vbrGrid->addWidget(sldrMinBitrate, 1, 0);
    vbrGrid->addWidget(lblMaxBitrate, 2, 0);
    vbrGrid->addWidget(sldrMaxBitrate, 3, 0);
    layout->addWidget(frmVbr);

    frmQuality = new QGroupBox("Quality (Compression)", this);
    frmQuality->setObjectName("frmQuality");
    sldrQuality = slider(frmQuality, "sldrQuality", 0, 1000);
    sldrQuality->setPageStep(50);
    sldrQuality->setTickInterval(100);
    (new QVBoxLayout(frmQuality))->addWidget(sldrQuality);
    layout->addWidget(frmQuality);

    std::tie(cmdOK, cmdCancel) = addButtons(layout, "cmdOK", "Ok", "cmdCancel", "Cancel");
    connect(cmdOK, &QPushButton::clicked, this, &frmOgg::cmdOK_Click);

    Form_Load();
    connect(sldrBitrate, &QSlider::valueChanged, this, &frmOgg::sldrBitrate_Scroll);
    connect(sldrMinBitrate, &QSlider::valueChanged, this, &frmOgg::sldrMinBitrate_Scroll);
    connect(sldrMaxBitrate, &QSlider::valueChanged, this, &frmOgg::sldrMaxBitrate_Scroll);
    connect(sldrQuality, &QSlider::valueChanged, this, &frmOgg::sldrQuality_Scroll);
    connect(chVbr, &QCheckBox::clicked, this, &frmOgg::chVbr_Click);
    connect(chQuality, &QCheckBox::clicked, this, &frmOgg::chQuality_Click);
}

// Sliders are placed without their move rules: a stored bit rate the table
// lacks is shown at the 128 position and still kept.
void frmOgg::Form_Load()
{
    FormatValues& v = formatValues();
    v.MaxBitrate = 128;
    v.VbrEnabled = 0;
    v.Quality = 300;
    v.QualityEnabled = 0;

    setSilently(sldrMinBitrate, kDefaultPosition);
    setSilently(sldrMaxBitrate, kDefaultPosition);
    lblMinBitrate->setText(kbitText("Current min Bitrate: ", v.MinBitrate));
    lblMaxBitrate->setText(kbitText("Current max Bitrate: ", v.MaxBitrate));

    chVbr->setChecked(v.VbrEnabled == 1);
    chVbr_Click();
    chQuality->setChecked(v.QualityEnabled == 1);
    chQuality_Click();
    setSilently(sldrQuality, v.Quality);

    readKey(kSection, "oggBitrate", v.oggBitrate);
    setSilently(sldrBitrate, oggPosition(v.oggBitrate).value_or(kDefaultPosition));
    lblBitrate->setText(kbitText("Current nominal Bitrate: ", v.oggBitrate));
    sldrBitrate->setToolTip(QString::number(v.oggBitrate));

    // Unknown minimum and maximum bit rates become 128.
    auto readLimit = [&](const char* key, std::int16_t& value, QSlider* s, QLabel* l, const char* lead) {
        readKey(kSection, key, value);
        const auto position = oggPosition(value);
        if (!position) value = oggBitrateAt(kDefaultPosition);
        setSilently(s, position.value_or(kDefaultPosition));
        l->setText(kbitText(lead, value));
        s->setToolTip(QString::number(value));
    };
    readLimit("MinBitrate", v.MinBitrate, sldrMinBitrate, lblMinBitrate, "Current min oggBitrate: ");
    readLimit("MaxBitrate", v.MaxBitrate, sldrMaxBitrate, lblMaxBitrate, "Current max oggBitrate: ");

    readKey(kSection, "Quality", v.Quality);
    setSilently(sldrQuality, v.Quality);
    sldrQuality->setToolTip(oggQualityText(sldrQuality->value()));

    std::int16_t stored = 0;
    readKey(kSection, "VbrEnabled", stored);
    chVbr->setChecked(stored == 1);
    chVbr_Click();
    stored = 0;
    readKey(kSection, "QualityEnabled", stored);
    chQuality->setChecked(stored == 1);
    chQuality_Click();
}

void frmOgg::sldrBitrate_Scroll()
{
    formatValues().oggBitrate = oggBitrateAt(sldrBitrate->value());
    lblBitrate->setText(kbitText("Current nominal oggBitrate: ", formatValues().oggBitrate));
    sldrBitrate->setToolTip(QString::number(formatValues().oggBitrate));
}

void frmOgg::sldrMinBitrate_Scroll()
{
    formatValues().MinBitrate = oggBitrateAt(sldrMinBitrate->value());
    lblMinBitrate->setText(kbitText("Current min oggBitrate: ", formatValues().MinBitrate));
    sldrMinBitrate->setToolTip(QString::number(formatValues().MinBitrate));
}

void frmOgg::sldrMaxBitrate_Scroll()
{
    formatValues().MaxBitrate = oggBitrateAt(sldrMaxBitrate->value());
    lblMaxBitrate->setText(kbitText("Current max oggBitrate: ", formatValues().MaxBitrate));
    sldrMaxBitrate->setToolTip(QString::number(formatValues().MaxBitrate));
}

void frmOgg::sldrQuality_Scroll()
{
    formatValues().Quality = static_cast<std::int16_t>(sldrQuality->value());
    sldrQuality->setToolTip(oggQualityText(sldrQuality->value()));
}

void frmOgg::chVbr_Click()
{
    const bool on = chVbr->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{frmVbr, sldrMinBitrate, sldrMaxBitrate, lblMinBitrate, lblMaxBitrate})
        w->setEnabled(on);
    formatValues().VbrEnabled = on ? 1 : 0;
}

void frmOgg::chQuality_Click()
{
    const bool on = chQuality->isChecked();
    if (on) {
        for (QWidget* w : std::initializer_list<QWidget*>{chVbr, frmVbr, sldrBitrate, lblBitrate, sldrMinBitrate,
                                                          sldrMaxBitrate, lblMinBitrate, lblMaxBitrate})
            w->setEnabled(false);
        frmQuality->setEnabled(true);
        sldrQuality->setEnabled(true);
    } else {
        frmVbr->setEnabled(false);
        sldrQuality->setEnabled(false);
        for (QWidget* w : std::initializer_list<QWidget*>{chVbr, lblBitrate, sldrBitrate}) w->setEnabled(true);
        chVbr_Click();
    }
    formatValues().QualityEnabled = on ? 1 : 0;
}

void frmOgg::cmdOK_Click()
{
    const FormatValues& v = formatValues();
    const OggArguments o = oggArguments(v);
    if (!recordable(file_.SetFormatOgg(o.sampleRate, o.channels, o.bitrate, o.minBitrate, o.maxBitrate, o.quality),
                    "Ogg Vorbis"))
        return;
    confirm(kSection, {{"oggBitrate", std::to_string(v.oggBitrate)},
                       {"MinBitrate", std::to_string(v.MinBitrate)},
                       {"MaxBitrate", std::to_string(v.MaxBitrate)},
                       {"Quality", std::to_string(v.Quality)},
                       {"VbrEnabled", chVbr->isChecked() ? "1" : "0"},
                       {"QualityEnabled", chQuality->isChecked() ? "1" : "0"}});
}

} // namespace recorder
