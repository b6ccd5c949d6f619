#pragma once
// "Scheduler": the modal dialog that adds one planned recording to the
// schedule list. A running clock, start and end date and time, a comment.

#include "recorder/schedule/schedule_row.h"
#include "recorder/schedule/ui/schedule_clock.h"

#include <QDialog>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class QTimer;

namespace recorder {

class UserPrompts;

class Form6 : public QDialog {
    Q_OBJECT
public:
    Form6(UserPrompts& prompts, ScheduleClock clock, QWidget* parent = nullptr);

    QLabel* lblClock;
    QDateEdit* startDate;
    QTimeEdit* startTime;
    QDateEdit* endDate;
    QTimeEdit* endTime;
    QLineEdit* Text1; // comment
    QPushButton* Command1; // OK
    QPushButton* Command2; // Cancel
    QTimer* Timer1;        // the clock label

    // The row OK accepted ("Waiting").
    const ScheduleRow& row() const { return row_; }

    void Command1_Click();

private:
    void Form_Load();
    void Timer1_Timer();

    UserPrompts& prompts_;
    ScheduleClock clock_;
    ScheduleRow row_;
};

} // namespace recorder
