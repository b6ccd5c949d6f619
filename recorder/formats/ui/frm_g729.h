#pragma once
// "G.729 Format Options": the G.729 rate recordings use, stored on OK.

#include "recorder/formats/ui/rate_list_dialog.h"

namespace recorder {

class frmG729 : public RateListDialog {
    Q_OBJECT
public:
    // txtG729 is the settings window's G.729 row, which OK refreshes (may be null).
    frmG729(AudioFile& file, QLineEdit* txtG729, UserPrompts* prompts, QWidget* parent = nullptr);
};

} // namespace recorder
