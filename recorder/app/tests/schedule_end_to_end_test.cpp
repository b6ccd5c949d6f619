// The schedule driving the real main window on the private sound server:
// a planned row records its window into a file, and the plan outlives the run.

#include "recorder/app/tests/recorder_window_env.h"

#include "recorder/widgets/picture_button.h"
#include "recorder/components/audio_file.h"
#include "recorder/components/tests/test_audio.h"
#include "recorder/schedule/schedule_file.h"
#include "recorder/schedule/schedule_time.h"
#include "recorder/schedule/ui/form5.h"

#include <QAction>
#include <QTreeWidget>

namespace recorder {
namespace {

using ScheduleEndToEnd = RecorderWindowTest;

std::string statusOf(Form5* schedule, int row) { return schedule->ListView1->topLevelItem(row)->text(3).toStdString(); }

TEST_F(ScheduleEndToEnd, ARowFromTwoToFiveSecondsAheadRecordsAboutThreeSecondsAndTurnsDone)
{
    openWindow();
    ASSERT_TRUE(selectTestDevice());
    Form5* schedule = form_->schedule();
    ASSERT_NE(schedule, nullptr);
    EXPECT_FALSE(schedule->isVisible());

    const QDateTime now = wholeSecond(QDateTime::currentDateTime());
    schedule->appendRow({scheduleTimeText(now.addSecs(2)), scheduleTimeText(now.addSecs(5)), "", kStatusWaiting, "e2e"});
    for (int i = 0; i < 400 && !form_->flgRecord; ++i) wait(10);
    ASSERT_TRUE(form_->flgRecord) << "the row's start second started the recording";
    EXPECT_EQ(statusOf(schedule, 0), "Done");
    // The pipe source has sound only while it is written; a stream opened on it starts from now.
    input_->drain();
    testsound::SignalWriter writer(*input_, testsound::Signal::sine({1000.0, 1000.0}, 0.5), 1.0);
    writer.start();
    for (int i = 0; i < 100 && form_->rows().empty(); ++i) wait(100);
    writer.stop();

    EXPECT_EQ(statusOf(schedule, 0), "Done");
    EXPECT_FALSE(form_->flgRecord);
    ASSERT_EQ(form_->rows().size(), 1u) << "the recording was stopped and listed";
    const std::string path = form_->rows()[0].path;
    ASSERT_TRUE(std::filesystem::exists(path));
    const FormatInfo fmt = form_->AudioFile->CurrentFormat();
    const auto pcm = testaudio::decodeWithFfmpeg(path, fmt.SampleRate, fmt.Channels);
    const double seconds = double(pcm.size()) / fmt.Channels / fmt.SampleRate;
    EXPECT_GT(seconds, 2.0);
    EXPECT_LT(seconds, 4.0);
    EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front().text;
}

TEST_F(ScheduleEndToEnd, ScheduleIsShownFromTheMainWindowAndExitSavesThePlanWithoutOk)
{
    openWindow();
    Form5* schedule = form_->schedule();
    ASSERT_NE(schedule, nullptr);
    QAction* entry = form_->menuAction("Schedule");
    ASSERT_TRUE(entry->isEnabled());
    entry->trigger();
    EXPECT_TRUE(schedule->isVisible());
    schedule->hide();
    PictureButton* button = form_->pictureButtons[6];
    EXPECT_TRUE(button->isEnabled());
    emit button->clicked();
    EXPECT_TRUE(schedule->isVisible());

    const ScheduleRow planned{"2031-01-02 03:04:05", "2031-01-02 04:04:05", "", kStatusWaiting, "kept"};
    schedule->appendRow(planned);
    form_->exitsystem();
    EXPECT_EQ(loadSchedule(home_ + "/schedule.dat").rows, std::vector<ScheduleRow>{planned});
}

} // namespace
} // namespace recorder
