#pragma once
// "Set WAV Format": the PCM rate and channel count WAV recordings use (stored
// on OK), and four buttons that select a WAV coding for the settings row at
// once without storing anything.

#include "recorder/formats/ui/format_dialog.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace recorder {

class AudioFile;
class RateOptions;
class UserPrompts;

class frmWAV : public FormatDialog {
    Q_OBJECT
public:
    // txtWAV is the settings window's WAV row, which OK and the coding buttons refresh (may be null).
    frmWAV(AudioFile& file, QLineEdit* txtWAV, UserPrompts* prompts, QWidget* parent = nullptr);

    RateOptions* Frequency; // F1..F8
    QGroupBox* nChannels;
    QRadioButton *P1, *P2;
    QGroupBox* SetWAVFormat;
    QPushButton *cmdPCM, *cmdADPCM, *cmdGSM, *cmdDSP;
    QPushButton *Command1, *Command2;

private:
    void Form_Load();
    void Command1_Click();
    void cmdPCM_Click();
    void cmdADPCM_Click();
    void cmdGSM_Click();
    void cmdDSP_Click();
    // After an ADPCM or GSM selection: a refused one leaves no description.
    void codingChosen();
};

} // namespace recorder
