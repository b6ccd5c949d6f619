#include "recorder/formats/ui/format_controls.h"

#include "recorder/components/channel_layout.h"
#include "recorder/formats/bitrate_table.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace recorder {

QGroupBox* framed(QWidget* parent, const char* title, QWidget* content)
{
    auto* box = new QGroupBox(title, parent);
    content->setParent(box);
    (new QVBoxLayout(box))->addWidget(content);
    return box;
}

RateOptions::RateOptions(std::span<const int> rates, QWidget* parent)
    : QGroupBox("Frequency (Hz)", parent), rates_(rates.begin(), rates.end())
{
    auto* grid = new QGridLayout(this);
    const int perColumn = (static_cast<int>(rates_.size()) + 1) / 2;
    for (std::size_t i = 0; i < rates_.size(); ++i) {
        auto* option = new QRadioButton(QString::number(rates_[i]), this);
        option->setObjectName(QString("F%1").arg(i + 1));
        grid->addWidget(option, static_cast<int>(i) % perColumn, static_cast<int>(i) / perColumn);
        const int rate = rates_[i];
        connect(option, &QRadioButton::toggled, this, [this, rate](bool on) {
            if (on) emit chosen(rate);
        });
        options_.push_back(option);
    }
}

bool RateOptions::choose(int rate)
{
    for (std::size_t i = 0; i < rates_.size(); ++i) {
        if (rates_[i] != rate) continue;
        options_[i]->setChecked(true);
        return true;
    }
    return false;
}

int RateOptions::rate() const
{
    for (std::size_t i = 0; i < rates_.size(); ++i)
        if (options_[i]->isChecked()) return rates_[i];
    return 0;
}

QComboBox* rateList(std::span<const int> rates, QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName("ComboSampleRate");
    for (int rate : rates) list->addItem(QString::number(rate));
    return list;
}

void showRate(QComboBox* list, int rate) { list->setCurrentIndex(list->findText(QString::number(rate))); }

std::optional<int> selectedRate(const QComboBox* list)
{
    bool ok = false;
    const int rate = list->currentText().trimmed().toInt(&ok);
    if (list->currentIndex() < 0 || !ok) return std::nullopt;
    return rate;
}

QComboBox* channelLayoutList(QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setObjectName("ComboChannels");
    for (int code = 1; auto layout = channelLayout(code); ++code) list->addItem(layout->name);
    return list;
}

BitrateGroup::BitrateGroup(QWidget* parent) : QGroupBox("Bitrate", parent)
{
    setObjectName("GroupBoxBitrate");
    auto* grid = new QGridLayout(this);
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName("sliderBitrate");
    slider_->setRange(0, static_cast<int>(kBitrateTable.size()) - 1);
    slider_->setPageStep(1);
    slider_->setTickPosition(QSlider::TicksBelow);
    grid->addWidget(new QLabel("Poor", this), 0, 0);
    grid->addWidget(slider_, 0, 1);
    grid->addWidget(new QLabel("Best", this), 0, 2);
    grid->setColumnStretch(1, 1);
    connect(slider_, &QSlider::valueChanged, this, [this] { showCaption(bitrate()); });
}

int BitrateGroup::bitrate() const { return bitrateAt(slider_->value()); }

void BitrateGroup::showBitrate(int kbps)
{
    if (auto position = bitratePosition(kbps)) {
        QSignalBlocker block(slider_);
        slider_->setValue(*position);
    }
    showCaption(kbps);
}

void BitrateGroup::showCaption(int kbps) { setTitle("Current bitrate: " + QString::number(kbps) + " kbit"); }

} // namespace recorder
