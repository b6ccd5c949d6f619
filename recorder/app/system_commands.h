#pragma once
// The help and system commands of the main window: the manual, the
// recording-control view of the desktop's volume control, and the About text.

#include "recorder/app/desktop_launcher.h"

#include <optional>
#include <string>
#include <vector>

namespace recorder {

inline constexpr const char* kHomePage = "https://velmor.example/sound-recorder";
inline constexpr const char* kSupportPage = "https://velmor.example/sound-recorder/support";

struct LaunchCommand {
    std::string program;
    std::vector<std::string> arguments;
    bool operator==(const LaunchCommand&) const = default;
};

// The volume controls that show the inputs, best first: pavucontrol on its
// input-devices tab, then the desktop's own sound settings (KDE's first on
// KDE, GNOME's first elsewhere).
std::vector<LaunchCommand> recordControlCommands(const std::string& desktop);

// Starts the first installed one that starts; nullopt when none did.
std::optional<LaunchCommand> openRecordControl(DesktopLauncher& launcher);

// Where the HTML manual's first page is looked for: the application folder's
// help/, then the data folder of an installed program beside the executable.
std::vector<std::string> manualCandidates(const std::string& applicationFolder, const std::string& executableFolder);
// The first candidate that exists; empty when none does.
std::string findManual(const std::string& applicationFolder, const std::string& executableFolder);
// The folder of the running executable.
std::string executableFolder();

// The About box: name, version and the libraries in use with their versions.
std::string aboutText(const std::string& qtVersion);

} // namespace recorder
