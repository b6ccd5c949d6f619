#include "recorder/formats/record_settings.h"

#include "recorder/fileutil/tests/scratch_files.h"
#include "recorder/settings/settings_store.h"

#include <gtest/gtest.h>

using namespace recorder;

namespace {

TEST(RecordSettings, AFileWithoutTheSectionGivesFourSwitchesOnAndEmptyValues)
{
    scratch::Folder home;
    const RecordSettings s = readRecordSettings(home / "settings.dat");
    EXPECT_TRUE(s.notch && s.highPass && s.lowPass && s.autoGain);
    EXPECT_EQ(s.notchText + s.highPassText + s.lowPassText + s.lowLevelText + s.highLevelText + s.attackTimeText, "");
}

TEST(RecordSettings, SwitchesAreOnForOneEmptyOrNonNumericTextAndOffForOtherNumbers)
{
    scratch::Folder home;
    const std::string path = scratch::write(home / "settings.dat", "[other]\nnotch=0\nhighpass=abc\nlowpass=2\nautogain= 1 \n");
    const RecordSettings s = readRecordSettings(path);
    EXPECT_FALSE(s.notch);
    EXPECT_TRUE(s.highPass);
    EXPECT_FALSE(s.lowPass);
    EXPECT_TRUE(s.autoGain);
}

TEST(RecordSettings, WritesTheTenKeysInOrderAndReadsThemBack)
{
    scratch::Folder home;
    const std::string path = home / "settings.dat";
    RecordSettings s;
    s.notch = false;
    s.notchText = "60";
    s.highPassText = "x";
    s.lowPass = false;
    s.lowPassText = "";
    s.lowLevelText = "-30";
    s.highLevelText = "-6";
    s.attackTimeText = "120";
    ASSERT_TRUE(writeRecordSettings(path, s));
    EXPECT_EQ(scratch::read(path), "[other]\nnotch=0\nnotchtxt=60\nhighpass=1\nhighpasstxt=x\nlowpass=0\nlowpasstxt=\n"
                                   "autogain=1\nlowlevel=-30\nhighlevel=-6\nattacktime=120\n");
    const RecordSettings back = readRecordSettings(path);
    EXPECT_FALSE(back.notch);
    EXPECT_EQ(back.notchText, "60");
    EXPECT_EQ(back.highPassText, "x");
    EXPECT_EQ(back.attackTimeText, "120");
}

TEST(RecordSettings, AFailedWriteIsReported)
{
    scratch::Folder home;
    const std::string blocked = home / "no-such-folder/settings.dat";
    EXPECT_FALSE(writeRecordSettings(blocked, RecordSettings{}));
    EXPECT_FALSE(lastSettingsWriteError().empty());
}

} // namespace
