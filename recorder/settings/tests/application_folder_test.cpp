#include "recorder/settings/application_folder.h"
#include "recorder/settings/settings_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

TEST(ApplicationFolder, VelmorHomeOverridesAndIsCreated)
{
    const std::string home = "/tmp/velmor-appfolder-test/nested/";
    std::filesystem::remove_all("/tmp/velmor-appfolder-test");
    ::setenv("VELMOR_HOME", home.c_str(), 1);
    EXPECT_EQ(recorder::applicationFolder(), "/tmp/velmor-appfolder-test/nested");
    EXPECT_TRUE(std::filesystem::is_directory(home));
    EXPECT_EQ(recorder::settingsFilePath(), "/tmp/velmor-appfolder-test/nested/settings.dat");
    ::unsetenv("VELMOR_HOME");
    std::filesystem::remove_all("/tmp/velmor-appfolder-test");
}

TEST(ApplicationFolder, WithoutOverrideIsTheWritableExecutableFolder)
{
    ::unsetenv("VELMOR_HOME");
    // The test binary sits in the (writable) build tree.
    auto exeDir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    EXPECT_EQ(recorder::applicationFolder(), exeDir.string());
}

TEST(ApplicationFolder, AnInstalledExecutableFolderIsRecognisedByItsPrivateLibraryFolder)
{
    const std::filesystem::path prefix = "/tmp/velmor-appfolder-prefix";
    std::filesystem::remove_all(prefix);
    std::filesystem::create_directories(prefix / "bin");
    EXPECT_FALSE(recorder::isInstalledExecutableFolder((prefix / "bin").string())) << "a portable copy";
    auto exeDir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    EXPECT_FALSE(recorder::isInstalledExecutableFolder(exeDir.string())) << "the build tree";

    const auto registryFolder = prefix / VELMOR_INSTALL_LIBDIR / "velmor-sound-recorder";
    std::filesystem::create_directories(registryFolder);
    std::ofstream(registryFolder / "classes.reg") << "\n";
    EXPECT_TRUE(recorder::isInstalledExecutableFolder((prefix / "bin").string()));
    std::filesystem::remove_all(prefix);
}

} // namespace
