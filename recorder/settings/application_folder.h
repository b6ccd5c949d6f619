#pragma once
// The application folder: where settings.dat, schedule.dat, the skin and the
// help files live.
//
// $VELMOR_HOME when set; otherwise the executable's folder when it is
// writable (a portable install); otherwise $XDG_DATA_HOME/velmor-sound-recorder
// (~/.local/share/velmor-sound-recorder), created on first use.

#include <string>

namespace recorder {

std::string applicationFolder();

} // namespace recorder
