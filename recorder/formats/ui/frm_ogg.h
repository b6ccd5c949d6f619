#pragma once
// "Ogg Vorbis Option": a nominal bit rate, an optional minimum and maximum
// (VBR), or a quality that replaces the bit rates.

#include "recorder/formats/ui/format_dialog.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QSlider;

namespace recorder {

class frmOgg : public FormatDialog {
    Q_OBJECT
public:
    frmOgg(AudioFile& file, QLineEdit* txtOGG, UserPrompts* prompts, QWidget* parent = nullptr);

    QLabel *lblBitrate, *lblMinBitrate, *lblMaxBitrate;
    QSlider *sldrBitrate, *sldrMinBitrate, *sldrMaxBitrate, *sldrQuality;
    QCheckBox *chVbr, *chQuality;
    QGroupBox *frmVbr, *frmQuality;
    QPushButton *cmdOK, *cmdCancel;

private:
    void Form_Load();
    void sldrBitrate_Scroll();
    void sldrMinBitrate_Scroll();
    void sldrMaxBitrate_Scroll();
    void sldrQuality_Scroll();
    void chVbr_Click();
    void chQuality_Click();
    void cmdOK_Click();
};

// The quality as its tip shows it: hundredths as a decimal without trailing zeros (3, 3.5).
QString oggQualityText(int hundredths);

} // namespace recorder
