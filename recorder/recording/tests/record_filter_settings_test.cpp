#include "recorder/recording/record_filter_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace recorder;

namespace {

class RecordFilterSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-filters-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        file_ = dir_ + "/settings.dat";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    RecordFilterSettings read(const std::string& other, int sampleRate = 44100)
    {
        std::ofstream(file_) << "[other]\n" << other;
        return readRecordFilterSettings(file_, sampleRate);
    }

    std::string dir_, file_;
};

const char* kAllOn = "notch=1\nnotchtxt=50\nhighpass=1\nhighpasstxt=400\nlowpass=1\nlowpasstxt=4000\n"
                     "autogain=1\nlowlevel=-20\nhighlevel=-6\nattacktime=100\n";

std::string with(std::string text, const std::string& key, const std::string& value)
{
    const auto at = text.find(key + "=");
    const auto end = text.find('\n', at);
    return text.replace(at, end - at, key + "=" + value);
}

TEST_F(RecordFilterSettingsTest, FreshSettingsApplyNothingAndSayNothing)
{
    const auto s = readRecordFilterSettings(file_, 44100); // no file at all
    EXPECT_FALSE(s.any());
    EXPECT_TRUE(s.problems.empty());
    // What the window stores on OK from a fresh file: switches on, values empty.
    const auto stored = read("notch=1\nnotchtxt=\nhighpass=1\nhighpasstxt=\nlowpass=1\nlowpasstxt=\n"
                             "autogain=1\nlowlevel=\nhighlevel=\nattacktime=\n");
    EXPECT_FALSE(stored.any());
    EXPECT_TRUE(stored.problems.empty());
}

TEST_F(RecordFilterSettingsTest, ReadsEveryFilterThatIsOn)
{
    const auto s = read(kAllOn);
    EXPECT_EQ(s.notchHz, 50);
    EXPECT_EQ(s.highPassHz, 400);
    EXPECT_EQ(s.lowPassHz, 4000);
    ASSERT_TRUE(s.autoGain);
    EXPECT_EQ(s.autoGain->lowLevelDb, -20);
    EXPECT_EQ(s.autoGain->highLevelDb, -6);
    EXPECT_EQ(s.autoGain->attackMs, 100);
    EXPECT_TRUE(s.problems.empty());

    // Switches off: their values are not even looked at.
    const auto off = read("notch=0\nnotchtxt=abc\nhighpass=0\nhighpasstxt=1\nlowpass=2\nlowpasstxt=x\n"
                          "autogain=0\nlowlevel=5\nhighlevel=\nattacktime=\n");
    EXPECT_FALSE(off.any());
    EXPECT_TRUE(off.problems.empty());
}

TEST_F(RecordFilterSettingsTest, ABadValueSwitchesOnlyItsFilterOffAndSaysWhy)
{
    auto s = read(with(kAllOn, "notchtxt", "abc"));
    EXPECT_FALSE(s.notchHz);
    EXPECT_EQ(s.highPassHz, 400);
    EXPECT_EQ(s.lowPassHz, 4000);
    EXPECT_TRUE(s.autoGain);
    ASSERT_EQ(s.problems.size(), 1u);
    EXPECT_EQ(s.problems[0], "Notch off: \"abc\" is not a number from 40 to 200 Hz");

    s = read(with(kAllOn, "highpasstxt", "50"));
    EXPECT_FALSE(s.highPassHz);
    EXPECT_EQ(s.notchHz, 50);
    ASSERT_EQ(s.problems.size(), 1u);
    EXPECT_EQ(s.problems[0], "HighPass off: 50 Hz is outside 100 to 44100 Hz");

    s = read(with(with(kAllOn, "attacktime", "20"), "lowlevel", "-91"));
    EXPECT_FALSE(s.autoGain);
    EXPECT_EQ(s.lowPassHz, 4000);
    ASSERT_EQ(s.problems.size(), 2u);
    EXPECT_EQ(s.problems[0], "Auto Gain Control off: Low Level -91 dBFS is outside -90 to 0 dBFS");
    EXPECT_EQ(s.problems[1], "Auto Gain Control off: AttackTime 20 ms is outside 50 to 200 ms");
}

TEST_F(RecordFilterSettingsTest, RangeEndsAreUsableAndOneStepBeyondIsNot)
{
    struct Case {
        const char* key;
        const char* value;
        bool usable;
    };
    const Case cases[] = {{"notchtxt", "40", true},      {"notchtxt", "200", true},     {"notchtxt", "39", false},
                          {"notchtxt", "201", false},    {"lowpasstxt", "100", true},   {"lowpasstxt", "99", false},
                          {"lowlevel", "-90", true},     {"highlevel", "0", true},      {"highlevel", "1", false},
                          {"attacktime", "50", true},    {"attacktime", "200", true},   {"attacktime", "201", false},
                          {"notchtxt", " 60 ", true},    {"notchtxt", "60Hz", false},   {"lowlevel", "-", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        const auto s = read(with(kAllOn, c.key, c.value), 96000);
        EXPECT_EQ(s.problems.empty(), c.usable);
        const bool on = std::string(c.key) == "notchtxt" ? bool(s.notchHz)
                        : std::string(c.key) == "lowpasstxt" ? bool(s.lowPassHz)
                                                             : bool(s.autoGain);
        EXPECT_EQ(on, c.usable);
    }
}

TEST_F(RecordFilterSettingsTest, ACutoffAtOrAboveHalfTheRateIsSwitchedOff)
{
    auto s = read(kAllOn, 8000); // G.729's rate: 4000 Hz is the Nyquist frequency itself
    EXPECT_FALSE(s.lowPassHz);
    EXPECT_EQ(s.highPassHz, 400);
    ASSERT_EQ(s.problems.size(), 1u);
    EXPECT_EQ(s.problems[0], "LowPass off: 4000 Hz is not below half the sample rate (4000 Hz)");

    s = read(with(kAllOn, "lowpasstxt", "22000"), 44100);
    EXPECT_EQ(s.lowPassHz, 22000);
    s = read(with(kAllOn, "highpasstxt", "22100"), 44100);
    EXPECT_FALSE(s.highPassHz);
    EXPECT_EQ(s.problems.size(), 1u);
}

TEST_F(RecordFilterSettingsTest, AutoGainTakesTheBandEitherWayRoundAndIsOffSilentlyWhileIncomplete)
{
    auto s = read(with(with(kAllOn, "lowlevel", "-6"), "highlevel", "-20"));
    ASSERT_TRUE(s.autoGain);
    EXPECT_EQ(s.autoGain->lowLevelDb, -20);
    EXPECT_EQ(s.autoGain->highLevelDb, -6);

    s = read(with(kAllOn, "highlevel", ""));
    EXPECT_FALSE(s.autoGain);
    EXPECT_TRUE(s.problems.empty());
}

} // namespace
