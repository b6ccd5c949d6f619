#include "recorder/app/system_commands.h"

#include "recorder/components/library_versions.h"

#include <filesystem>

namespace recorder {

namespace fs = std::filesystem;

std::vector<LaunchCommand> recordControlCommands(const std::string& desktop)
{
    std::vector<LaunchCommand> commands = {
        {"pavucontrol", {"--tab=4"}},
        {"pavucontrol-qt", {"--tab=4"}},
    };
    const std::vector<LaunchCommand> kde = {{"systemsettings", {"kcm_pulseaudio"}},
                                            {"systemsettings5", {"kcm_pulseaudio"}}};
    const std::vector<LaunchCommand> gnome = {{"gnome-control-center", {"sound"}}};
    const bool onKde = desktop.find("KDE") != std::string::npos;
    for (const auto* group : onKde ? std::vector{&kde, &gnome} : std::vector{&gnome, &kde})
        commands.insert(commands.end(), group->begin(), group->end());
    return commands;
}

std::optional<LaunchCommand> openRecordControl(DesktopLauncher& launcher)
{
    for (const auto& command : recordControlCommands(launcher.desktop()))
        if (launcher.isInstalled(command.program) && launcher.start(command.program, command.arguments)) return command;
    return std::nullopt;
}

std::vector<std::string> manualCandidates(const std::string& applicationFolder, const std::string& executableFolder)
{
    return {applicationFolder + "/help/index.html",
            (fs::path(executableFolder) / "../share/velmor-sound-recorder/help/index.html").lexically_normal().string()};
}

std::string findManual(const std::string& applicationFolder, const std::string& executableFolder)
{
    for (const auto& path : manualCandidates(applicationFolder, executableFolder)) {
        std::error_code ec;
        if (fs::is_regular_file(path, ec)) return path;
    }
    return {};
}

std::string executableFolder()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

std::string aboutText(const std::string& qtVersion)
{
    std::string text = "Velmor Sound Recorder 3.50\n\n"
                       "Records what your computer hears and plays into WAV, MP3, VOX, G.721, G.723, G.726, "
                       "G.729, Ogg Vorbis, AC3 and AAC files.\n\nLibraries in use:\n";
    text += "Qt " + qtVersion + "\n";
    for (const auto& [name, version] : componentLibraryVersions()) text += name + " " + version + "\n";
    return text;
}

} // namespace recorder
