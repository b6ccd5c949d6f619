#include "recorder/record_tool/progress_line.h"
#include "recorder/record_tool/record_options.h"
#include "recorder/recording/format_values.h"

#include <gtest/gtest.h>

namespace recorder {
namespace {

TEST(RecordOptions, ReadsEveryOptionInBothSpellings)
{
    const auto p = parseRecordOptions({"-f", "mp3", "--device=USB Mic", "-t", "1:30", "--output", "/tmp/a b.mp3"});
    ASSERT_TRUE(p.options) << p.error;
    EXPECT_EQ(p.options->format, FormatCode::MP3);
    EXPECT_EQ(p.options->device, "USB Mic");
    EXPECT_DOUBLE_EQ(p.options->seconds, 90.0);
    EXPECT_EQ(p.options->output, "/tmp/a b.mp3");
    EXPECT_EQ(parseRecordOptions({"--list-devices"}).options->action, RecordOptions::Action::ListDevices);
    const auto none = parseRecordOptions({});
    ASSERT_TRUE(none.options);
    EXPECT_FALSE(none.options->format) << "the settings' format";
    EXPECT_EQ(none.options->seconds, 0.0) << "until interrupted";
}

TEST(RecordOptions, RefusesWhatItCannotUseAndSaysWhat)
{
    EXPECT_NE(parseRecordOptions({"-f", "xyz"}).error.find("unknown format \"xyz\""), std::string::npos);
    EXPECT_NE(parseRecordOptions({"-f"}).error.find("needs a format"), std::string::npos);
    EXPECT_NE(parseRecordOptions({"-t", "soon"}).error.find("invalid duration"), std::string::npos);
    EXPECT_NE(parseRecordOptions({"-d", ""}).error.find("needs a device"), std::string::npos);
    EXPECT_NE(parseRecordOptions({"--loud"}).error.find("unknown argument"), std::string::npos);
}

TEST(RecordOptions, FormatNamesAndDurations)
{
    EXPECT_EQ(formatCodeFromName("wav"), FormatCode::WAV);
    EXPECT_EQ(formatCodeFromName(".Ogg"), FormatCode::OGG);
    EXPECT_EQ(formatCodeFromName("G726"), FormatCode::G726);
    EXPECT_FALSE(formatCodeFromName(""));
    EXPECT_FALSE(formatCodeFromName("FLAC"));

    EXPECT_EQ(parseDuration("90"), 90.0);
    EXPECT_EQ(parseDuration("2.5s"), 2.5);
    EXPECT_EQ(parseDuration("5m"), 300.0);
    EXPECT_EQ(parseDuration("1h"), 3600.0);
    EXPECT_EQ(parseDuration("1:00:00"), 3600.0);
    for (const char* bad : {"", "0", "-5", "1:2:3:4", "1e3", "nan", "inf", "5x", "m", "1::2", "99999999999h"})
        EXPECT_FALSE(parseDuration(bad)) << bad;
}

TEST(ProgressLine, ShowsTimeSizeAndALevelBar)
{
    EXPECT_EQ(progressLine(65.9, 3 * 1024 * 1024, -30), "0:01:05       3.00 MB  [##########----------]  -30 dB");
    EXPECT_EQ(progressLine(0, 0, -90).find("[--------------------]  -60 dB"), 23u);
    EXPECT_NE(progressLine(0, 0, 3).find("[####################]    0 dB"), std::string::npos);
}

} // namespace
} // namespace recorder
