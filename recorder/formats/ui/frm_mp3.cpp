#include "recorder/formats/ui/frm_mp3.h"

#include "recorder/widgets/up_down.h"
#include "recorder/widgets/user_prompts.h"
#include "recorder/components/audio_file.h"
#include "recorder/components/mp3_lame.h"
#include "recorder/formats/bitrate_table.h"
#include "recorder/formats/mp3_lame_settings.h"
#include "recorder/formats/mp3_options.h"
#include "recorder/recording/format_values.h"
#include "recorder/recording/settings_number.h"
#include "recorder/settings/settings_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include <tuple>

namespace recorder {

namespace {

constexpr const char* kSection = "mp3";

template <class W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

QSlider* slider(QWidget* parent, const char* name, int maximum)
{
    auto* s = named(new QSlider(Qt::Horizontal, parent), name);
    s->setRange(0, maximum);
    s->setPageStep(1);
    s->setTickPosition(QSlider::TicksBelow);
    return s;
}

template <std::size_t N>
QComboBox* list(QWidget* parent, const char* name, const std::array<const char*, N>& items)
{
    auto* combo = named(new QComboBox(parent), name);
    for (const char* item : items) combo->addItem(item);
    return combo;
}

QLineEdit* box(QWidget* parent, const char* name)
{
    auto* b = named(new QLineEdit(parent), name);
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance("0000000"));
    return b;
}

// A slider between its two end captions, over a second line of captions.
QGroupBox* sliderFrame(QWidget* parent, const char* title, QSlider* s, const char* left, const char* right,
                       const char* left2 = nullptr, const char* right2 = nullptr)
{
    auto* frame = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(frame);
    s->setParent(frame);
    grid->addWidget(new QLabel(left, frame), 0, 0);
    grid->addWidget(s, 0, 1);
    grid->addWidget(new QLabel(right, frame), 0, 2);
    if (left2) {
        grid->addWidget(new QLabel(left2, frame), 1, 0);
        grid->addWidget(new QLabel(right2, frame), 1, 2);
    }
    grid->setColumnStretch(1, 1);
    return frame;
}

QString bitrateText(int kbps) { return QString(mp3options::kCurrentBitrate) + QString::number(kbps) + " kbit"; }

} // namespace

frmMP3::frmMP3(MP3Lame& lame, AudioFile& file, QLineEdit* txtMP3, UserPrompts* prompts, QWidget* parent)
    : FormatDialog("frmMP3", "MP3 Advanced Option", file, txtMP3, prompts, parent), lame_(lame)
{

    auto* layout = new QVBoxLayout(this);
    SSTab1 = named(new QTabWidget(this), "SSTab1");
    SSTab1->addTab(buildGeneral(), "General");
    SSTab1->addTab(buildFiltering(), "Filtering");
    SSTab1->addTab(buildVbr(), "VBR");
    SSTab1->addTab(buildExpert(), "Expert");
    layout->addWidget(SSTab1);

    std::tie(Command1, Command2) = addButtons(layout, "Command1", "OK", "Command2", "Cancel");
    connect(Command1, &QPushButton::clicked, this, &frmMP3::Command1_Click);

    Form_Load();
    connectRules();
}

QWidget* frmMP3::buildGeneral()
{
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    Slider1 = slider(page, "Slider1", 14);
    auto* bitrate = sliderFrame(page, "Bitrate", Slider1, "poor quality", "good quality", "small file", "big file");
    Label1 = named(new QLabel(bitrate), "Label1");
    static_cast<QGridLayout*>(bitrate->layout())->addWidget(Label1, 2, 0, 1, 3);
    grid->addWidget(bitrate, 0, 0, 1, 2);

    Slider2 = slider(page, "Slider2", 9);
    grid->addWidget(sliderFrame(page, "Encoder Quality", Slider2, "faster", "better"), 1, 0, 1, 2);

    auto* channels = new QGroupBox("Channels", page);
    Combo3 = list(channels, "Combo3", mp3options::kChannelModes);
    (new QVBoxLayout(channels))->addWidget(Combo3);
    grid->addWidget(channels, 2, 0);

    auto* frequency = new QGroupBox("Frequency (hz)", page);
    Combo5 = list(frequency, "Combo5", mp3options::kFrequencies);
    (new QVBoxLayout(frequency))->addWidget(Combo5);
    grid->addWidget(frequency, 2, 1);
    grid->setRowStretch(3, 1);
    return page;
}

QWidget* frmMP3::buildFiltering()
{
    auto* page = new QWidget(this);
    auto* column = new QVBoxLayout(page);
    // Frequency on the first line, width on the second, each with its up-down.
    auto filterFrame = [&](const char* title, QCheckBox*& check, const char* checkName, const char* checkText,
                           QLineEdit*& freq, const char* freqName, UpDown*& udFreq, const char* udFreqName,
                           QLabel*& widthLabel, const char* widthLabelName, const char* widthText, QLineEdit*& width,
                           const char* widthName, UpDown*& udWidth, const char* udWidthName) {
        auto* frame = new QGroupBox(title, page);
        auto* grid = new QGridLayout(frame);
        check = named(new QCheckBox(checkText, frame), checkName);
        freq = box(frame, freqName);
        udFreq = named(new UpDown(freq, 0, 48000, 10, frame), udFreqName);
        widthLabel = named(new QLabel(widthText, frame), widthLabelName);
        width = box(frame, widthName);
        udWidth = named(new UpDown(width, 0, 48000, 10, frame), udWidthName);
        grid->addWidget(check, 0, 0);
        grid->addWidget(freq, 0, 1);
        grid->addWidget(udFreq, 0, 2);
        grid->addWidget(widthLabel, 1, 0);
        grid->addWidget(width, 1, 1);
        grid->addWidget(udWidth, 1, 2);
        grid->setColumnStretch(0, 1);
        column->addWidget(frame);
    };
    filterFrame("HighPass Filter", chHFilt, "chHFilt", "Highpass filtering frequency (in Hz):", tHFiltF, "tHFiltF",
                udHFiltF, "udHFiltF", Label11, "Label11", "Width of Highpass filter (in Hz):", tHFiltW, "tHFiltW",
                udHFiltW, "udHFiltW");
    filterFrame("LowPass Filter", chLFilt, "chLFilt", "Lowpass filtering frequency (in Hz):", tLFiltF, "tLFiltF",
                udLFiltF, "udLFiltF", Label13, "Label13", "Width of Lowpass filter (in Hz):", tLFiltW, "tLFiltW",
                udLFiltW, "udLFiltW");
    column->addStretch();
    return page;
}

QWidget* frmMP3::buildVbr()
{
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    Label14 = named(new QLabel("Coding Method:", page), "Label14");
    Combo1 = list(page, "Combo1", mp3options::kCodingMethods);
    grid->addWidget(Label14, 0, 0);
    grid->addWidget(Combo1, 0, 1, 1, 2);
    Label15 = named(new QLabel("VBR Quality:", page), "Label15");
    tVbrQ = box(page, "tVbrQ");
    udVbrQ = named(new UpDown(tVbrQ, 0, 9, 1, page), "udVbrQ");
    grid->addWidget(Label15, 1, 0);
    grid->addWidget(tVbrQ, 1, 1);
    grid->addWidget(udVbrQ, 1, 2);
    Label9 = named(new QLabel("Targed bitrate for ABR:", page), "Label9");
    tABR = box(page, "tABR");
    udABR = named(new UpDown(tABR, 4, 320, 1, page), "udABR");
    grid->addWidget(Label9, 2, 0);
    grid->addWidget(tABR, 2, 1);
    grid->addWidget(udABR, 2, 2);

    Slider3 = slider(page, "Slider3", 14);
    Frame6 = named(sliderFrame(page, "Maximum VBR Bitrate", Slider3, "", ""), "Frame6");
    Label8 = named(new QLabel(Frame6), "Label8");
    static_cast<QGridLayout*>(Frame6->layout())->addWidget(Label8, 1, 0, 1, 3);
    grid->addWidget(Frame6, 3, 0, 1, 3);

    Frame3 = named(new QGroupBox("Advanced", page), "Frame3");
    auto* advanced = new QVBoxLayout(Frame3);
    Check1 = named(new QCheckBox("Write VBR Header", Frame3), "Check1");
    Check2 = named(new QCheckBox("Strictly enforce minimum bitrate", Frame3), "Check2");
    advanced->addWidget(Check1);
    advanced->addWidget(Check2);
    grid->addWidget(Frame3, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
    return page;
}

QWidget* frmMP3::buildExpert()
{
    auto* page = new QWidget(this);
    auto* grid = new QGridLayout(page);
    Label10 = named(new QLabel("ATH Control:", page), "Label10");
    Combo2 = list(page, "Combo2", mp3options::kAthModes);
    Label12 = named(new QLabel("De-emphasis :", page), "Label12");
    Combo4 = list(page, "Combo4", mp3options::kEmphases);
    grid->addWidget(Label10, 0, 0);
    grid->addWidget(Combo2, 0, 1);
    grid->addWidget(Label12, 1, 0);
    grid->addWidget(Combo4, 1, 1);
    Check3 = named(new QCheckBox("include CRC -Checksums", page), "Check3");
    Check4 = named(new QCheckBox("allow block types to differ between channels", page), "Check4");
    Check5 = named(new QCheckBox("bit reservoir", page), "Check5");
    Check6 = named(new QCheckBox("short blocks", page), "Check6");
    Check7 = named(new QCheckBox("comply as much as possible to ISO MPEG spec", page), "Check7");
    int line = 2;
    for (QCheckBox* c : {Check3, Check4, Check5, Check6, Check7}) grid->addWidget(c, line++, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(line, 1);
    return page;
}

void frmMP3::connectRules()
{
    MP3Lame& m = lame_;
    connect(Slider1, &QSlider::valueChanged, this, &frmMP3::Slider1_Scroll);
    connect(Slider2, &QSlider::valueChanged, this, [&m](int v) { m.setEncoderQuality(v); });
    connect(Slider3, &QSlider::valueChanged, this, &frmMP3::Slider3_Scroll);
    connect(Combo5, qOverload<int>(&QComboBox::activated), this, &frmMP3::Combo5_Click);
    connect(Combo3, qOverload<int>(&QComboBox::currentIndexChanged), this, &frmMP3::Combo3_Click);
    connect(Combo1, qOverload<int>(&QComboBox::currentIndexChanged), this, &frmMP3::Combo1_Click);
    connect(Combo2, qOverload<int>(&QComboBox::currentIndexChanged), this, [&m](int p) { m.setAthMode(p); });
    connect(Combo4, qOverload<int>(&QComboBox::currentIndexChanged), this, [&m](int p) { m.setEmphasis(p); });
    connect(udVbrQ, &UpDown::valueChanged, this, [&m](int v) { m.setVbrQuality(v); });
    connect(udABR, &UpDown::valueChanged, this, [&m](int v) { m.setAbrBitrate(v); });
    connect(udHFiltF, &UpDown::valueChanged, this, [&m](int v) { m.setHighpassFrequency(v); });
    connect(udHFiltW, &UpDown::valueChanged, this, [&m](int v) { m.setHighpassWidth(v); });
    connect(udLFiltF, &UpDown::valueChanged, this, [&m](int v) { m.setLowpassFrequency(v); });
    connect(udLFiltW, &UpDown::valueChanged, this, [&m](int v) { m.setLowpassWidth(v); });
    connect(Check1, &QCheckBox::toggled, this, [&m](bool on) { m.setWriteVbrHeader(on); });
    connect(Check2, &QCheckBox::toggled, this, [&m](bool on) { m.setEnforceMinBitrate(on); });
    connect(Check3, &QCheckBox::toggled, this, [&m](bool on) { m.setCrc(on); });
    connect(Check4, &QCheckBox::toggled, this, [&m](bool on) { m.setAllowDiffShortBlocks(on); });
    connect(Check5, &QCheckBox::toggled, this, [&m](bool on) { m.setBitReservoir(on); });
    connect(Check6, &QCheckBox::toggled, this, [&m](bool on) { m.setShortBlocks(on); });
    connect(Check7, &QCheckBox::toggled, this, [&m](bool on) { m.setStrictIso(on); });
    connect(chHFilt, &QCheckBox::toggled, this, &frmMP3::chHFilt_Click);
    connect(chLFilt, &QCheckBox::toggled, this, &frmMP3::chLFilt_Click);
}

// Load runs before the rules are connected: each control is set and then its
// rule is run once by hand, as a user's change would run it; sliders are set
// without their rules.
void frmMP3::Form_Load()
{
    MP3Lame& m = lame_;
    FormatValues& v = formatValues();

    Slider2->setValue(m.EncoderQuality());

    Slider1->setValue(9);
    Label1->setText(QString(mp3options::kCurrentBitrate).trimmed());
    Combo5->setCurrentIndex(1);
    v.MP3Bitrate = 128;
    v.MP3Frequency = 44100;
    v.MP3Channels = 2;

    if (auto position = bitratePosition(m.MaxVbrBitrate())) Slider3->setValue(*position);
    Label8->setText(bitrateText(m.MaxVbrBitrate()));

    udVbrQ->setValue(m.VbrQuality());
    m.setVbrQuality(udVbrQ->value());
    Combo1->setCurrentIndex(m.VbrMethod() + 1);
    Combo1_Click();
    udABR->setValue(m.AbrBitrate());
    m.setAbrBitrate(udABR->value());
    Combo3->setCurrentIndex(m.ChannelMode() - 1);
    Combo3_Click();

    Check1->setChecked(m.WriteVbrHeader());
    Check2->setChecked(m.EnforceMinBitrate());

    // Frequency -1 is "off": the up-down offers a usual value for switching it on.
    const bool highPass = m.HighpassFrequency() >= 0;
    udHFiltF->setValue(highPass ? m.HighpassFrequency() : 30);
    m.setHighpassFrequency(udHFiltF->value());
    chHFilt->setChecked(highPass);
    udHFiltW->setValue(m.HighpassWidth() == 0 ? 5 : m.HighpassWidth());
    m.setHighpassWidth(udHFiltW->value());
    chHFilt_Click();

    const bool lowPass = m.LowpassFrequency() >= 0;
    udLFiltF->setValue(lowPass ? m.LowpassFrequency() : 15160);
    m.setLowpassFrequency(udLFiltF->value());
    chLFilt->setChecked(lowPass);
    udLFiltW->setValue(m.LowpassWidth() == 0 ? 760 : m.LowpassWidth());
    m.setLowpassWidth(udLFiltW->value());
    chLFilt_Click();

    Combo2->setCurrentIndex(m.AthMode());
    Combo4->setCurrentIndex(m.Emphasis());
    Check3->setChecked(m.Crc());
    Check4->setChecked(m.AllowDiffShortBlocks());
    Check5->setChecked(m.BitReservoir());
    Check6->setChecked(m.ShortBlocks());
    Check7->setChecked(m.StrictIso());

    const std::string settings = settingsFilePath();
    convertInto(ReadIniValue(settings, kSection, "MP3Bitrate"), v.MP3Bitrate);
    if (auto position = bitratePosition(v.MP3Bitrate)) Slider1->setValue(*position);
    showBitrate(v.MP3Bitrate);

    convertInto(ReadIniValue(settings, kSection, "MP3Frequency"), v.MP3Frequency);
    const QString frequency = QString::number(v.MP3Frequency);
    if (Combo5->findText(frequency) < 0) Combo5->addItem(frequency);
    Combo5->setCurrentText(frequency);

    convertInto(ReadIniValue(settings, kSection, "MP3Channels"), v.MP3Channels);
    // The channel list cannot show mono through the encoder's channel mode: show the stored choice.
    if (v.MP3Channels == 1) {
        QSignalBlocker block(Combo3);
        Combo3->setCurrentIndex(mp3options::kMonoPosition);
    }
}

void frmMP3::showBitrate(int kbps)
{
    Label1->setText(bitrateText(kbps));
    Slider1->setToolTip(QString::number(kbps));
}

void frmMP3::Slider1_Scroll()
{
    formatValues().MP3Bitrate = static_cast<std::int16_t>(bitrateAt(Slider1->value()));
    showBitrate(formatValues().MP3Bitrate);
}

void frmMP3::Slider3_Scroll()
{
    lame_.setMaxVbrBitrate(bitrateAt(Slider3->value()));
    Label8->setText(bitrateText(lame_.MaxVbrBitrate()));
    Slider3->setToolTip(QString::number(lame_.MaxVbrBitrate()));
}

void frmMP3::Combo5_Click()
{
    if (auto rate = toInt32(Combo5->currentText().toStdString())) formatValues().MP3Frequency = *rate;
}

void frmMP3::Combo3_Click()
{
    const int position = Combo3->currentIndex();
    if (position == mp3options::kMonoPosition) {
        formatValues().MP3Channels = 1;
    } else if (position >= 0) {
        formatValues().MP3Channels = 2;
        lame_.setChannelMode(position + 1);
    }
}

void frmMP3::Combo1_Click()
{
    const int position = Combo1->currentIndex();
    lame_.setVbrMethod(position - 1);
    const auto on = mp3options::codingMethodControls(position);
    for (QWidget* w : {static_cast<QWidget*>(Label15), static_cast<QWidget*>(tVbrQ), static_cast<QWidget*>(udVbrQ)})
        w->setEnabled(on.vbrQuality);
    for (QWidget* w : {static_cast<QWidget*>(Label9), static_cast<QWidget*>(tABR), static_cast<QWidget*>(udABR)})
        w->setEnabled(on.abr);
    for (QWidget* w : {static_cast<QWidget*>(Frame3), static_cast<QWidget*>(Frame6), static_cast<QWidget*>(Label8),
                       static_cast<QWidget*>(Slider3), static_cast<QWidget*>(Check1), static_cast<QWidget*>(Check2)})
        w->setEnabled(on.vbrLimits);
}

void frmMP3::chHFilt_Click()
{
    const bool on = chHFilt->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(tHFiltF), static_cast<QWidget*>(tHFiltW), static_cast<QWidget*>(udHFiltF),
                       static_cast<QWidget*>(udHFiltW), static_cast<QWidget*>(Label11)})
        w->setEnabled(on);
    lame_.setHighpassFrequency(on ? udHFiltF->value() : -1);
}

void frmMP3::chLFilt_Click()
{
    const bool on = chLFilt->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(tLFiltF), static_cast<QWidget*>(tLFiltW), static_cast<QWidget*>(udLFiltF),
                       static_cast<QWidget*>(udLFiltW), static_cast<QWidget*>(Label13)})
        w->setEnabled(on);
    lame_.setLowpassFrequency(on ? udLFiltF->value() : -1);
}

void frmMP3::Command1_Click()
{
    const FormatValues& v = formatValues();
    if (!recordable(file_.SetFormatMP3(v.MP3Frequency, v.MP3Bitrate, v.MP3Channels), "MP3")) return;
    const std::string settings = settingsFilePath();
    // The encoder settings ride along with the three format keys, so the next run records with them.
    if (!writeMp3LameSettings(settings, lame_) && prompts_) reportSettingsWriteFailure(*prompts_, this);
    confirm(kSection, {{"MP3Bitrate", std::to_string(v.MP3Bitrate)},
                       {"MP3Frequency", std::to_string(v.MP3Frequency)},
                       {"MP3Channels", std::to_string(v.MP3Channels)}});
}

} // namespace recorder
