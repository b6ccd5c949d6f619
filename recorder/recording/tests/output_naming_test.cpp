#include "recorder/recording/output_naming.h"

#include "recorder/settings/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

using namespace recorder;

namespace {

std::time_t march5at140709()
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 14;
    t.tm_min = 7;
    t.tm_sec = 9;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

NamingContext context(std::set<std::string> existing, int rows, const char* ext = "WAV")
{
    NamingContext c;
    c.defaultFolder = "/app";
    c.extension = ext;
    c.rowCount = rows;
    c.now = march5at140709();
    c.exists = [existing](const std::string& p) { return existing.count(p) > 0; };
    return c;
}

TEST(OutputNaming, DateTimeStampNamesTheFileAndSkipsTheExistenceCheck)
{
    NamingSettings s{"/music", "rec", "1", "0"};
    EXPECT_EQ(outputPath(s, context({"/music/rec030526140709.MP3"}, 0, "MP3")), "/music/rec030526140709.MP3");
}

TEST(OutputNaming, NumberedNameTakesTheFirstFreeNumberFromRowCountPlusOne)
{
    NamingSettings s{"/music", "rec", "0", "0"};
    EXPECT_EQ(outputPath(s, context({}, 3)), "/music/rec.WAV");
    EXPECT_EQ(outputPath(s, context({"/music/rec.WAV"}, 3)), "/music/rec_4.WAV");
    EXPECT_EQ(outputPath(s, context({"/music/rec.WAV"}, 0)), "/music/rec_1.WAV");
    // An existing numbered file is never overwritten.
    EXPECT_EQ(outputPath(s, context({"/music/rec.WAV", "/music/rec_4.WAV", "/music/rec_5.WAV"}, 3)), "/music/rec_6.WAV");
}

TEST(OutputNaming, OverwriteKeepsThePlainName)
{
    NamingSettings s{"/music", "rec", "0", "1"};
    EXPECT_EQ(outputPath(s, context({"/music/rec.WAV"}, 2)), "/music/rec.WAV");
}

TEST(OutputNaming, EmptyFolderMeansTheApplicationFolderAndEmptyNameMeansRecorded)
{
    NamingSettings fresh{"", "", "", ""};
    EXPECT_EQ(outputPath(fresh, context({}, 0)), "/app/Recorded.WAV") << "never a hidden file named .WAV";
    EXPECT_EQ(outputPath(fresh, context({"/app/Recorded.WAV"}, 1)), "/app/Recorded_2.WAV");
    NamingSettings stamped{"", "", "1", ""};
    EXPECT_EQ(outputPath(stamped, context({}, 0, "OGG")), "/app/Recorded030526140709.OGG");
    NamingSettings trailing{"/music/", "a", "0", "1"};
    EXPECT_EQ(outputPath(trailing, context({}, 0)), "/music/a.WAV");
}

TEST(OutputFilesForm, LoadShowsDefaultsOnAFreshInstallation)
{
    auto f = loadOutputFilesForm(NamingSettings{}, "/app");
    EXPECT_EQ(f.folder, "/app");
    EXPECT_EQ(f.baseName, "Recorded");
    EXPECT_FALSE(f.dateTime);
    EXPECT_TRUE(f.addNumber);

    auto g = loadOutputFilesForm(NamingSettings{"/music", "take", "1", "1"}, "/app");
    EXPECT_EQ(g.folder, "/music");
    EXPECT_EQ(g.baseName, "take");
    EXPECT_TRUE(g.dateTime);
    EXPECT_FALSE(g.addNumber);
    // Text that is no number is unequal to every number.
    EXPECT_TRUE(loadOutputFilesForm(NamingSettings{"", "", "", "x"}, "/app").addNumber == false);
}

TEST(OutputFilesForm, OkRefusesABlankNameAndStoresTheFourKeys)
{
    OutputFilesForm f{"/music", "   ", true, false};
    EXPECT_FALSE(validateOutputFilesForm(f));
    f.baseName = " take ";
    ASSERT_TRUE(validateOutputFilesForm(f));

    char tmpl[] = "/tmp/velmor-naming-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string file = std::string(tmpl) + "/settings.dat";
    ASSERT_TRUE(storeNamingSettings(file, namingSettingsFrom(f)));
    auto stored = readNamingSettings(file);
    EXPECT_EQ(stored.outputfolder, "/music");
    EXPECT_EQ(stored.filename, "take") << "stored untrimmed, read back trimmed";
    EXPECT_EQ(stored.datetime, "1");
    EXPECT_EQ(stored.existedfile, "1");
    EXPECT_FALSE(storeNamingSettings(std::string(tmpl) + "/missing/settings.dat", namingSettingsFrom(f)));
    std::filesystem::remove_all(tmpl);
}

} // namespace
