#include "recorder/fileutil/cls_find.h"

#include "recorder/fileutil/tests/scratch_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

using namespace recorder;
namespace fs = std::filesystem;

namespace {

class ClsFind : public ::testing::Test {
protected:
    std::string make(const std::string& relative)
    {
        const std::string path = folder_ / relative;
        fs::create_directories(fs::path(path).parent_path());
        return scratch::write(path, relative);
    }
    void link(const std::string& target, const std::string& relative) { fs::create_symlink(target, folder_ / relative); }

    // The found paths below the scratch folder, in collection order.
    std::vector<std::string> found(const clsFind& find) const
    {
        std::vector<std::string> out;
        for (const clsFile& f : find) out.push_back(f.sFilename().substr(folder_.path().size() + 1));
        return out;
    }

    scratch::Folder folder_;
};

using Paths = std::vector<std::string>;

TEST_F(ClsFind, WithoutRecursionOnlyTheFoldersOwnFilesInAnyCase)
{
    make("SONG.MP3");
    make("take.Mp3");
    make("a.mp3");
    make("notes.txt");
    make("sub/deep.mp3");
    fs::create_directory(folder_ / "folder.mp3");

    clsFind find;
    EXPECT_EQ(find.Find(folder_.path(), "*.mp3", false), 3u);
    EXPECT_EQ(found(find), (Paths{"a.mp3", "SONG.MP3", "take.Mp3"}));
    EXPECT_EQ(find.Item(1).sNameAndExtension(), "SONG.MP3");
    EXPECT_EQ(find.Item(1).lSize(), 8);
}

TEST_F(ClsFind, SubfoldersFirstDepthFirstThenPatternByPattern)
{
    make("b/x.mp3");
    make("b/sub/y.mp3");
    make("A/z.WAV");
    make("top.mp3");
    make("top.wav");
    make("Other.MP3");
    make("skip.txt");

    clsFind find;
    EXPECT_EQ(find.Find(folder_.path() + "/", "*.wav;*.mp3", true), 6u);
    EXPECT_EQ(found(find), (Paths{"A/z.WAV", "b/sub/y.mp3", "b/x.mp3", "top.wav", "Other.MP3", "top.mp3"}));
}

TEST_F(ClsFind, SearchesAccumulateUntilClear)
{
    make("one.mp3");
    make("two.mp3");
    make("three.wav");

    clsFind find;
    EXPECT_EQ(find.Find(folder_.path(), "*.mp3", false), 2u);
    EXPECT_EQ(find.Find(folder_.path(), "*.wav", false), 3u);
    EXPECT_EQ(found(find), (Paths{"one.mp3", "two.mp3", "three.wav"}));

    find.Remove(1);
    EXPECT_EQ(found(find), (Paths{"one.mp3", "three.wav"}));
    EXPECT_THROW(find.Remove(2), std::out_of_range);
    EXPECT_THROW(find.Item(2), std::out_of_range);

    find.Clear();
    EXPECT_EQ(find.Count(), 0u);
    EXPECT_EQ(find.Find(folder_.path(), "*.mp3;", false), 2u);
}

TEST_F(ClsFind, FoldersThatCannotBeListedAddNothing)
{
    make("take.mp3");
    clsFind find;
    EXPECT_EQ(find.Find(folder_ / "missing", "*.*", true), 0u);
    EXPECT_EQ(find.Find(folder_ / "take.mp3", "*.*", true), 0u);
    EXPECT_EQ(find.Find(folder_.path(), "", true), 0u);
}

TEST_F(ClsFind, AnUnreadableSubfolderAddsNothingAndTheRestIsFound)
{
    if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
    make("locked/hidden.mp3");
    make("open/seen.mp3");
    ::chmod((folder_ / "locked").c_str(), 0);
    clsFind find;
    find.Find(folder_.path(), "*.mp3", true);
    ::chmod((folder_ / "locked").c_str(), 0755);
    EXPECT_EQ(found(find), (Paths{"open/seen.mp3"}));
}

TEST_F(ClsFind, LinkedFoldersAreSearchedOnceAndLoopsEnd)
{
    make("music/a/take.mp3");
    link("..", "music/a/up");
    link(".", "music/a/self");
    link(folder_ / "music", "music/a/root");
    link("missing", "music/broken.mp3");
    link("a/take.mp3", "music/alias.mp3");

    clsFind find;
    find.Find(folder_ / "music", "*.mp3", true);
    EXPECT_EQ(found(find), (Paths{"music/a/take.mp3", "music/alias.mp3"}));
}

} // namespace
