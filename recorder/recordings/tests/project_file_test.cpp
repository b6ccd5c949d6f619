#include "recorder/recordings/project_file.h"

#include "recorder/fileutil/tests/scratch_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace recorder;
using Outcome = ProjectLoadResult::Outcome;

namespace {

class ProjectFile : public ::testing::Test {
protected:
    std::string file(const std::string& name) const { return folder_ / name; }
    std::string write(const std::string& name, const std::string& bytes) { return scratch::write(file(name), bytes); }
    static std::string read(const std::string& path) { return scratch::read(path); }

    scratch::Folder folder_;
    std::string dir_ = folder_.path();
};

const std::vector<RecordingRow> kTwoRows = {{"1", "/m/a.WAV", "2.MB", "0:00:03", "03/05/26 14:07:09", "WAV"},
                                            {"2", "/m/b b é.MP3", "0.MB", "0:01:00", "03/05/26 14:08:00", "MP3"}};

bool same(const RecordingRow& a, const RecordingRow& b)
{
    return a.number == b.number && a.path == b.path && a.size == b.size && a.duration == b.duration &&
           a.recordTime == b.recordTime && a.format == b.format;
}

TEST_F(ProjectFile, TwoRowsSaveAsTabSeparatedCrLfLinesAndOpenBackExactly)
{
    const std::string path = file("p.rpf");
    auto saved = saveProject(path, kTwoRows);
    ASSERT_FALSE(saved.error) << saved.error.message();
    EXPECT_TRUE(saved.refused.empty());
    EXPECT_EQ(read(path), "1\t/m/a.WAV\t2.MB\t0:00:03\t03/05/26 14:07:09\tWAV\r\n"
                          "2\t/m/b b \xC3\xA9.MP3\t0.MB\t0:01:00\t03/05/26 14:08:00\tMP3\r\n");
    auto loaded = loadProject(path);
    EXPECT_EQ(loaded.outcome, Outcome::Complete);
    ASSERT_EQ(loaded.rows.size(), 2u);
    EXPECT_TRUE(same(loaded.rows[0], kTwoRows[0]));
    EXPECT_TRUE(same(loaded.rows[1], kTwoRows[1]));

    ASSERT_FALSE(saveProject(path, {}).error);
    EXPECT_EQ(read(path), "") << "an empty list gives an empty file";
    auto empty = loadProject(path);
    EXPECT_EQ(empty.outcome, Outcome::Complete);
    EXPECT_TRUE(empty.rows.empty());
}

TEST_F(ProjectFile, ShortLineEndsLoadingKeepingTheRowsBeforeAndExtraFieldsAreIgnored)
{
    auto loaded = loadProject(write("p.rpf", "1\ta\tb\tc\td\te\tEXTRA\r\n2\tx\r\n3\tq\tw\te\tr\tt\r\n"));
    EXPECT_EQ(loaded.outcome, Outcome::Stopped);
    EXPECT_EQ(loaded.stoppedAtLine, 2u);
    ASSERT_EQ(loaded.rows.size(), 1u);
    EXPECT_EQ(loaded.rows[0].format, "e");

    auto blankFirst = loadProject(write("q.rpf", "\r\n1\ta\tb\tc\td\te\r\n"));
    EXPECT_EQ(blankFirst.outcome, Outcome::NotAProject) << "an empty line ends loading";
    EXPECT_TRUE(blankFirst.rows.empty());
    EXPECT_EQ(parseProject("1\ta\tb\tc\td\te\n2\tx").size(), 1u);
    EXPECT_EQ(parseProject("1\ta\tb\tc\td\te").size(), 1u) << "a last line without its line end counts";
}

TEST_F(ProjectFile, LatinOneLinesFromOlderBuildsOpenAsTheSameText)
{
    auto loaded = loadProject(write("old.rpf", "1\t/m/caf\xE9.WAV\t1.MB\t0:00:01\tt\tWAV\r\n"
                                               "2\t/m/caf\xC3\xA9.WAV\t1.MB\t0:00:01\tt\tWAV\r\n"));
    ASSERT_EQ(loaded.rows.size(), 2u);
    EXPECT_EQ(loaded.rows[0].path, "/m/caf\xC3\xA9.WAV");
    EXPECT_EQ(loaded.rows[1].path, "/m/caf\xC3\xA9.WAV") << "valid UTF-8 stays as it is";
    EXPECT_EQ(parseProject("1\t\xC0\xAF\tb\tc\td\te\n")[0].path, "\xC3\x80\xC2\xAF") << "an overlong form is not UTF-8";
}

TEST_F(ProjectFile, RowsWithTabsOrLineBreaksAreRefusedAndTheOthersSaved)
{
    std::vector<RecordingRow> rows = kTwoRows;
    rows.insert(rows.begin() + 1, RecordingRow{"2", "/m/tab\there.WAV", "1.MB", "0:00:01", "t", "WAV"});
    rows.push_back({"4", "/m/line\nbreak.WAV", "1.MB", "0:00:01", "t", "WAV"});
    rows.push_back({"5", "/m/cr\r.WAV", "1.MB", "0:00:01", "t", "WAV"});
    const std::string path = file("p.rpf");
    auto saved = saveProject(path, rows);
    ASSERT_FALSE(saved.error);
    EXPECT_EQ(saved.refused, (std::vector<std::size_t>{1, 3, 4}));
    auto loaded = loadProject(path);
    EXPECT_EQ(loaded.outcome, Outcome::Complete);
    ASSERT_EQ(loaded.rows.size(), 2u) << "whatever was written reads back as written";
    EXPECT_TRUE(same(loaded.rows[1], kTwoRows[1]));
}

TEST_F(ProjectFile, AFailedSaveIsReported)
{
    EXPECT_TRUE(saveProject(file("missing/p.rpf"), kTwoRows).error);
    EXPECT_TRUE(saveProject(dir_, kTwoRows).error) << "a folder is not replaced";
    EXPECT_TRUE(std::filesystem::is_directory(dir_));
}

TEST_F(ProjectFile, WhatIsNoProjectIsRefusedWithoutACrashOrAHang)
{
    auto missing = loadProject(file("gone.rpf"));
    EXPECT_EQ(missing.outcome, Outcome::Unreadable);
    EXPECT_NE(missing.error.find("No such file"), std::string::npos) << missing.error;

    auto folder = loadProject(dir_);
    EXPECT_EQ(folder.outcome, Outcome::Unreadable);
    EXPECT_NE(folder.error.find("directory"), std::string::npos) << folder.error;

    const std::string fifo = file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(loadProject(fifo).outcome, Outcome::Unreadable) << "a FIFO nobody writes must not hang the window";

    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
    auto bin = loadProject(write("noise.rpf", binary));
    EXPECT_EQ(bin.outcome, Outcome::NotAProject);
    EXPECT_TRUE(bin.rows.empty());

    static constexpr char kNulLine[] = "1\ta\0b\tc\td\te\tf\r\n";
    auto nul = loadProject(write("nul.rpf", std::string(kNulLine, sizeof kNulLine - 1)));
    EXPECT_EQ(nul.outcome, Outcome::NotAProject) << "a NUL byte is no text";

    // 20 MB in one line with enough TABs: refused once it passes the line limit.
    std::string huge = "1\t";
    huge += std::string(20 * 1024 * 1024, 'x');
    huge += "\tb\tc\td\te\r\n";
    auto longLine = loadProject(write("long.rpf", "1\ta\tb\tc\td\te\r\n" + huge + "3\ta\tb\tc\td\te\r\n"));
    EXPECT_EQ(longLine.outcome, Outcome::Stopped);
    EXPECT_EQ(longLine.rows.size(), 1u);
    EXPECT_EQ(longLine.stoppedAtLine, 2u);
}

TEST_F(ProjectFile, LinesSplitAcrossReadsLoadWhole)
{
    std::string text;
    std::vector<RecordingRow> rows;
    for (int i = 1; i <= 3000; ++i) {
        rows.push_back({std::to_string(i), "/music/recording number " + std::to_string(i) + ".WAV", "1.5MB", "0:00:01",
                        "t", "WAV"});
    }
    const std::string path = file("many.rpf");
    ASSERT_FALSE(saveProject(path, rows).error);
    auto loaded = loadProject(path);
    EXPECT_EQ(loaded.outcome, Outcome::Complete);
    ASSERT_EQ(loaded.rows.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) ASSERT_TRUE(same(loaded.rows[i], rows[i])) << i;
}

} // namespace
