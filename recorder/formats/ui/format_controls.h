#pragma once
// Controls several format dialogs share: a frame of rate options, a list of
// rates, and a bitrate slider in a group that names the chosen bit rate.

#include <QGroupBox>

#include <array>
#include <optional>
#include <span>
#include <vector>

class QComboBox;
class QRadioButton;
class QSlider;

namespace recorder {

// A group box titled `title` around one control.
QGroupBox* framed(QWidget* parent, const char* title, QWidget* content);

// The rate options of the WAV and VOX dialogs (F1..F8) and of the G.723 and
// G.726 dialogs (F1..F10), and the rate lists of the other dialogs.
inline constexpr std::array<int, 8> kWavRates = {8000, 16000, 24000, 32000, 11025, 22050, 44100, 48000};
inline constexpr std::array<int, 10> kTelephonyRates = {8000, 16000, 24000, 32000, 11025, 22050, 44100, 48000, 6000, 12000};
inline constexpr std::array<int, 8> kListRates = {8000, 11025, 16000, 22050, 24000, 32000, 44100, 48000};
inline constexpr std::array<int, 3> kAc3Rates = {32000, 44100, 48000};
inline constexpr int kFallbackRate = 44100;

// A frame "Frequency (Hz)" with one option per rate, named F1, F2, ...
class RateOptions : public QGroupBox {
    Q_OBJECT
public:
    RateOptions(std::span<const int> rates, QWidget* parent);

    QRadioButton* option(int index) const { return options_[static_cast<std::size_t>(index)]; }
    int count() const { return static_cast<int>(options_.size()); }
    // Checks the option of that rate; false (and nothing checked) when none has it.
    bool choose(int rate);
    // The checked option's rate; 0 when none is checked.
    int rate() const;

signals:
    // An option was checked, by the user or by choose().
    void chosen(int rate);

private:
    std::vector<int> rates_;
    std::vector<QRadioButton*> options_;
};

// A list of whole-number rates (ComboSampleRate); only its rates can be chosen.
QComboBox* rateList(std::span<const int> rates, QWidget* parent);
// Selects the item of that rate; nothing is selected when the list lacks it.
void showRate(QComboBox* list, int rate);
// The selected rate; nullopt when nothing is selected.
std::optional<int> selectedRate(const QComboBox* list);

// ComboChannels: the channel layouts "Mono" … "Dolby"; code = position + 1.
QComboBox* channelLayoutList(QWidget* parent);

// GroupBoxBitrate: sliderBitrate over the bitrate table between "Poor" and
// "Best"; moving it names the bit rate in the group's caption.
class BitrateGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit BitrateGroup(QWidget* parent);
    QSlider* slider() const { return slider_; }
    // The table value at the slider's position.
    int bitrate() const;
    // Moves the slider to the bit rate's position when the table has it; the
    // caption names the bit rate either way.
    void showBitrate(int kbps);

private:
    void showCaption(int kbps);
    QSlider* slider_;
};

} // namespace recorder
