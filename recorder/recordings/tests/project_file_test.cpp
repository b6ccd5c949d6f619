#include "recorder/recordings/project_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace recorder;

namespace {

TEST(ProjectFile, TwoRowsGiveTwoTabSeparatedLinesThatReadBackExactly)
{
    std::vector<RecordingRow> rows = {{"1", "/m/a.WAV", "2.MB", "0:00:03", "03/05/26 14:07:09", "WAV"},
                                      {"2", "/m/b b.MP3", "0.MB", "0:01:00", "03/05/26 14:08:00", "MP3"}};
    const std::string text = renderProject(rows);
    EXPECT_EQ(text, "1\t/m/a.WAV\t2.MB\t0:00:03\t03/05/26 14:07:09\tWAV\r\n"
                    "2\t/m/b b.MP3\t0.MB\t0:01:00\t03/05/26 14:08:00\tMP3\r\n");
    auto back = parseProject(text);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].path, "/m/b b.MP3");
    EXPECT_EQ(back[1].format, "MP3");
    EXPECT_EQ(renderProject({}), "");
}

TEST(ProjectFile, ShortLineEndsLoadingAndExtraFieldsAreIgnored)
{
    auto rows = parseProject("1\ta\tb\tc\td\te\tEXTRA\n2\tx\n3\tq\tw\te\tr\tt\n");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].format, "e");
    EXPECT_TRUE(parseProject("\n1\ta\tb\tc\td\te\n").empty()) << "an empty first line ends loading";
}

TEST(ProjectFile, SaveWritesTheFile)
{
    char tmpl[] = "/tmp/velmor-project-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string path = std::string(tmpl) + "/p.rpf";
    ASSERT_FALSE(saveProject(path, {{"1", "/a", "0.MB", "0:00:00", "t", "WAV"}}));
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    EXPECT_EQ(s.str(), "1\t/a\t0.MB\t0:00:00\tt\tWAV\r\n");
    EXPECT_TRUE(saveProject(std::string(tmpl) + "/missing/p.rpf", {}));
    std::filesystem::remove_all(tmpl);
}

} // namespace
