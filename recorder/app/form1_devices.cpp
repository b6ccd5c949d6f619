// Form1's Device and Input lists: filled from the wave-in devices, following
// the sound server's sources as they appear and vanish, the selection kept by
// the source's name; and the capture control pointed at the selected source.

#include "recorder/app/form1.h"

#include "recorder/widgets/user_prompts.h"
#include "recorder/fileutil/cut_at_nul.h"
#include "recorder/recording/capture_control_capture.h"
#include "recorder/wavein/wave_in_recorder.h"

#include "platform/com/bstr.h"
#include "platform/com/errorinfo.h"
#include "platform/com/variant.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

#include <cstdio>

namespace recorder {

namespace {

// Source changes come in bursts (a card brings a source and its monitor): one refresh after the burst.
constexpr int kDeviceRefreshDelayMs = 100;

} // namespace

void Form1::FillDeviceList()
{
    DeviceCombo->clear();
    for (const auto& device : waveIn_->Devices())
        DeviceCombo->addItem(QString::fromStdString(device.description), QString::fromStdString(device.name));
    if (DeviceCombo->count() > 0) {
        DeviceCombo->setCurrentIndex(0);
        DeviceCombo_Click();
    }
}

void Form1::watchDevices()
{
    deviceRefresh_ = new QTimer(this);
    deviceRefresh_->setObjectName("deviceRefresh");
    deviceRefresh_->setSingleShot(true);
    deviceRefresh_->setInterval(kDeviceRefreshDelayMs);
    connect(deviceRefresh_, &QTimer::timeout, this, [this] { refreshDeviceList(); });
    // Called on the sound server's thread: only a queued call reaches the window.
    waveIn_->setDevicesChangedHandler([this] {
        QMetaObject::invokeMethod(this, [this] { deviceRefresh_->start(); }, Qt::QueuedConnection);
    });
}

void Form1::refreshDeviceList()
{
    if (!waveIn_) return;
    const int current = DeviceCombo->currentIndex();
    const QString selected = current >= 0 ? DeviceCombo->itemData(current).toString() : QString();
    const QString selectedText = current >= 0 ? DeviceCombo->itemText(current) : QString();
    const auto devices = waveIn_->Devices();

    bool same = DeviceCombo->count() == static_cast<int>(devices.size());
    for (int i = 0; same && i < DeviceCombo->count(); ++i)
        same = DeviceCombo->itemData(i).toString().toStdString() == devices[i].name &&
               DeviceCombo->itemText(i).toStdString() == devices[i].description;
    if (same) return;

    {
        QSignalBlocker block(DeviceCombo);
        DeviceCombo->clear();
        for (const auto& device : devices)
            DeviceCombo->addItem(QString::fromStdString(device.description), QString::fromStdString(device.name));
    }
    if (DeviceCombo->count() == 0) {
        cmbSrcInput->clear();
        return;
    }
    const int kept = selected.isEmpty() ? -1 : DeviceCombo->findData(selected);
    if (kept >= 0) {
        {
            QSignalBlocker block(DeviceCombo);
            DeviceCombo->setCurrentIndex(kept);
        }
        // The same source: its mixer and input stay; only the numbers behind it moved.
        if (kept != waveIn_->SelectedDevice()) waveIn_->SelectDevice(kept);
        selectCaptureDevice();
    }
    // The device chosen last, unplugged and plugged in again, is chosen again
    // unless the user has chosen another meanwhile.
    const int back = missingDevice_.isEmpty() ? -1 : DeviceCombo->findData(missingDevice_);
    if (back >= 0 && back != kept) {
        const QString text = DeviceCombo->itemText(back);
        missingDevice_.clear();
        {
            QSignalBlocker block(DeviceCombo);
            DeviceCombo->setCurrentIndex(back);
        }
        selectListedDevice();
        if (!flgRecord) StatusPanel2->setText("The device " + text + " is back and selected.");
        return;
    }
    if (kept >= 0) return;
    {
        QSignalBlocker block(DeviceCombo);
        DeviceCombo->setCurrentIndex(0);
    }
    if (!selected.isEmpty() && missingDevice_.isEmpty()) missingDevice_ = selected;
    selectListedDevice();
    // While recording, the recording says itself that its device went away.
    if (!selected.isEmpty() && !flgRecord)
        StatusPanel2->setText("The device " + selectedText + " is gone; " + DeviceCombo->currentText() + " is selected.");
}

void Form1::selectListedDevice()
{
    // A recording waiting for its device keeps the capture on it (by name);
    // only the list and the mixer follow.
    if (!flgRecord) {
        DeviceCombo_Click();
        return;
    }
    waveIn_->SelectDevice(DeviceCombo->currentIndex());
    cmbSrcInput->clear();
    FillInputList();
}

void Form1::FillInputList()
{
    QSignalBlocker block(cmbSrcInput);
    const int count = waveIn_->MixerLineCount();
    for (int i = 0; i < count; ++i) {
        std::string name = waveIn_->MixerLineName(i);
        cmbSrcInput->addItem(QString::fromStdString(CutAtNul(name)));
    }
    cmbSrcInput->setCurrentIndex(waveIn_->SelectedMixerLine());
}

void Form1::DeviceCombo_Click()
{
    cmbSrcInput->clear();
    const int index = DeviceCombo->currentIndex();
    if (!waveIn_->SelectDevice(index)) {
        prompts_.message(this, "Couldn't select device!", MessageIcon::Exclamation);
        return;
    }
    selectCaptureDevice();
    FillInputList();
    QSignalBlocker block(sliderGain);
    sliderGain->setValue(waveIn_->MixerLineVolume());
}

bool Form1::selectCaptureDevice(std::string* why)
{
    const int index = DeviceCombo->currentIndex();
    // Nothing listed or no control: the start reports that itself.
    if (!AudioRecord || index < 0) return true;
    const std::string description = DeviceCombo->itemText(index).toStdString();
    const std::string source = DeviceCombo->itemData(index).toString().toStdString();
    com::Bstr param(TavorAudioDXRecord3Lib::kSourceNameParam);
    com::Variant name = com::Variant::string(source);
    const HRESULT hr = AudioRecord->SetAdditionalParam(param.get(), name);
    if (SUCCEEDED(hr)) return true;
    const std::string reason = "the device " + description + " could not be selected: " + captureErrorText(hr);
    if (why) *why = reason;
    StatusPanel2->setText(QString::fromStdString("T" + reason.substr(1)));
    return false;
}

void Form1::cmbSrcInput_Click()
{
    if (!waveIn_->SelectMixerLine(cmbSrcInput->currentIndex()))
        prompts_.message(this, "Couldn't select mixer line!", MessageIcon::Exclamation);
    QSignalBlocker block(sliderGain);
    sliderGain->setValue(waveIn_->MixerLineVolume());
}

void Form1::sliderGain_Scroll() { waveIn_->MixerLineVolume(sliderGain->value()); }

} // namespace recorder
