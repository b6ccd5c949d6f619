// The file being recorded, when its folder is moved, removed or made read-only under it.

#include "recorder/recording/recording_file_watch.h"

#include "recorder/fileutil/tests/scratch_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace recorder {
namespace {

namespace fs = std::filesystem;

class FileWatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(root_ + "/takes");
        std::ofstream(root_ + "/takes/take.wav") << "RIFF and some audio";
    }
    scratch::Folder folder_;
    const std::string root_ = folder_.path();
};

TEST_F(FileWatch, AMovedFolderIsFollowedToTheFilesNewPath)
{
    RecordingFileWatch watch(root_ + "/takes/take.wav");
    EXPECT_EQ(watch.check().change, RecordingFileWatch::Change::None);
    fs::rename(root_ + "/takes", root_ + "/moved");
    const auto seen = watch.check();
    EXPECT_EQ(seen.change, RecordingFileWatch::Change::Moved);
    EXPECT_EQ(seen.where, root_ + "/moved/take.wav");
    EXPECT_EQ(watch.check().change, RecordingFileWatch::Change::None) << "it is where it was last seen";
    EXPECT_EQ(watch.size(), 19u);
}

TEST_F(FileWatch, ARemovedFolderIsNoticedAndTheFileSavedBesideWhatIsThere)
{
    RecordingFileWatch watch(root_ + "/takes/take.wav");
    fs::remove_all(root_ + "/takes");
    EXPECT_EQ(watch.check().change, RecordingFileWatch::Change::Removed);
    EXPECT_EQ(watch.size(), 19u) << "the audio is still there through the watch";

    // A folder that cannot be made is passed over; a name already taken is kept.
    std::ofstream(root_ + "/file") << "x";
    fs::create_directories(root_ + "/music");
    std::ofstream(root_ + "/music/take.wav") << "another recording";
    std::string why;
    const std::string saved = watch.rescue({root_ + "/file/sub", root_ + "/music"}, why);
    EXPECT_EQ(saved, root_ + "/music/take (2).wav") << why;
    EXPECT_EQ(scratch::read(saved), "RIFF and some audio");
    EXPECT_EQ(scratch::read(root_ + "/music/take.wav"), "another recording");
}

TEST_F(FileWatch, AFolderMadeReadOnlyIsNoticedEvenByRootAndWritableAgainIsNot)
{
    RecordingFileWatch watch(root_ + "/takes/take.wav");
    fs::permissions(root_ + "/takes", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(watch.check().change, RecordingFileWatch::Change::ReadOnly);
    fs::permissions(root_ + "/takes", fs::perms::owner_all);
    EXPECT_EQ(watch.check().change, RecordingFileWatch::Change::None);
}

TEST_F(FileWatch, NoFolderTakingTheFileSaysWhy)
{
    RecordingFileWatch watch(root_ + "/takes/take.wav");
    fs::remove_all(root_ + "/takes");
    std::ofstream(root_ + "/file") << "x";
    std::string why;
    EXPECT_EQ(watch.rescue({root_ + "/file/sub"}, why), "");
    EXPECT_NE(why.find(root_ + "/file/sub"), std::string::npos) << why;
}

} // namespace
} // namespace recorder
