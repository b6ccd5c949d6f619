#include "recorder/fileutil/trash.h"

#include "recorder/fileutil/tests/scratch_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using recorder::moveToTrash;
namespace fs = std::filesystem;

namespace {

class Trash : public ::testing::Test {
protected:
    Trash() : dir_(folder_.path()), dataHome_("XDG_DATA_HOME", folder_ / "data"), home_("HOME")
    {
        fs::create_directories(dir_ + "/music");
    }
    std::string make(const std::string& name, const std::string& text) { return scratch::write(dir_ + "/" + name, text); }
    static std::string read(const std::string& path) { return scratch::read(path); }

    scratch::Folder folder_;
    std::string dir_;
    scratch::Env dataHome_, home_;
};

TEST_F(Trash, FilesGoToTheHomeTrashWithAnInfoFileAndNeverTakeEachOthersNames)
{
    const std::string first = make("music/take one.WAV", "first");
    auto a = moveToTrash(first);
    ASSERT_TRUE(a.trashed) << a.error;
    EXPECT_EQ(a.trashedAs, dir_ + "/data/Trash/files/take one.WAV");
    EXPECT_FALSE(fs::exists(first));
    const std::string info = read(dir_ + "/data/Trash/info/take one.WAV.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + dir_ + "/music/take%20one.WAV\nDeletionDate=", 0), 0u) << info;
    EXPECT_EQ(info.size(), info.find("DeletionDate=") + 13 + 19 + 1) << "YYYY-MM-DDThh:mm:ss";

    make("music/take one.WAV", "second");
    auto b = moveToTrash(dir_ + "/music/take one.WAV");
    ASSERT_TRUE(b.trashed) << b.error;
    EXPECT_EQ(b.trashedAs, dir_ + "/data/Trash/files/take one.2.WAV");
    EXPECT_EQ(read(a.trashedAs), "first");
    EXPECT_EQ(read(b.trashedAs), "second");
    EXPECT_TRUE(fs::exists(dir_ + "/data/Trash/info/take one.2.WAV.trashinfo"));
}

TEST_F(Trash, WithoutAUsableTrashNothingMovesAndNothingIsLeftInTheCurrentFolder)
{
    make("blocker", "a file where the data folder should be");
    dataHome_.set(dir_ + "/blocker/data");
    home_.set(dir_ + "/blocker");
    const std::string path = make("music/take.WAV", "stay");
    // The top folder of /tmp's file system, whose own trash may be made.
    fs::path top = dir_;
    struct stat here {}, up {};
    ::stat(dir_.c_str(), &here);
    while (top.has_relative_path() && ::stat(top.parent_path().c_str(), &up) == 0 && up.st_dev == here.st_dev)
        top = top.parent_path();
    const fs::path topTrash = top / (".Trash-" + std::to_string(::getuid()));
    const bool hadTopTrash = fs::exists(topTrash);
    const fs::path cwd = fs::current_path();
    fs::current_path(dir_);
    auto r = moveToTrash(path);
    fs::current_path(cwd);
    // The topdir trash of /tmp's file system may still take it; either way it is in a trash or in place.
    if (r.trashed) {
        EXPECT_EQ(read(r.trashedAs), "stay");
        EXPECT_EQ(r.trashedAs.find(dir_), std::string::npos);
        EXPECT_EQ(r.trashedAs, (topTrash / "files" / "take.WAV").string());
        if (hadTopTrash) {
            fs::remove(r.trashedAs);
            fs::remove(topTrash / "info" / "take.WAV.trashinfo");
        } else {
            fs::remove_all(topTrash);
        }
    } else {
        EXPECT_FALSE(r.error.empty());
        EXPECT_EQ(read(path), "stay");
    }
    EXPECT_FALSE(fs::exists(dir_ + "/files"));
    EXPECT_FALSE(fs::exists(dir_ + "/info"));
}

TEST_F(Trash, AFileOnAnotherFileSystemGoesToThatFileSystemsOwnTrash)
{
    struct stat tmp {}, shm {};
    if (::stat(dir_.c_str(), &tmp) != 0 || ::stat("/dev/shm", &shm) != 0 || tmp.st_dev == shm.st_dev ||
        ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no writable second file system at /dev/shm";
    const std::string trashRoot = "/dev/shm/.Trash-" + std::to_string(::getuid());
    const bool hadTrash = fs::exists(trashRoot);
    const std::string name = "velmor-" + std::to_string(::getpid()) + ".WAV";
    std::ofstream("/dev/shm/" + name) << "elsewhere";
    auto r = moveToTrash("/dev/shm/" + name);
    ASSERT_TRUE(r.trashed) << r.error;
    EXPECT_EQ(r.trashedAs, trashRoot + "/files/" + name);
    const std::string info = read(trashRoot + "/info/" + name + ".trashinfo");
    EXPECT_NE(info.find("\nPath=" + name + "\n"), std::string::npos) << "relative to the top folder: " << info;
    if (hadTrash) {
        fs::remove(r.trashedAs);
        fs::remove(trashRoot + "/info/" + name + ".trashinfo");
    } else {
        fs::remove_all(trashRoot);
    }
}

TEST_F(Trash, AMissingFileIsNotTrashed)
{
    auto r = moveToTrash(dir_ + "/music/none.WAV");
    EXPECT_FALSE(r.trashed);
    EXPECT_NE(r.error.find("No such file"), std::string::npos) << r.error;
    EXPECT_FALSE(fs::exists(dir_ + "/data/Trash/info/none.WAV.trashinfo"));
}

} // namespace
