#include "recorder/formats/ui/frm_g721.h"

#include "recorder/components/audio_file.h"

namespace recorder {

namespace {

const RateListCodec kCodec = {"frmG721", "G.721 Format Options", "G.721", "g721", "g721Freq",
                              &FormatValues::g721Freq, &AudioFile::SetFormatG721};

} // namespace

frmG721::frmG721(AudioFile& file, QLineEdit* txtG721, UserPrompts* prompts, QWidget* parent)
    : RateListDialog(kCodec, file, txtG721, prompts, parent)
{
}

} // namespace recorder
