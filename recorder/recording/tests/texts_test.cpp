#include "recorder/recording/level_meter.h"
#include "recorder/recording/time_and_size_text.h"

#include <gtest/gtest.h>

using namespace recorder;

namespace {

TEST(FormatSeconds, HoursUnpaddedMinutesAndSecondsTwoDigits)
{
    EXPECT_EQ(FormatSeconds(0), "0:00:00");
    EXPECT_EQ(FormatSeconds(59), "0:00:59");
    EXPECT_EQ(FormatSeconds(3600), "1:00:00");
    EXPECT_EQ(FormatSeconds(3725), "1:02:05");
    EXPECT_EQ(FormatSeconds(36000 * 10 + 1), "100:00:01");
}

TEST(SizeText, KeepsThePointAndUpToTwoDecimals)
{
    EXPECT_EQ(sizeText(0), "0.MB");
    EXPECT_EQ(sizeText(2 * 1048576), "2.MB");
    EXPECT_EQ(sizeText(1048576 + 524288), "1.5MB");
    EXPECT_EQ(sizeText(1048576 + 1048576 / 4), "1.25MB");
    EXPECT_EQ(sizeText(1048576 * 2 - 1), "2.MB") << "rounds to hundredths";
    EXPECT_EQ(sizeText(10486), "0.01MB");
    EXPECT_EQ(sizeText(104858), "0.1MB");
    EXPECT_EQ(sizeText(110101), "0.11MB");
}

TEST(DateTimeStamp, MonthDayYearHourMinuteSecond)
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 14;
    t.tm_min = 7;
    t.tm_sec = 9;
    t.tm_isdst = -1;
    EXPECT_EQ(dateTimeStamp(std::mktime(&t)), "030526140709");
    EXPECT_FALSE(generalDateTime(std::mktime(&t)).empty());
}

TEST(LevelMeter, ShiftsDecibelsIntoTheMeterRange)
{
    EXPECT_EQ(recordingMeterValue(0), 90);
    EXPECT_EQ(recordingMeterValue(-6), 84);
    EXPECT_EQ(recordingMeterValue(-90), 0);
    EXPECT_EQ(recordingMeterValue(-89), 1);
    EXPECT_EQ(recordingMeterValue(5), 90) << "capped at the maximum";
    EXPECT_EQ(recordingMeterValue(-120), 0);
    EXPECT_EQ(playbackMeterValue(-90), -1) << "playback leaves the meter unchanged";
    EXPECT_EQ(playbackMeterValue(-50), 40);
}

} // namespace
