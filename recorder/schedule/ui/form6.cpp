#include "recorder/schedule/ui/form6.h"

#include "recorder/widgets/skin.h"
#include "recorder/widgets/user_prompts.h"
#include "recorder/schedule/schedule_time.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>

namespace recorder {

namespace {

// The list's own form, so what is picked reads as what the list shows.
constexpr const char* kDateDisplay = "yyyy-MM-dd";
constexpr const char* kTimeDisplay = "HH:mm:ss";
// A comment long enough for any note, short enough to keep its line in the file.
constexpr int kMaxComment = 1000;

} // namespace

Form6::Form6(UserPrompts& prompts, ScheduleClock clock, QWidget* parent)
    : QDialog(parent), prompts_(prompts), clock_(std::move(clock))
{
    setObjectName("Form6");
    setWindowTitle("Scheduler");
    setModal(true);

    lblClock = new QLabel(this);
    lblClock->setObjectName("lblClock");
    lblClock->setAlignment(Qt::AlignCenter);
    QFont big = lblClock->font();
    big.setPointSize(big.pointSize() * 3 / 2);
    lblClock->setFont(big);

    auto makeDate = [this](const char* name) {
        auto* e = new QDateEdit(this);
        e->setObjectName(name);
        e->setDisplayFormat(kDateDisplay);
        e->setCalendarPopup(true);
        return e;
    };
    auto makeTime = [this](const char* name) {
        auto* e = new QTimeEdit(this);
        e->setObjectName(name);
        e->setDisplayFormat(kTimeDisplay);
        return e;
    };
    startDate = makeDate("startDate");
    startTime = makeTime("startTime");
    endDate = makeDate("endDate");
    endTime = makeTime("endTime");
    Text1 = new QLineEdit(this);
    Text1->setObjectName("Text1");
    Text1->setMaxLength(kMaxComment);
    Command1 = new QPushButton("OK", this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    Command2 = new QPushButton("Cancel", this);
    Command2->setObjectName("Command2");

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblClock, 0, 0, 1, 3);
    grid->addWidget(new QLabel("Start:", this), 1, 0);
    grid->addWidget(startDate, 1, 1);
    grid->addWidget(startTime, 1, 2);
    grid->addWidget(new QLabel("End:", this), 2, 0);
    grid->addWidget(endDate, 2, 1);
    grid->addWidget(endTime, 2, 2);
    grid->addWidget(new QLabel("Comment:", this), 3, 0);
    grid->addWidget(Text1, 3, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    grid->addLayout(buttons, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &Form6::Timer1_Timer);
    connect(Command1, &QPushButton::clicked, this, &Form6::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
    Form_Load();
}

void Form6::Form_Load()
{
    applySkin(this);
    Timer1_Timer();
    Timer1->start();
    const QDateTime now = wholeSecond(clock_());
    startDate->setDate(now.date());
    endDate->setDate(now.date());
    startTime->setTime(now.time());
    endTime->setTime(now.time());
}

void Form6::Timer1_Timer() { lblClock->setText(QString::fromStdString(scheduleTimeText(clock_()))); }

void Form6::Command1_Click()
{
    const QDateTime start(startDate->date(), startTime->time());
    const QDateTime end(endDate->date(), endTime->time());
    if (end <= start) {
        prompts_.message(this, "Time is error", MessageIcon::Error);
        return;
    }
    row_ = {scheduleTimeText(wholeSecond(start)), scheduleTimeText(wholeSecond(end)), "", kStatusWaiting,
            Text1->text().toStdString()};
    accept();
}

} // namespace recorder
