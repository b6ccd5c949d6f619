#include "recorder/fileutil/cls_file.h"

#include "recorder/fileutil/file_descriptor.h"
#include "recorder/fileutil/tests/scratch_files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace recorder;
using namespace std::chrono;

namespace {

FileTime at(std::int64_t seconds, long nanoseconds) { return FileTime(std::chrono::seconds(seconds) + std::chrono::nanoseconds(nanoseconds)); }

void setTimes(const std::string& path, timespec access, timespec write)
{
    const timespec times[2] = {access, write};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(ClsFile, SizesBeyondTwoAndFourGiBAreExact)
{
    scratch::Folder folder;
    const std::string path = folder / "long take.wav";
    for (const std::int64_t size : {(std::int64_t{1} << 31), (std::int64_t{1} << 32) + 5, (std::int64_t{5} << 30) + 3}) {
        {
            FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
            ASSERT_TRUE(fd.valid());
            ASSERT_EQ(::ftruncate(fd.get(), size), 0); // sparse: costs no disk space
        }
        EXPECT_EQ(clsFile(path).lSize(), size);
    }
}

TEST(ClsFile, TimesAreTheFilesOwnToTheNanosecond)
{
    scratch::Folder folder;
    const std::string path = scratch::write(folder / "take.mp3", "data");
    const auto before = system_clock::now() - seconds(1);
    // 25 March 2021 and 13 December 2020: days that no month-first reading survives.
    setTimes(path, {1616673845, 123456789}, {1607860800, 500000000});
    const auto after = system_clock::now() + seconds(1);

    clsFile f(path);
    EXPECT_EQ(f.dLastAccessTime(), at(1616673845, 123456789));
    EXPECT_EQ(f.dLastWriteTime(), at(1607860800, 500000000));
    // Birth time, or the change time where the file system keeps none: both are now.
    EXPECT_GE(f.dCreationTime(), before);
    EXPECT_LE(f.dCreationTime(), after);
}

TEST(ClsFile, NamePartsAndAttributes)
{
    scratch::Folder folder;
    const std::string path = scratch::write(folder / "my take.1.mp3", "x");
    clsFile f(path);
    EXPECT_EQ(f.sName(), "my take.1");
    EXPECT_EQ(f.sExtension(), "mp3");
    EXPECT_EQ(f.sNameAndExtension(), "my take.1.mp3");
    EXPECT_EQ(f.eFileAttributes(), fileattributes::kNormal);
    EXPECT_EQ(f.lSize(), 1);

    EXPECT_EQ(clsFile(scratch::write(folder / ".hidden", "")).eFileAttributes(), fileattributes::kHidden);
    const clsFile dir(folder.path());
    EXPECT_EQ(dir.eFileAttributes() & fileattributes::kDirectory, fileattributes::kDirectory);
    EXPECT_EQ(dir.lSize(), 0);
}

TEST(ClsFile, SettingReadOnlyWritesThePermissionsAndKeepsTheValue)
{
    scratch::Folder folder;
    const std::string path = scratch::write(folder / "take.mp3", "x");
    ::chmod(path.c_str(), 0664);
    clsFile f(path);

    const std::uint32_t readOnlyArchive = fileattributes::kReadOnly | fileattributes::kArchive;
    ASSERT_TRUE(f.eFileAttributes(readOnlyArchive));
    EXPECT_EQ(f.eFileAttributes(), readOnlyArchive);
    EXPECT_EQ(modeOf(path), 0444u);
    EXPECT_EQ(clsFile(path).eFileAttributes(), fileattributes::kReadOnly);

    // Clearing gives the owner alone write permission back.
    ASSERT_TRUE(f.eFileAttributes(fileattributes::kNormal));
    EXPECT_EQ(modeOf(path), 0644u);
    EXPECT_EQ(f.eFileAttributes(), fileattributes::kNormal);

    // A file that is gone cannot take them: the value stays as it was.
    ::unlink(path.c_str());
    EXPECT_FALSE(f.eFileAttributes(fileattributes::kReadOnly));
    EXPECT_EQ(f.eFileAttributes(), fileattributes::kNormal);
}

TEST(ClsFile, AMissingFileLeavesTheInformationAsItWas)
{
    scratch::Folder folder;
    clsFile fresh(folder / "missing.mp3");
    EXPECT_EQ(fresh.lSize(), 0);
    EXPECT_EQ(fresh.eFileAttributes(), 0u);
    EXPECT_EQ(fresh.dLastWriteTime(), FileTime{});
    EXPECT_EQ(fresh.dCreationTime(), FileTime{});
    EXPECT_FALSE(fresh.RefreshInfo());

    const std::string path = scratch::write(folder / "take.mp3", "12345");
    setTimes(path, {1000, 0}, {2000, 0});
    clsFile f(path);
    f.sFilename(folder / "missing.wav");
    EXPECT_EQ(f.sFilename(), folder / "missing.wav");
    EXPECT_EQ(f.sExtension(), "wav"); // the name parts follow the name
    EXPECT_EQ(f.lSize(), 5);
    EXPECT_EQ(f.dLastWriteTime(), at(2000, 0));
    EXPECT_EQ(f.dLastAccessTime(), at(1000, 0));
    EXPECT_EQ(f.eFileAttributes(), fileattributes::kNormal);
}

} // namespace
