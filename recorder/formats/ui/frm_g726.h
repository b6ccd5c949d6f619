#pragma once
// "Set CCUIT G.726 Format": the G.726 rate and bit depth recordings use, stored on OK.

#include "recorder/formats/ui/rate_and_bits_dialog.h"

namespace recorder {

class frmG726 : public RateAndBitsDialog {
    Q_OBJECT
public:
    // txtG726 is the settings window's G.726 row, which OK refreshes (may be null).
    frmG726(AudioFile& file, QLineEdit* txtG726, UserPrompts* prompts, QWidget* parent = nullptr);
};

} // namespace recorder
