// The music folder from the desktop's user-dirs.dirs, and ~/Music without it.

#include "recorder/settings/music_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

namespace recorder {
namespace {

TEST(MusicFolder, UserDirsTextGivesTheMusicDirectoryInTheFormsTheFileAllows)
{
    const std::string home = "/home/ana";
    const std::string usual = "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                              "XDG_MUSIC_DIR=\"$HOME/Musik\"\nXDG_VIDEOS_DIR=\"$HOME/Videos\"\n";
    EXPECT_EQ(musicDirFromUserDirs(usual, home), "/home/ana/Musik");
    EXPECT_EQ(musicDirFromUserDirs("XDG_MUSIC_DIR=\"/srv/audio/\"\n", home), "/srv/audio");
    EXPECT_EQ(musicDirFromUserDirs("  XDG_MUSIC_DIR=$HOME/Songs\n", home), "/home/ana/Songs") << "unquoted";
    EXPECT_EQ(musicDirFromUserDirs("XDG_MUSIC_DIR=\"$HOME/My \\\"Best\\\" Songs\"", home), "/home/ana/My \"Best\" Songs");
    EXPECT_EQ(musicDirFromUserDirs("XDG_MUSIC_DIR=\"$HOME/\"\n", home), "/home/ana") << "home itself";
    EXPECT_EQ(musicDirFromUserDirs("XDG_MUSIC_DIR=\"$HOME/A\"\nXDG_MUSIC_DIR=\"$HOME/B\"\n", home), "/home/ana/B")
        << "the last one wins";

    // Forms the file does not allow are not guessed at.
    EXPECT_EQ(musicDirFromUserDirs("XDG_MUSIC_DIR=\"Music\"\n", home), "");
    EXPECT_EQ(musicDirFromUserDirs("XDG_MUSIC_DIR=\"$HOMEDIR/Music\"\n", home), "");
    EXPECT_EQ(musicDirFromUserDirs("#XDG_MUSIC_DIR=\"$HOME/Old\"\nXDG_MUSIC_DIRS=\"/x\"\n", home), "");
    EXPECT_EQ(musicDirFromUserDirs(std::string("XDG_MUSIC_DIR=\"/a\0b\"", 20), home), "");
    EXPECT_EQ(musicDirFromUserDirs("", home), "");
}

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(MusicFolder, ComesFromTheUsersConfigurationElseIsMusicInHome)
{
    char tmpl[] = "/tmp/velmor-music-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string home = tmpl;
    ScopedEnv homeVar("HOME", home);
    ScopedEnv config("XDG_CONFIG_HOME", home + "/conf");
    EXPECT_EQ(musicFolder(), home + "/Music");
    EXPECT_FALSE(std::filesystem::exists(home + "/Music")) << "made by the recording that needs it";

    std::filesystem::create_directories(home + "/conf");
    std::ofstream(home + "/conf/user-dirs.dirs") << "XDG_MUSIC_DIR=\"$HOME/Muziek\"\n";
    EXPECT_EQ(musicFolder(), home + "/Muziek");

    // A file too large to be one is not read.
    std::ofstream(home + "/conf/user-dirs.dirs") << std::string(70000, '#') << "\nXDG_MUSIC_DIR=\"$HOME/Muziek\"\n";
    EXPECT_EQ(musicFolder(), home + "/Music");
    std::filesystem::remove_all(home);
}

} // namespace
} // namespace recorder
