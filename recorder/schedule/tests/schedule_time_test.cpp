// The start and stop texts under different regional settings.

#include "recorder/schedule/schedule_time.h"

#include <gtest/gtest.h>

namespace recorder {
namespace {

const QDateTime kEvening(QDate(2026, 12, 9), QTime(21, 30, 5));

TEST(ScheduleTime, WritesOneFormThatEveryLocaleReadsBack)
{
    const std::string text = scheduleTimeText(kEvening);
    EXPECT_EQ(text, "2026-12-09 21:30:05");
    for (const char* name : {"de_DE", "en_US", "ar_EG", "ja_JP", "C"}) {
        const auto t = readScheduleTime(text, QLocale(name));
        ASSERT_TRUE(t) << name;
        EXPECT_EQ(*t, kEvening) << name;
    }
}

TEST(ScheduleTime, ReadsOlderFilesInTheLocalesShortFormOnly)
{
    const QLocale german("de_DE"), english("en_US");
    // As a German Windows wrote it, four-digit year and seconds; and as Qt's own short form.
    for (const char* text : {"09.12.2026 21:30:05", "09.12.26 21:30"}) {
        const auto t = readScheduleTime(text, german);
        ASSERT_TRUE(t) << text;
        EXPECT_EQ(t->date(), kEvening.date()) << text;
        EXPECT_EQ(t->time().hour(), 21);
    }
    const auto us = readScheduleTime("12/9/2026 9:30:05 PM", english);
    ASSERT_TRUE(us);
    EXPECT_EQ(*us, kEvening);

    EXPECT_FALSE(readScheduleTime("09.12.2026 21:30:05", english)) << "another locale's text is not guessed at";
    for (const char* bad : {"", "   ", "tomorrow", "2026-13-40 25:61:61", "2026-12-09"})
        EXPECT_FALSE(readScheduleTime(bad, german)) << bad;
}

} // namespace
} // namespace recorder
