#pragma once
// "MP3 Advanced Option": the MP3 bit rate, frequency and channels the program
// records with (stored on OK), and the encoder settings object, whose
// properties every control changes at once.

#include "recorder/formats/ui/format_dialog.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;

namespace recorder {

class AudioFile;
class MP3Lame;
class UpDown;
class UserPrompts;

class frmMP3 : public FormatDialog {
    Q_OBJECT
public:
    // txtMP3 is the settings window's MP3 row, which OK refreshes (may be null).
    frmMP3(MP3Lame& lame, AudioFile& file, QLineEdit* txtMP3, UserPrompts* prompts, QWidget* parent = nullptr);

    QTabWidget* SSTab1;
    // General
    QSlider *Slider1, *Slider2;
    QLabel* Label1;
    QComboBox *Combo3, *Combo5;
    // Filtering
    QCheckBox *chHFilt, *chLFilt;
    QLineEdit *tHFiltF, *tHFiltW, *tLFiltF, *tLFiltW;
    UpDown *udHFiltF, *udHFiltW, *udLFiltF, *udLFiltW;
    QLabel *Label11, *Label13;
    // VBR
    QLabel *Label14, *Label15, *Label9, *Label8;
    QComboBox* Combo1;
    QLineEdit *tVbrQ, *tABR;
    UpDown *udVbrQ, *udABR;
    QGroupBox *Frame6, *Frame3;
    QSlider* Slider3;
    QCheckBox *Check1, *Check2;
    // Expert
    QLabel *Label10, *Label12;
    QComboBox *Combo2, *Combo4;
    QCheckBox *Check3, *Check4, *Check5, *Check6, *Check7;

    QPushButton *Command1, *Command2;

private:
    QWidget* buildGeneral();
    QWidget* buildFiltering();
    QWidget* buildVbr();
    QWidget* buildExpert();
    void connectRules();
    void Form_Load();

    void showBitrate(int kbps);
    void Slider1_Scroll();
    void Slider3_Scroll();
    void Combo1_Click();
    void Combo3_Click();
    void Combo5_Click();
    void chHFilt_Click();
    void chLFilt_Click();
    void Command1_Click();

    MP3Lame& lame_;
};

} // namespace recorder
