// schedule.dat as other builds and hands leave it, and writes that fail.

#include "recorder/schedule/schedule_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace recorder {
namespace {

namespace fs = std::filesystem;

class ScheduleFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-schedule-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        path_ = dir_ + "/schedule.dat";
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string read() const
    {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string dir_, path_;
};

TEST(ScheduleText, ReadsWhatItWritesAndKeepsShortAndDamagedLinesAsRows)
{
    const std::vector<ScheduleRow> rows = {{"2026-12-09 21:00:00", "2026-12-09 22:00:00", "", "Waiting", "radio show"},
                                           {"2026-12-10 08:00:00", "2026-12-10 08:30:00", "", "Done", ""}};
    const std::string text = renderSchedule(rows);
    EXPECT_EQ(text, "2026-12-09 21:00:00\t2026-12-09 22:00:00\t\tWaiting\tradio show\r\n"
                    "2026-12-10 08:00:00\t2026-12-10 08:30:00\t\tDone\t\r\n");
    EXPECT_EQ(parseSchedule(text), rows);

    // A short line gives a row with empty columns; extra fields are ignored;
    // blank lines give none; LF alone ends a line too.
    const auto read = parseSchedule("a\tb\n\r\n \t \r\n1\t2\t3\t4\t5\t6\t7\r\nlast");
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0], (ScheduleRow{"a", "b", "", "", ""}));
    EXPECT_EQ(read[1], (ScheduleRow{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(read[2], (ScheduleRow{"last", "", "", "", ""}));
}

TEST(ScheduleText, FieldsThatWouldBreakTheFileAreStoredAsSpacesAndOldCodePagesRead)
{
    const std::vector<ScheduleRow> rows = {{"s", "e", "", "Waiting", "tab\there\nand\rthere"}};
    const auto back = parseSchedule(renderSchedule(rows));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].comment, "tab here and there");

    // "Übertragung" in Latin-1, as a Windows build wrote it.
    const auto latin1 = parseSchedule("s\te\t\tWaiting\t\xDC" "bertragung\r\n");
    ASSERT_EQ(latin1.size(), 1u);
    EXPECT_EQ(latin1[0].comment, "\xC3\x9C" "bertragung");

    // A line longer than any plan is no row; the ones around it are.
    const auto withLong = parseSchedule("a\r\n" + std::string(kMaxScheduleLine + 1, 'x') + "\r\nb\r\n");
    ASSERT_EQ(withLong.size(), 2u);
    EXPECT_EQ(withLong[1].start, "b");
}

TEST_F(ScheduleFolder, AMissingFileIsCreatedEmpty)
{
    const auto loaded = loadSchedule(path_);
    EXPECT_TRUE(loaded.error.empty()) << loaded.error;
    EXPECT_TRUE(loaded.rows.empty());
    EXPECT_TRUE(fs::exists(path_));
    EXPECT_EQ(fs::file_size(path_), 0u);
}

TEST_F(ScheduleFolder, SavesAtomicallyAndReportsAWriteThatFails)
{
    const std::vector<ScheduleRow> rows = {{"2026-12-09 21:00:00", "2026-12-09 22:00:00", "", "Waiting", "x"}};
    ASSERT_FALSE(saveSchedule(path_, rows));
    EXPECT_EQ(loadSchedule(path_).rows, rows);
    EXPECT_EQ(fs::directory_iterator(dir_)->path(), path_) << "no sibling file left behind";

    // A folder in the file's place: the rename fails, and says so (also as root).
    const std::string blocked = dir_ + "/blocked.dat";
    fs::create_directory(blocked);
    const std::error_code ec = saveSchedule(blocked, rows);
    EXPECT_TRUE(ec);
    EXPECT_FALSE(ec.message().empty());
    EXPECT_FALSE(loadSchedule(blocked).error.empty()) << "a folder is refused when read, too";

    // A folder that vanished.
    EXPECT_TRUE(saveSchedule(dir_ + "/gone/schedule.dat", rows));
    EXPECT_EQ(loadSchedule(path_).rows, rows) << "the saved plan is untouched by failed writes elsewhere";
}

TEST_F(ScheduleFolder, RefusesFilesThatAreNoPlan)
{
    std::ofstream(path_, std::ios::binary) << std::string(kMaxScheduleFile + 1, 'x');
    const auto big = loadSchedule(path_);
    EXPECT_FALSE(big.error.empty());
    EXPECT_TRUE(big.rows.empty());

    fs::remove(path_);
    ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
    EXPECT_FALSE(loadSchedule(path_).error.empty()) << "a FIFO is refused without blocking";
}

} // namespace
} // namespace recorder
