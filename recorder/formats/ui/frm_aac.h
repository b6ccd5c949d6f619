#pragma once
// "MP4 (AAC) Format Options": edits the main window's AAC settings object
// and stores what the object reports back.

#include "recorder/formats/ui/format_dialog.h"

class QComboBox;
class QSlider;

namespace recorder {

class AudioFormatSettings;
class BitrateGroup;

class frmAAC : public FormatDialog {
    Q_OBJECT
public:
    frmAAC(AudioFormatSettings& aac, AudioFile& file, QLineEdit* txtAAC, UserPrompts* prompts, QWidget* parent = nullptr);

    QComboBox *ComboType, *ComboSampleRate, *ComboChannels;
    QSlider* sliderQuality;
    BitrateGroup* GroupBoxBitrate;
    QPushButton *ButtonOK, *ButtonCancel;

private:
    void Form_Load();
    void ButtonOK_Click();

    AudioFormatSettings& AAC;
};

} // namespace recorder
