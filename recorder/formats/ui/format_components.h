#pragma once
// What the format windows work on: the main window's capture control, file
// component and the two encoder settings objects. All belong to the main
// window and outlive the dialogs.

#include "capture/TavorAudioDXRecord3.h"

namespace recorder {

class AudioFile;
class AudioFormatSettings;
class MP3Lame;
class UserPrompts;

struct FormatComponents {
    REduruZUZedova3* capture = nullptr; // null when the capture control is missing
    AudioFile* file = nullptr;
    AudioFormatSettings* aac = nullptr;
    MP3Lame* mp3 = nullptr;
    UserPrompts* prompts = nullptr;
};

} // namespace recorder
