#pragma once
// "Set VOX Format": the rate VOX recordings use, stored on OK.

#include "recorder/formats/ui/format_dialog.h"

class QLineEdit;
class QPushButton;

namespace recorder {

class AudioFile;
class RateOptions;
class UserPrompts;

class frmVOX : public FormatDialog {
    Q_OBJECT
public:
    // txtVOX is the settings window's VOX row, which OK refreshes (may be null).
    frmVOX(AudioFile& file, QLineEdit* txtVOX, UserPrompts* prompts, QWidget* parent = nullptr);

    RateOptions* Frequency; // F1..F8
    QPushButton *cmdOK, *cmdCancel;

private:
    void Form_Load();
    void cmdOK_Click();
};

} // namespace recorder
