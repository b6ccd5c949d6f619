#include "recorder/formats/ui/frm_g726.h"

#include "recorder/components/audio_file.h"

namespace recorder {

namespace {

const RateAndBitsCodec kCodec = {"frmG726", "Set CCUIT G.726 Format", "G.726", "g726", "gFreq", "gbit",
                                  &FormatValues::gFreq, &FormatValues::gbit, &AudioFile::SetFormatG726};

} // namespace

frmG726::frmG726(AudioFile& file, QLineEdit* txtG726, UserPrompts* prompts, QWidget* parent)
    : RateAndBitsDialog(kCodec, file, txtG726, prompts, parent)
{
}

} // namespace recorder
