#include "recorder/recordings/recording_files.h"

#include "recorder/fileutil/tests/scratch_files.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace recorder;
namespace fs = std::filesystem;

namespace {

class RecordingFiles : public ::testing::Test {
protected:
    RecordingFiles() : dir_(folder_.path()), dataHome_("XDG_DATA_HOME", folder_ / "data")
    {
        fs::create_directories(dir_ + "/music");
        fs::create_directories(dir_ + "/data");
    }
    std::string make(const std::string& name, const std::string& text = "audio")
    {
        return scratch::write(dir_ + "/" + name, text);
    }
    static std::string read(const std::string& path) { return scratch::read(path); }

    scratch::Folder folder_;
    std::string dir_;
    scratch::Env dataHome_;
};

TEST_F(RecordingFiles, ABareNameRenamesInTheRecordingsOwnFolder)
{
    EXPECT_EQ(renameTarget("/m/a.WAV", "b.WAV"), "/m/b.WAV");
    EXPECT_EQ(renameTarget("/m/a.WAV", "sub/b.WAV"), "/m/sub/b.WAV");
    EXPECT_EQ(renameTarget("/m/a.WAV", "../b.WAV"), "/b.WAV");
    EXPECT_EQ(renameTarget("/m/a.WAV", "/x/b.WAV"), "/x/b.WAV");

    const std::string path = make("music/take.WAV");
    auto result = renameRecording(path, "better.WAV");
    ASSERT_EQ(result.outcome, RenameResult::Outcome::Renamed) << result.error;
    EXPECT_EQ(result.newPath, dir_ + "/music/better.WAV");
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(read(result.newPath), "audio");
    EXPECT_FALSE(fs::exists(fs::current_path() / "better.WAV")) << "not into the process's folder";
}

TEST_F(RecordingFiles, AnExistingTargetIsRefusedAndNothingIsOverwritten)
{
    const std::string path = make("music/take.WAV", "new take");
    const std::string other = make("music/keeper.WAV", "keep me");
    auto result = renameRecording(path, other);
    EXPECT_EQ(result.outcome, RenameResult::Outcome::TargetExists);
    EXPECT_EQ(result.newPath, other);
    EXPECT_EQ(read(other), "keep me");
    EXPECT_EQ(read(path), "new take");

    EXPECT_EQ(renameRecording(path, "take.WAV").outcome, RenameResult::Outcome::Unchanged);
    EXPECT_EQ(renameRecording(dir_ + "/music/gone.WAV", "x.WAV").outcome, RenameResult::Outcome::Missing);
    EXPECT_EQ(renameRecording(dir_ + "/music", "x").outcome, RenameResult::Outcome::Missing) << "a folder is no recording";
}

TEST_F(RecordingFiles, ARenameThatCannotHappenSaysWhyAndKeepsTheRecording)
{
    const std::string path = make("music/take.WAV");
    auto result = renameRecording(path, dir_ + "/no/such/folder/take.WAV");
    EXPECT_EQ(result.outcome, RenameResult::Outcome::Failed);
    EXPECT_NE(result.error.find("No such file"), std::string::npos) << result.error;
    EXPECT_TRUE(fs::exists(path));
}

TEST_F(RecordingFiles, AMoveToAnotherFileSystemCopiesAndRemoves)
{
    // /dev/shm is a tmpfs: another file system than /tmp on most machines.
    if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm";
    const std::string path = make("music/take.WAV", std::string(300000, 'a'));
    const std::string target = "/dev/shm/velmor-moved-" + std::to_string(::getpid()) + ".WAV";
    auto result = renameRecording(path, target);
    ASSERT_EQ(result.outcome, RenameResult::Outcome::Renamed) << result.error;
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(fs::file_size(target), 300000u);
    const std::string again = make("music/take2.WAV", "second");
    EXPECT_EQ(renameRecording(again, target).outcome, RenameResult::Outcome::TargetExists);
    EXPECT_EQ(fs::file_size(target), 300000u);
    fs::remove(target);
}

TEST_F(RecordingFiles, DeleteMovesTheRecordingToTheTrashWhereItCanBeRestored)
{
    const std::string path = make("music/take.WAV", "undo me");
    auto result = deleteRecording(path);
    ASSERT_EQ(result.outcome, DeleteResult::Outcome::Trashed) << result.error;
    EXPECT_FALSE(fs::exists(path));
    const std::string trashed = dir_ + "/data/Trash/files/take.WAV";
    EXPECT_EQ(read(trashed), "undo me");
    const std::string info = read(dir_ + "/data/Trash/info/take.WAV.trashinfo");
    EXPECT_NE(info.find("Path=" + path), std::string::npos) << info;
    EXPECT_NE(info.find("DeletionDate="), std::string::npos) << info;
}

TrashResult noTrash(const std::string&) { return {false, "", "no trash here"}; }

TEST_F(RecordingFiles, WithoutATrashTheRecordingIsDeleted)
{
    const std::string path = make("music/take.WAV");
    auto result = deleteRecording(path, noTrash);
    EXPECT_EQ(result.outcome, DeleteResult::Outcome::Deleted) << result.error;
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(deleteRecording(path).outcome, DeleteResult::Outcome::Deleted) << "already gone";
}

TEST_F(RecordingFiles, ARecordingThatCannotBeDeletedSaysWhyAndStays)
{
    // A non-empty folder in the recording's place: no unlink takes it, even as root.
    fs::create_directories(dir_ + "/music/take.WAV/inner");
    auto result = deleteRecording(dir_ + "/music/take.WAV", noTrash);
    EXPECT_EQ(result.outcome, DeleteResult::Outcome::Failed);
    EXPECT_NE(result.error.find("directory"), std::string::npos) << result.error;
    EXPECT_TRUE(fs::exists(dir_ + "/music/take.WAV/inner"));
}

} // namespace
