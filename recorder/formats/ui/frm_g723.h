#pragma once
// "Set CCUIT G.723 Format": the G.723 rate and bit depth recordings use, stored on OK.

#include "recorder/formats/ui/rate_and_bits_dialog.h"

namespace recorder {

class frmG723 : public RateAndBitsDialog {
    Q_OBJECT
public:
    // txtG723 is the settings window's G.723 row, which OK refreshes (may be null).
    frmG723(AudioFile& file, QLineEdit* txtG723, UserPrompts* prompts, QWidget* parent = nullptr);
};

} // namespace recorder
