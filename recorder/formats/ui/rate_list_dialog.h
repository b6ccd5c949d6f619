#pragma once
// The shape of the G.721 and G.729 dialogs: a sample rate chosen in a list,
// kept in the program-wide format values and stored on OK in the codec's own
// section and key.

#include "recorder/formats/ui/format_dialog.h"
#include "recorder/recording/format_values.h"

#include <cstdint>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace recorder {

class AudioFile;
class UserPrompts;

// What one codec's dialog works on.
struct RateListCodec {
    const char* name;   // the dialog's object name
    const char* caption;
    const char* format; // as the messages name it
    const char* section;
    const char* rateKey;
    std::int32_t FormatValues::*rate;
    bool (AudioFile::*select)(std::int32_t sampleRate);
};

class RateListDialog : public FormatDialog {
    Q_OBJECT
public:
    QGroupBox* SampleRate;
    QComboBox* ComboSampleRate; // only the listed rates can be chosen
    QPushButton *ButtonOK, *ButtonCancel;

protected:
    // row: the settings window's row of the codec, which OK refreshes (may be null).
    RateListDialog(const RateListCodec& codec, AudioFile& file, QLineEdit* row, UserPrompts* prompts,
                   QWidget* parent);

private:
    void Form_Load();
    void ButtonOK_Click();

    const RateListCodec& codec_;
};

} // namespace recorder
