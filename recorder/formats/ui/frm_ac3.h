#pragma once
// "AC3 Format Options": sample rate, channel layout and bit rate of AC3 output.

#include "recorder/formats/ui/format_dialog.h"

class QComboBox;

namespace recorder {

class BitrateGroup;

class frmAC3 : public FormatDialog {
    Q_OBJECT
public:
    frmAC3(AudioFile& file, QLineEdit* txtAC3, UserPrompts* prompts, QWidget* parent = nullptr);

    QComboBox *ComboSampleRate, *ComboChannels;
    BitrateGroup* GroupBoxBitrate;
    QPushButton *ButtonOK, *ButtonCancel;

private:
    void Form_Load();
    void ButtonOK_Click();
};

} // namespace recorder
