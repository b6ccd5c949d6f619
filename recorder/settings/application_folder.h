#pragma once
// The application folder: where settings.dat, schedule.dat, the skin and the
// help files live.
//
// $VELMOR_HOME when set; otherwise the executable's folder when it is
// writable and not part of an installation (a portable copy, the build tree);
// otherwise $XDG_DATA_HOME/velmor-sound-recorder
// (~/.local/share/velmor-sound-recorder), created on first use.

#include <string>

namespace recorder {

std::string applicationFolder();

// Whether the executable in `executableFolder` was installed (cmake --install,
// the package): its private library folder with the program's class registry
// lies beside it. Such a folder (/usr/bin for root, ~/.local/bin) is never
// the application folder, however writable.
bool isInstalledExecutableFolder(const std::string& executableFolder);

} // namespace recorder
