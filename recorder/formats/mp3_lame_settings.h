#pragma once
// The MP3 encoder settings kept across runs: each MP3Lame property under its
// own name in section "mp3" of settings.dat, beside the bit rate, frequency
// and channel keys.

#include <string>

namespace recorder {

class MP3Lame;

// Sets every property whose key holds a value the property accepts; the
// others keep their value (a file without the keys leaves the defaults).
void readMp3LameSettings(const std::string& settingsPath, MP3Lame& settings);

// Writes all properties. Every key is attempted; false when any could not be stored.
bool writeMp3LameSettings(const std::string& settingsPath, const MP3Lame& settings);

} // namespace recorder
