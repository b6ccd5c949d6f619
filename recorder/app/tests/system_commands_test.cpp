#include "recorder/app/system_commands.h"

#include "recorder/app/tests/scripted_launcher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace recorder {
namespace {

TEST(RecordControl, PavucontrolOnItsInputTabWhenInstalled)
{
    ScriptedLauncher launcher;
    launcher.installed = {"pavucontrol", "gnome-control-center", "systemsettings"};
    auto started = openRecordControl(launcher);
    ASSERT_TRUE(started);
    EXPECT_EQ(launcher.started, std::vector<std::string>{"pavucontrol --tab=4"});
}

TEST(RecordControl, FallsBackToTheDesktopsOwnSoundSettings)
{
    ScriptedLauncher gnome;
    gnome.desktopName = "ubuntu:GNOME";
    gnome.installed = {"gnome-control-center", "systemsettings"};
    openRecordControl(gnome);
    EXPECT_EQ(gnome.started, std::vector<std::string>{"gnome-control-center sound"});

    ScriptedLauncher kde;
    kde.desktopName = "KDE";
    kde.installed = {"gnome-control-center", "systemsettings5"};
    openRecordControl(kde);
    EXPECT_EQ(kde.started, std::vector<std::string>{"systemsettings5 kcm_pulseaudio"}) << "KDE's own first on KDE";

    ScriptedLauncher broken;
    broken.installed = {"pavucontrol", "pavucontrol-qt"};
    broken.failingToStart = {"pavucontrol"};
    openRecordControl(broken);
    EXPECT_EQ(broken.started, std::vector<std::string>{"pavucontrol-qt --tab=4"}) << "one that fails to start is passed over";
}

TEST(RecordControl, NothingInstalledStartsNothing)
{
    ScriptedLauncher launcher;
    EXPECT_FALSE(openRecordControl(launcher));
    EXPECT_TRUE(launcher.started.empty());
}

TEST(Manual, TheApplicationFoldersManualComesFirstThenTheInstalledOne)
{
    char tmpl[] = "/tmp/velmor-manual-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string root = tmpl;
    std::filesystem::create_directories(root + "/prefix/bin");
    std::filesystem::create_directories(root + "/prefix/share/velmor-sound-recorder/help");
    std::filesystem::create_directories(root + "/app/help");
    EXPECT_EQ(findManual(root + "/app", root + "/prefix/bin"), "") << "no manual anywhere";
    std::ofstream(root + "/prefix/share/velmor-sound-recorder/help/index.html") << "<html></html>";
    EXPECT_EQ(findManual(root + "/app", root + "/prefix/bin"), root + "/prefix/share/velmor-sound-recorder/help/index.html");
    std::ofstream(root + "/app/help/index.html") << "<html></html>";
    EXPECT_EQ(findManual(root + "/app", root + "/prefix/bin"), root + "/app/help/index.html");
    std::filesystem::remove_all(root);
}

TEST(About, NamesTheProgramItsVersionAndTheLibrariesInUse)
{
    const std::string text = aboutText("6.4.2");
    EXPECT_EQ(text.rfind("Velmor Sound Recorder 3.50", 0), 0u);
    for (const char* library : {"Qt 6.4.2", "FFmpeg ", "LAME ", "libvorbis ", "libsndfile ", "bcg729 ", "libpulse "})
        EXPECT_NE(text.find(library), std::string::npos) << library << " in\n" << text;
    EXPECT_EQ(text.find("  "), std::string::npos) << "every version is filled in:\n" << text;
}

} // namespace
} // namespace recorder
