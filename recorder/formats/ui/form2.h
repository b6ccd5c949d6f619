#pragma once
// "Formats And Filters Settings ": a row per output format with the file
// component's description and a button to its options, and the filter and
// automatic-gain choices applied to recordings.

#include "recorder/formats/ui/format_components.h"
#include "recorder/recording/format_values.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace recorder {

class UpDown;

class Form2 : public QDialog {
    Q_OBJECT
public:
    explicit Form2(FormatComponents components, QWidget* parent = nullptr);

    // Format rows, by the names the window declares.
    QLineEdit *txtMP3, *txtWAV, *txtVOX, *txtOGG, *txtG721, *txtG723, *txtG726, *txtG729, *txtAC3, *txtAAC;
    QPushButton *cmdMP3, *cmdWAV, *cmdVOX, *cmdOgg, *cmdG721, *cmdG723, *cmdG726, *cmdG729, *cmdAC3, *cmdAAC;
    // The row box of a format.
    QLineEdit* row(FormatCode format) const { return rows_[format]; }

    QCheckBox *chFilter, *chFilter1, *chFilter2, *chAutoGainControl;
    QLineEdit *txtNotchFreq, *txtHighPassFreq, *txtLowPassFreq;
    QLineEdit *txtAGCLowLevel, *txtAGCHighLevel, *txtAGCAttackTime;
    UpDown *udNotchFreq, *udHighPassFreq, *udLowPassFreq;
    UpDown *udAGCLowLevel, *udAGCHighLevel, *udAGCAttackTime;
    QPushButton *Command1, *Command2;

private:
    QGroupBox* buildFormatRows();
    QGroupBox* buildFilters();
    QGroupBox* buildAutoGain();
    void Form_Load();
    void takeCaptureLevels();
    void fillFormatRows();
    void loadFilterKeys();
    void applyEnabling();
    void Command1_Click();
    // Shows the format's options dialog, which refreshes the format's row on OK.
    void openOptions(FormatCode format);

    FormatComponents components_;
    std::array<QLineEdit*, kFormatCount> rows_{};
};

} // namespace recorder
