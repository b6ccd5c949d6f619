// The record settings window, opened from the main window.

#include "recorder/app/form1.h"

#include "recorder/components/audio_format_settings.h"
#include "recorder/formats/ui/form2.h"

namespace recorder {

void Form1::openFormatSettings()
{
    if (exited_ || !AudioFile) return;
    if (!AAC) AAC = std::make_shared<AudioFormatSettings>();
    FormatComponents components;
    components.capture = AudioRecord.get();
    components.file = AudioFile.get();
    components.aac = AAC.get();
    components.mp3 = MP3Lame.get();
    components.prompts = &prompts_;
    Form2 dialog(components, this);
    dialog.exec();
}

} // namespace recorder
