#pragma once
// "G.721 Format Options": the G.721 rate recordings use, stored on OK.

#include "recorder/formats/ui/rate_list_dialog.h"

namespace recorder {

class frmG721 : public RateListDialog {
    Q_OBJECT
public:
    // txtG721 is the settings window's G.721 row, which OK refreshes (may be null).
    frmG721(AudioFile& file, QLineEdit* txtG721, UserPrompts* prompts, QWidget* parent = nullptr);
};

} // namespace recorder
