#pragma once
// The shape of the G.723 and G.726 dialogs: a sample rate among ten options
// and an ADPCM bit depth among four, kept in the program-wide format values
// and stored on OK in the codec's own section and keys.

#include "recorder/formats/ui/format_dialog.h"
#include "recorder/recording/format_values.h"

#include <array>
#include <cstdint>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace recorder {

class AudioFile;
class RateOptions;
class UserPrompts;

// What one codec's dialog works on.
struct RateAndBitsCodec {
    const char* name;    // the dialog's object name
    const char* caption;
    const char* format;  // as the refusal message names it
    const char* section;
    const char* rateKey;
    const char* bitsKey;
    std::int32_t FormatValues::*rate;
    std::int16_t FormatValues::*bits;
    bool (AudioFile::*select)(std::int32_t sampleRate, std::int32_t bits);
};

// The bit depth of Option1(i) is i + 2.
inline constexpr std::array<const char*, 4> kBitCaptions = {"2 bit ", "3 bit", "4 bit ", "5 bit"};
inline constexpr int kFewestBits = 2;
inline constexpr int kFallbackBits = 4;

class RateAndBitsDialog : public FormatDialog {
    Q_OBJECT
public:
    RateOptions* Frequency; // F1..F10
    QGroupBox* ADPCMBit;
    std::array<QRadioButton*, 4> Option1;
    QPushButton *cmdOK, *cmdCancel;

protected:
    // row: the settings window's row of the codec, which OK refreshes (may be null).
    RateAndBitsDialog(const RateAndBitsCodec& codec, AudioFile& file, QLineEdit* row, UserPrompts* prompts,
                      QWidget* parent);

private:
    void Form_Load();
    void cmdOK_Click();

    const RateAndBitsCodec& codec_;
};

} // namespace recorder
