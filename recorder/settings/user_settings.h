#pragma once
// Per-user settings of a window, by application, section and key, as the
// program keeps its window positions and options. They live in
// ~/.config/velmor-sound-recorder/<application>.ini, or beside the
// application folder's other files when VELMOR_HOME is set (a portable
// installation, and every test).

#include <string>

namespace recorder {

std::string GetSetting(const std::string& appName, const std::string& section, const std::string& key,
                       const std::string& defaultValue = {});
// False when the settings file cannot be written.
bool SaveSetting(const std::string& appName, const std::string& section, const std::string& key,
                 const std::string& value);

} // namespace recorder
