#include "tags/errors.h"
#include "tags/file_functions.h"
#include "tags/id3v2_tag.h"
#include "tags/tests/tag_test_support.h"

#include <csignal>
#include <ctime>

#include <sys/resource.h>
#include <sys/stat.h>

using namespace tagmora;
using namespace tagtest;

namespace {

std::vector<std::string> entries(const std::filesystem::path& dir)
{
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

class FileReplacement : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = dir_.file("song.mp3");
        writeFile(path_, original_);
        // Longer than the old tag's place: the file is rewritten, not edited in place.
        tag_.SetFrameValue(2, std::u16string(200, u'T'));
    }
    TempDir dir_;
    std::string path_;
    Bytes original_ = tag(frame("TIT2", textBody("old")), 40) + fakeAudio(5000);
    Id3v2Tag tag_;
};

TEST_F(FileReplacement, TempNameIsDotNewOrTimeStampedWhenThatExists)
{
    EXPECT_EQ(MakeTempFileName(path_), path_ + ".new");
    writeFile(path_ + ".new", bytesOf("someone's file"));
    std::string name = MakeTempFileName(path_);
    ASSERT_EQ(name.size(), path_.size() + 7);
    EXPECT_EQ(name.substr(0, dir_.path().string().size() + 1), dir_.path().string() + "/");
    std::string prefix = std::filesystem::path(name).filename().string().substr(0, 7);
    EXPECT_TRUE(std::all_of(prefix.begin(), prefix.begin() + 6, ::isdigit) && prefix[6] == '-') << name;
    EXPECT_TRUE(name.ends_with("-song.mp3"));

    tag_.WriteTag(path_, false);
    EXPECT_EQ(readFile(path_ + ".new"), bytesOf("someone's file")) << "the existing .new file is left alone";
    EXPECT_EQ(entries(dir_.path()), (std::vector<std::string>{"song.mp3", "song.mp3.new"})) << "no temporary left";
}

TEST_F(FileReplacement, KeepsPermissionsAndSymbolicLinks)
{
    ::chmod(path_.c_str(), 0640);
    std::string link = dir_.file("link.mp3");
    std::filesystem::create_symlink(path_, link);
    tag_.WriteTag(link, false);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    struct stat st {};
    ::stat(path_.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    Id3v2Tag back;
    back.ReadTag(path_);
    EXPECT_EQ(back.GetFrameValue(2), std::u16string(200, u'T'));
}

TEST_F(FileReplacement, PathThroughAFileFailsCleanly)
{
    std::string through = path_ + "/inner.mp3";
    try {
        tag_.WriteTag(through, true);
        FAIL();
    } catch (const TagError& e) {
        EXPECT_EQ(e.code(), kErrorBase + 109);
    }
    EXPECT_EQ(readFile(path_), original_);
}

TEST_F(FileReplacement, UnwritableFolderLeavesTheOriginal)
{
    if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root; see FullDiskLeavesTheOriginal";
    ::chmod(dir_.path().c_str(), 0555);
    EXPECT_THROW(tag_.WriteTag(path_, true), TagError);
    EXPECT_THROW(tag_.RemoveTag(path_, true), TagError);
    ::chmod(dir_.path().c_str(), 0755);
    EXPECT_EQ(readFile(path_), original_);
    EXPECT_EQ(entries(dir_.path()), (std::vector<std::string>{"song.mp3"}));
}

TEST_F(FileReplacement, FullDiskLeavesTheOriginal)
{
    // A file-size limit makes the temporary file's writes fail, for root too.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 2000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    bool raised = false;
    try {
        tag_.WriteTag(path_, false);
    } catch (const TagError& e) {
        raised = true;
        EXPECT_EQ(static_cast<std::uint32_t>(e.code()), 0x800A003Du) << e.description();
        EXPECT_EQ(e.source(), "clsID3v2::WriteTag");
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_TRUE(raised);
    EXPECT_FALSE(tag_.HasTag());
    EXPECT_EQ(readFile(path_), original_);
    EXPECT_EQ(entries(dir_.path()), (std::vector<std::string>{"song.mp3"})) << "the temporary file is removed";
}

} // namespace
