// The one-second trigger against a recorder that counts what it was told,
// with the clock in the test's hand.

#include "recorder/schedule/schedule_time.h"
#include "recorder/schedule/schedule_trigger.h"

#include <gtest/gtest.h>

namespace recorder {
namespace {

struct CountingRecorder final : ScheduleRecorder {
    int starts = 0, stops = 0;
    bool recording = false;
    bool refuses = false; // like a window with no capture device
    void StartRecord() override
    {
        if (recording) ++stops; // a start ends the running recording first
        ++starts;
        recording = !refuses;
    }
    void StopRecord() override
    {
        if (!recording) return;
        ++stops;
        recording = false;
    }
    bool isRecording() const override { return recording; }
    double recordedSeconds() const override { return audio; }
    double audio = -1; // unknown unless a test says
};

const QDateTime kT0(QDate(2026, 12, 9), QTime(21, 0, 0));

ScheduleRow row(int fromSeconds, int toSeconds, const char* comment = "")
{
    return {scheduleTimeText(kT0.addSecs(fromSeconds)), scheduleTimeText(kT0.addSecs(toSeconds)), "", kStatusWaiting, comment};
}

class Trigger : public ::testing::Test {
protected:
    // Ticks once a second over [from, to).
    void run(int from, int to, int step = 1)
    {
        for (int s = from; s < to; s += step) trigger.tick(rows, kT0.addSecs(s).addMSecs(137));
    }
    CountingRecorder recorder;
    ScheduleTrigger trigger{recorder, QLocale("en_US")};
    std::vector<ScheduleRow> rows;
};

TEST_F(Trigger, StartsAtTheStartSecondAndStopsAtTheStopSecond)
{
    rows = {row(10, 20)};
    run(0, 10);
    EXPECT_EQ(recorder.starts, 0);
    EXPECT_EQ(rows[0].status, kStatusWaiting);
    run(10, 11);
    EXPECT_EQ(recorder.starts, 1);
    EXPECT_EQ(rows[0].status, kStatusDone);
    run(11, 20);
    EXPECT_TRUE(recorder.recording);
    run(20, 40);
    EXPECT_EQ(recorder.stops, 1);
    EXPECT_EQ(recorder.starts, 1) << "a done row never fires again";
    EXPECT_FALSE(trigger.active());
}

TEST_F(Trigger, ARecordingEndsWhenItsFileHoldsThePlannedAudio)
{
    rows = {row(10, 20)};
    recorder.audio = 0;
    run(0, 21);
    EXPECT_TRUE(recorder.recording) << "at the stop second the file holds no audio yet";
    recorder.audio = 9.9;
    run(21, 22);
    EXPECT_TRUE(recorder.recording);
    recorder.audio = 10.0;
    run(22, 23);
    EXPECT_FALSE(recorder.recording) << "ten seconds planned, ten in the file";

    // Audio that never comes in (a stuck capture) ends it a little after the stop time.
    rows = {row(30, 40)};
    recorder.audio = 1;
    run(23, 30 + 10 + ScheduleTrigger::kLateStopSeconds);
    EXPECT_TRUE(recorder.recording);
    run(30 + 10 + ScheduleTrigger::kLateStopSeconds, 30 + 11 + ScheduleTrigger::kLateStopSeconds);
    EXPECT_FALSE(recorder.recording);
    EXPECT_EQ(recorder.stops, 2);
}

TEST_F(Trigger, TicksThatSkipTheStartOrStopSecondStillStartAndStop)
{
    rows = {row(10, 20)};
    // A busy machine: ticks at 9 s, then 13 s, then 27 s.
    trigger.tick(rows, kT0.addSecs(9));
    trigger.tick(rows, kT0.addSecs(13));
    EXPECT_EQ(recorder.starts, 1);
    trigger.tick(rows, kT0.addSecs(27));
    EXPECT_EQ(recorder.stops, 1);
}

TEST_F(Trigger, AProgramStartedInsideAWindowRecordsToItsEnd)
{
    rows = {row(-3600, 60)};
    run(0, 1);
    EXPECT_EQ(recorder.starts, 1);
    run(1, 60);
    EXPECT_EQ(recorder.stops, 0);
    run(60, 61);
    EXPECT_EQ(recorder.stops, 1);
}

TEST_F(Trigger, APastEntryNeverFiresAndIsReportedOnceAsMissed)
{
    rows = {row(-120, -60, "last night"), row(5, 10)};
    run(0, 1);
    EXPECT_EQ(recorder.starts, 0);
    EXPECT_EQ(rows[0].status, kStatusMissed);
    const auto missed = trigger.takeMissed();
    ASSERT_EQ(missed.size(), 1u);
    EXPECT_EQ(missed[0].comment, "last night");
    EXPECT_TRUE(trigger.takeMissed().empty());

    // A suspend across the whole of the second window.
    trigger.tick(rows, kT0.addSecs(30));
    EXPECT_EQ(recorder.starts, 0);
    EXPECT_EQ(rows[1].status, kStatusMissed);
    EXPECT_EQ(trigger.takeMissed().size(), 1u);
}

TEST_F(Trigger, OfTwoEntriesOnOneSecondTheFirstFires)
{
    rows = {row(10, 20, "first"), row(10, 20, "second")};
    run(0, 30);
    EXPECT_EQ(recorder.starts, 1);
    EXPECT_EQ(rows[0].status, kStatusDone);
    EXPECT_EQ(rows[1].status, kStatusMissed);

    // One that runs on past the first's end takes over for the rest of its window.
    CountingRecorder other;
    ScheduleTrigger second(other, QLocale("en_US"));
    std::vector<ScheduleRow> overlapping = {row(10, 20), row(10, 30)};
    for (int s = 0; s < 40; ++s) second.tick(overlapping, kT0.addSecs(s));
    EXPECT_EQ(other.starts, 2);
    EXPECT_EQ(other.stops, 2);
    EXPECT_EQ(overlapping[1].status, kStatusDone);
}

TEST_F(Trigger, ARecordingStoppedByHandIsNotRestartedNorIsTheNextOneStopped)
{
    rows = {row(0, 60)};
    run(0, 5);
    ASSERT_EQ(recorder.starts, 1);
    recorder.StopRecord(); // the user presses Stop
    run(5, 30);
    EXPECT_EQ(recorder.starts, 1);

    recorder.StartRecord(); // and records something else by hand
    run(30, 90);
    EXPECT_TRUE(recorder.recording) << "the schedule's stop time is not the hand recording's";
}

TEST_F(Trigger, BackToBackWindowsGiveTwoFilesAndClearingTheListStillStops)
{
    rows = {row(0, 10), row(10, 20)};
    run(0, 15);
    EXPECT_EQ(recorder.starts, 2);
    EXPECT_EQ(recorder.stops, 1);
    rows.clear(); // "Clear" while the second runs
    run(15, 25);
    EXPECT_EQ(recorder.stops, 2);
}

TEST_F(Trigger, UnreadableAndRefusedRowsSaySoAndAreNotRetried)
{
    rows = {{"09.12.2026 21:00:00", "09.12.2026 22:00:00", "", kStatusWaiting, ""}, row(0, 10)};
    recorder.refuses = true;
    run(0, 5);
    EXPECT_EQ(rows[0].status, kStatusUnreadable);
    EXPECT_EQ(rows[1].status, kStatusFailed);
    EXPECT_EQ(recorder.starts, 1);
    EXPECT_FALSE(trigger.active());
}

TEST_F(Trigger, AGermanFileOfThisBuildFiresUnderAnEnglishLocale)
{
    QLocale::setDefault(QLocale("de_DE"));
    rows = {{scheduleTimeText(kT0.addSecs(2)), scheduleTimeText(kT0.addSecs(4)), "", kStatusWaiting, ""}};
    QLocale::setDefault(QLocale("en_US"));
    run(0, 5);
    EXPECT_EQ(recorder.starts, 1);
    EXPECT_EQ(recorder.stops, 1);
    QLocale::setDefault(QLocale::system());

    // A file of an older build, in German short form, still fires under German settings.
    CountingRecorder german;
    ScheduleTrigger underGerman(german, QLocale("de_DE"));
    std::vector<ScheduleRow> old = {{"09.12.2026 21:00:02", "09.12.2026 21:00:04", "", kStatusWaiting, ""}};
    for (int s = 0; s < 5; ++s) underGerman.tick(old, kT0.addSecs(s));
    EXPECT_EQ(german.starts, 1);
    EXPECT_EQ(german.stops, 1);
}

} // namespace
} // namespace recorder
