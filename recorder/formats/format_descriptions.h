#pragma once
// The rows of the record settings window: each format selected in turn with
// the program's current values and the file component's description of it.

#include "recorder/recording/format_values.h"

#include <array>
#include <string>

namespace recorder {

class AudioFile;
class AudioFormatSettings;

// Indexed by FormatCode. Ogg Vorbis is selected last, so the file component
// is left with it; the main window selects the recording format at each start.
std::array<std::string, kFormatCount> describeFormats(AudioFile& file, const AudioFormatSettings& aac,
                                                      const FormatValues& values);

// The file component's description of the format it has selected.
std::string currentDescription(const AudioFile& file);

} // namespace recorder
