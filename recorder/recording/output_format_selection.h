#pragma once
// Puts the stored format values into a file component: every format's
// settings at once (what the format dialogs and playback start from), or the
// one format a recording writes.

#include "recorder/recording/format_values.h"

namespace recorder {

class AudioFile;
class AudioFormatSettings;

// The AAC settings the values describe.
void applyAacValues(const FormatValues& v, AudioFormatSettings& aac);
// Selects each format in turn with its values; the AAC one last.
void applyFormatValues(AudioFile& file, const FormatValues& v, const AudioFormatSettings& aac);
// Selects format `code` (a FormatCode) with its values. False, with the file's
// lastError(), when the file component refuses them or the code is unknown.
bool selectOutputFormat(AudioFile& file, const FormatValues& v, const AudioFormatSettings& aac, int code);

} // namespace recorder
