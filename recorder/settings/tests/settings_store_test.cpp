#include "recorder/settings/settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using recorder::ReadIniValue;
using recorder::WriteIniValue;

namespace {

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-settings-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        file_ = (dir_ / "settings.dat").string();
    }
    void TearDown() override { fs::remove_all(dir_); }
    void write(const std::string& text) { std::ofstream(file_, std::ios::binary) << text; }
    std::string read()
    {
        std::ifstream in(file_, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path dir_;
    std::string file_;
};

TEST_F(SettingsStore, MissingFileSectionOrKeyReadsEmpty)
{
    EXPECT_EQ(ReadIniValue(file_, "wav", "Freq"), "");
    write("[wav]\nFreq=8000\n");
    EXPECT_EQ(ReadIniValue(file_, "mp3", "Freq"), "");
    EXPECT_EQ(ReadIniValue(file_, "wav", "Channel"), "");
}

TEST_F(SettingsStore, ValueWithSpacesReadsTrimmedAndEmptyValueReadsEmpty)
{
    write("[wav]\nFreq= 44100 \nChannel=\n");
    EXPECT_EQ(ReadIniValue(file_, "wav", "Freq"), "44100");
    EXPECT_EQ(ReadIniValue(file_, "wav", "Channel"), "");
}

TEST_F(SettingsStore, SectionNamesMatchWithoutRegardToCase)
{
    write("[AC3]\nAC3Bitrate=192\n");
    EXPECT_EQ(ReadIniValue(file_, "ac3", "AC3Bitrate"), "192");
    EXPECT_TRUE(WriteIniValue(file_, "Ac3", "AC3Channels", "2"));
    EXPECT_EQ(read(), "[AC3]\nAC3Bitrate=192\nAC3Channels=2\n");
}

TEST_F(SettingsStore, WrittenValueReadsBackAsText)
{
    ASSERT_TRUE(WriteIniValue(file_, "set", "existedfile", "0"));
    EXPECT_EQ(ReadIniValue(file_, "set", "existedfile"), "0");
    ASSERT_TRUE(WriteIniValue(file_, "set", "outputfolder", "/home/me/Music/Räume"));
    EXPECT_EQ(ReadIniValue(file_, "set", "outputfolder"), "/home/me/Music/Räume");
}

TEST_F(SettingsStore, LongValuesAreCutTo127Characters)
{
    const std::string longFolder = "/" + std::string(200, 'a');
    ASSERT_TRUE(WriteIniValue(file_, "set", "outputfolder", longFolder));
    EXPECT_EQ(ReadIniValue(file_, "set", "outputfolder"), longFolder.substr(0, 127));

    // Characters, not bytes: a cut never splits one.
    std::string umlauts;
    for (int i = 0; i < 130; ++i) umlauts += "ä";
    ASSERT_TRUE(WriteIniValue(file_, "set", "filename", umlauts));
    EXPECT_EQ(ReadIniValue(file_, "set", "filename").size(), 127u * 2);

    // A long value placed in the file by hand is read cut as well.
    write("[set]\nfilename=" + std::string(300, 'b') + "\n");
    EXPECT_EQ(ReadIniValue(file_, "set", "filename"), std::string(127, 'b'));
}

TEST_F(SettingsStore, ReadCutsAtNulAndWriteAtLineBreaks)
{
    write(std::string("[set]\nfilename=rec\0junk\n", 25));
    EXPECT_EQ(ReadIniValue(file_, "set", "filename"), "rec");
    ASSERT_TRUE(WriteIniValue(file_, "set", "filename", "take\n[evil]\nx=1"));
    EXPECT_EQ(ReadIniValue(file_, "set", "filename"), "take");
    EXPECT_EQ(ReadIniValue(file_, "evil", "x"), "");
}

TEST_F(SettingsStore, FailedWriteIsReportedAndTheValueHoldsForTheRun)
{
    const std::string unwritable = (dir_ / "no" / "such" / "settings.dat").string();
    EXPECT_FALSE(WriteIniValue(unwritable, "set", "filename", "rec"));
    EXPECT_EQ(recorder::lastSettingsWriteError(), std::make_error_code(std::errc::no_such_file_or_directory).message());
    EXPECT_FALSE(fs::exists(unwritable));
    EXPECT_EQ(ReadIniValue(unwritable, "SET", "FileName"), "rec") << "kept in memory";

    // Once the file can be written, the file is the truth again.
    fs::create_directories(dir_ / "no" / "such");
    EXPECT_TRUE(WriteIniValue(unwritable, "set", "filename", "take"));
    std::ofstream(unwritable, std::ios::binary) << "[set]\nfilename=edited\n";
    EXPECT_EQ(ReadIniValue(unwritable, "set", "filename"), "edited");
}

} // namespace
