#pragma once
// "Schedule": the list of planned recordings and the one-second check that
// starts and stops them. Loaded hidden at start and kept for the whole run,
// so the check runs while the window is hidden; "OK" saves and hides.

#include "recorder/schedule/schedule_recorder.h"
#include "recorder/schedule/schedule_row.h"
#include "recorder/schedule/schedule_trigger.h"
#include "recorder/schedule/ui/schedule_clock.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

class QPushButton;
class QTimer;
class QTreeWidget;

namespace recorder {

class UserPrompts;

class Form5 : public QWidget {
    Q_OBJECT
public:
    // Loads the plan from `path` (created empty when missing).
    Form5(std::unique_ptr<ScheduleRecorder> recorder, UserPrompts& prompts, std::string path,
          ScheduleClock clock = systemScheduleClock(), QWidget* parent = nullptr);
    ~Form5() override;

    QTreeWidget* ListView1;
    QPushButton* Command1; // Add
    QPushButton* Command2; // Remove
    QPushButton* Command3; // Clear
    QPushButton* Command4; // OK
    QTimer* Timer1;        // the check, re-armed each second

    std::vector<ScheduleRow> rows() const;
    void appendRow(const ScheduleRow& row);
    const ScheduleTrigger& trigger() const { return trigger_; }

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    // Saves; hides on success, stays open and says why otherwise.
    void Command4_Click();
    // At exit: stops the check and saves; false (after saying why) when the save failed.
    bool Form_Unload();
    // One check of the plan at the clock's time.
    void Timer1_Timer();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    bool save();
    void armTimer();
    void reportMissed();

    std::unique_ptr<ScheduleRecorder> recorder_;
    UserPrompts& prompts_;
    std::string path_;
    ScheduleClock clock_;
    ScheduleTrigger trigger_;
    std::vector<ScheduleRow> missed_; // not yet reported
    // The file could not be read: it is not overwritten unless the list is edited.
    bool keepFile_ = false;
    bool ticking_ = false;
    bool unloaded_ = false;
};

} // namespace recorder
