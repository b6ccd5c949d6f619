// The schedule list and the dialog that adds to it, with the clock and the
// recorder in the test's hand and the real file in a folder of its own.

#include "recorder/widgets/testing/scripted_prompts.h"
#include "recorder/schedule/schedule_file.h"
#include "recorder/schedule/schedule_time.h"
#include "recorder/schedule/ui/form5.h"
#include "recorder/schedule/ui/form6.h"

#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace recorder {
namespace {

namespace fs = std::filesystem;

struct CountingRecorder final : ScheduleRecorder {
    int* starts;
    bool recording = false;
    explicit CountingRecorder(int* s) : starts(s) {}
    void StartRecord() override
    {
        ++*starts;
        recording = true;
    }
    void StopRecord() override { recording = false; }
    bool isRecording() const override { return recording; }
};

const QDateTime kT0(QDate(2026, 12, 9), QTime(21, 0, 0));

class ScheduleWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-schedule-ui-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        path_ = dir_ + "/schedule.dat";
    }
    void TearDown() override
    {
        form_.reset();
        fs::remove_all(dir_);
    }
    void open()
    {
        form_ = std::make_unique<Form5>(std::make_unique<CountingRecorder>(&starts_), prompts_, path_,
                                        [this] { return now_; });
    }
    ScheduleRow row(int from, int to, const char* comment = "")
    {
        return {scheduleTimeText(kT0.addSecs(from)), scheduleTimeText(kT0.addSecs(to)), "", kStatusWaiting, comment};
    }

    std::string dir_, path_;
    ScriptedPrompts prompts_;
    QDateTime now_ = kT0;
    int starts_ = 0;
    std::unique_ptr<Form5> form_;
};

TEST_F(ScheduleWindow, TheDialogRefusesAnEndNotAfterTheStartAndAddsAWaitingRow)
{
    Form6 dialog(prompts_, [this] { return now_.addMSecs(400); });
    EXPECT_EQ(dialog.windowTitle(), "Scheduler");
    EXPECT_EQ(dialog.lblClock->text(), "2026-12-09 21:00:00");
    EXPECT_EQ(dialog.startDate->date(), kT0.date());
    EXPECT_EQ(dialog.endTime->time(), kT0.time()) << "both pickers start at the current second";

    QTest::mouseClick(dialog.Command1, Qt::LeftButton); // start and end on the same second
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, "Time is error");
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << "the dialog stays open";

    dialog.endDate->setDate(kT0.date().addDays(-1));
    dialog.endTime->setTime(QTime(23, 0));
    dialog.Command1_Click();
    EXPECT_EQ(prompts_.messages.size(), 2u) << "an end before the start is refused too";

    dialog.endDate->setDate(kT0.date());
    dialog.endTime->setTime(QTime(22, 15, 30));
    dialog.Text1->setText("radio\tshow");
    dialog.Command1_Click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.row(), (ScheduleRow{"2026-12-09 21:00:00", "2026-12-09 22:15:30", "", "Waiting", "radio\tshow"}));
}

TEST_F(ScheduleWindow, LoadsHiddenCreatesTheFileAndSavesOnOkAndOnUnload)
{
    open();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_TRUE(form_->Timer1->isActive()) << "the check runs while the window is hidden";
    EXPECT_TRUE(fs::exists(path_));
    EXPECT_EQ(form_->windowTitle(), "Schedule");
    QStringList headers;
    for (int i = 0; i < form_->ListView1->columnCount(); ++i) headers << form_->ListView1->headerItem()->text(i);
    EXPECT_EQ(headers, QStringList({"Start time", "Stop time", "File", "Status", "Comment"}));

    form_->appendRow(row(10, 20, "a"));
    form_->appendRow(row(30, 40, "b"));
    form_->appendRow(row(50, 60, "c"));
    form_->Command2_Click(); // nothing selected: nothing removed
    EXPECT_EQ(form_->ListView1->topLevelItemCount(), 3);
    form_->ListView1->setCurrentItem(form_->ListView1->topLevelItem(1));
    form_->Command2_Click();
    form_->show();
    QTest::mouseClick(form_->Command4, Qt::LeftButton);
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(loadSchedule(path_).rows, (std::vector<ScheduleRow>{row(10, 20, "a"), row(50, 60, "c")}));

    // Closing without "OK" still saves.
    form_->Command3_Click();
    EXPECT_TRUE(form_->Form_Unload());
    EXPECT_FALSE(form_->Timer1->isActive());
    EXPECT_TRUE(loadSchedule(path_).rows.empty());
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(ScheduleWindow, AFailedSaveIsSaidAndTheWindowStaysOpen)
{
    open();
    form_->appendRow(row(10, 20));
    form_->show();
    fs::remove_all(dir_); // the folder went away under the program
    form_->Command4_Click();
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find("could not be saved"), std::string::npos);
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Error);
    EXPECT_TRUE(form_->isVisible());
    EXPECT_FALSE(form_->Form_Unload());
    EXPECT_EQ(prompts_.messages.size(), 2u);
    form_->close(); // closing every window at exit does not try, and say, it again
    EXPECT_EQ(prompts_.messages.size(), 2u);
}

TEST_F(ScheduleWindow, AnUnreadableFileIsSaidAndLeftAsItIs)
{
    fs::create_directory(path_);
    open();
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find("could not be read"), std::string::npos);
    EXPECT_TRUE(form_->Form_Unload());
    EXPECT_TRUE(fs::is_directory(path_)) << "nothing was written over what could not be read";
}

TEST_F(ScheduleWindow, TheTickStartsRowsAndMissedRowsAreListedOnceWhenTheWindowIsShown)
{
    std::ofstream(path_, std::ios::binary) << renderSchedule({row(-7200, -3600, "morning show"), row(-60, -30, "news"),
                                                              row(5, 8, "tonight")});
    open();
    form_->Timer1_Timer();
    EXPECT_EQ(form_->ListView1->topLevelItem(0)->text(3), "Missed");
    EXPECT_TRUE(prompts_.messages.empty()) << "nothing is said while the window is hidden";

    now_ = kT0.addSecs(6);
    form_->Timer1_Timer();
    EXPECT_EQ(starts_, 1);
    EXPECT_EQ(form_->ListView1->topLevelItem(2)->text(3), "Done");

    form_->show();
    QTest::qWait(50);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    const std::string& text = prompts_.messages[0].text;
    EXPECT_NE(text.find("morning show"), std::string::npos);
    EXPECT_NE(text.find("news"), std::string::npos);
    EXPECT_EQ(text.find("tonight"), std::string::npos);
    form_->hide();
    form_->show();
    QTest::qWait(50);
    EXPECT_EQ(prompts_.messages.size(), 1u) << "said once";
}

} // namespace
} // namespace recorder
