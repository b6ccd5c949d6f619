#include "recorder/formats/ui/frm_g723.h"

#include "recorder/components/audio_file.h"

namespace recorder {

namespace {

const RateAndBitsCodec kCodec = {"frmG723", "Set CCUIT G.723 Format", "G.723", "g723", "g723Freq", "g723bit",
                                  &FormatValues::g723Freq, &FormatValues::g723bit, &AudioFile::SetFormatG723};

} // namespace

frmG723::frmG723(AudioFile& file, QLineEdit* txtG723, UserPrompts* prompts, QWidget* parent)
    : RateAndBitsDialog(kCodec, file, txtG723, prompts, parent)
{
}

} // namespace recorder
