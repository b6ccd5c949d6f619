#include "recorder/formats/ui/frm_g729.h"

#include "recorder/components/audio_file.h"

namespace recorder {

namespace {

const RateListCodec kCodec = {"frmG729", "G.729 Format Options", "G.729", "g729", "g729Freq",
                              &FormatValues::g729Freq, &AudioFile::SetFormatG729};

} // namespace

frmG729::frmG729(AudioFile& file, QLineEdit* txtG729, UserPrompts* prompts, QWidget* parent)
    : RateListDialog(kCodec, file, txtG729, prompts, parent)
{
}

} // namespace recorder
