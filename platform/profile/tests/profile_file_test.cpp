#include "platform/profile/profile_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class ProfileFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-profile-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override
    {
        ::chmod(dir_.c_str(), 0700);
        fs::remove_all(dir_);
    }
    std::string read(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
    fs::path dir_;
};

TEST_F(ProfileFile, MissingFileReadsAsNothingAndIsCreatedOnWrite)
{
    const fs::path file = dir_ / "settings.dat";
    EXPECT_EQ(profile::readProfileString(file, "set", "filename"), std::nullopt);
    EXPECT_FALSE(profile::writeProfileString(file, "set", "filename", "rec"));
    EXPECT_EQ(read(file), "[set]\nfilename=rec\n");
    EXPECT_EQ(profile::readProfileString(file, "SET", "FILENAME"), "rec");
}

TEST_F(ProfileFile, WriteKeepsPermissionsAndLeavesNoTemporaryFiles)
{
    const fs::path file = dir_ / "settings.dat";
    write(file, "[set]\nx=1\n");
    ::chmod(file.c_str(), 0640);
    EXPECT_FALSE(profile::writeProfileString(file, "set", "x", "2"));
    struct stat st {};
    ::stat(file.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(ProfileFile, WriteThroughSymlinkChangesTheTarget)
{
    const fs::path target = dir_ / "real.dat";
    write(target, "[a]\nk=1\n");
    fs::create_symlink(target, dir_ / "link.dat");
    EXPECT_FALSE(profile::writeProfileString(dir_ / "link.dat", "a", "k", "2"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.dat"));
    EXPECT_EQ(read(target), "[a]\nk=2\n");
}

TEST_F(ProfileFile, FailedWriteIsReportedAndChangesNothing)
{
    // A folder that is a file: fails for every user, root included.
    write(dir_ / "notafolder", "x");
    EXPECT_TRUE(profile::writeProfileString(dir_ / "notafolder" / "settings.dat", "set", "k", "v"));
    EXPECT_TRUE(profile::writeProfileString(dir_ / "missing" / "settings.dat", "set", "k", "v"));

    if (::geteuid() != 0) {
        const fs::path file = dir_ / "settings.dat";
        write(file, "[set]\nk=old\n");
        ::chmod(dir_.c_str(), 0500);
        EXPECT_TRUE(profile::writeProfileString(file, "set", "k", "new"));
        ::chmod(dir_.c_str(), 0700);
        EXPECT_EQ(read(file), "[set]\nk=old\n");
    }
}

TEST_F(ProfileFile, WriteThatRunsOutOfSpaceLeavesTheOldFileWhole)
{
    const fs::path file = dir_ / "settings.dat";
    std::string original = "[set]\n";
    for (int i = 0; i < 200; ++i) original += "key" + std::to_string(i) + "=value\n";
    write(file, original);
    // A child with a file-size limit below the file's size stands in for a full disk.
    pid_t pid = ::fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{1024, 1024};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        bool failed = static_cast<bool>(profile::writeProfileString(file, "set", "key0", "changed"));
        ::_exit(failed ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the failure was reported";
    EXPECT_EQ(read(file), original);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1) << "temporary file removed";
}

TEST_F(ProfileFile, DeletesKeysAndSections)
{
    const fs::path file = dir_ / "r.reg";
    write(file, "[a]\nx=1\n[b]\ny=2\n");
    EXPECT_FALSE(profile::deleteProfileKey(file, "a", "x"));
    EXPECT_FALSE(profile::deleteProfileSection(file, "B"));
    EXPECT_EQ(read(file), "[a]\n");
}

} // namespace

namespace {

// Reads come from a parsed copy while the file is unchanged; any change is seen.
TEST_F(ProfileFile, EveryChangeToTheFileIsReadWhateverTheWriter)
{
    const std::string file = (dir_ / "settings.dat").string();
    std::ofstream(file) << "[set]\nfilename=one\n";
    EXPECT_EQ(profile::readProfileString(file, "set", "filename"), "one");
    // Rewritten in place by another program, the same length.
    std::ofstream(file) << "[set]\nfilename=two\n";
    EXPECT_EQ(profile::readProfileString(file, "set", "filename"), "two");
    ASSERT_FALSE(profile::writeProfileString(file, "set", "filename", "three"));
    EXPECT_EQ(profile::readProfileString(file, "set", "filename"), "three");
    fs::remove(file);
    EXPECT_EQ(profile::readProfileString(file, "set", "filename"), std::nullopt);
    // A long line read many times: parsed once, not once a key.
    std::ofstream(file) << "[set]\n" << std::string(5 << 20, 'x') << "\nfilename=long\n";
    for (int i = 0; i < 50; ++i) ASSERT_EQ(profile::readProfileString(file, "set", "filename"), "long");
}

} // namespace
