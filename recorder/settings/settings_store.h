#pragma once
// The program's settings file, settings.dat in the application folder, read
// and written one key at a time.

#include <string>
#include <string_view>

namespace recorder {

// The value as the program sees it: at most 127 characters, cut at the first
// NUL, trimmed of spaces. A missing file, section or key gives "".
std::string ReadIniValue(const std::string& path, std::string_view section, std::string_view key);

// Stores the value (cut to 127 characters, and at a line break, which the
// file could not hold). The file and the section are created when missing.
// The file is replaced atomically: a failed write leaves the old file whole.
// Returns false when the value could not be stored; the value is then kept in
// memory and read back from there until a later write of the key succeeds,
// so the user's choice holds for the rest of the run.
bool WriteIniValue(const std::string& path, std::string_view section, std::string_view key, std::string_view value);

// Why the last failed WriteIniValue of this thread failed ("Permission denied").
std::string lastSettingsWriteError();

// Full path of settings.dat in the application folder, built at the moment of the call.
std::string settingsFilePath();

} // namespace recorder
