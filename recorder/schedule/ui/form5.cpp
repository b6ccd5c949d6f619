#include "recorder/schedule/ui/form5.h"

#include "recorder/widgets/skin.h"
#include "recorder/widgets/user_prompts.h"
#include "recorder/schedule/schedule_file.h"
#include "recorder/schedule/ui/form6.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace recorder {

namespace {

constexpr int kStatusColumn = 3;

QString qs(const std::string& s) { return QString::fromStdString(s); }

} // namespace

Form5::Form5(std::unique_ptr<ScheduleRecorder> recorder, UserPrompts& prompts, std::string path, ScheduleClock clock,
             QWidget* parent)
    : QWidget(parent, Qt::Window),
      recorder_(std::move(recorder)),
      prompts_(prompts),
      path_(std::move(path)),
      clock_(std::move(clock)),
      trigger_(*recorder_)
{
    setObjectName("Form5");
    setWindowTitle("Schedule");

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName("ListView1");
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setHeaderLabels({"Start time", "Stop time", "File", "Status", "Comment"});
    ListView1->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ListView1->header()->setStretchLastSection(true);

    auto button = [this](const char* name, const char* text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        return b;
    };
    Command1 = button("Command1", "Add");
    Command2 = button("Command2", "Remove");
    Command3 = button("Command3", "Clear");
    Command4 = button("Command4", "OK");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addWidget(Command3);
    buttons->addStretch();
    buttons->addWidget(Command4);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListView1, 1);
    layout->addLayout(buttons);
    resize(720, 360);

    connect(Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form5::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form5::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form5::Command4_Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setSingleShot(true);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, [this] {
        Timer1_Timer();
        armTimer();
    });
    Form_Load();
}

Form5::~Form5() = default;

void Form5::Form_Load()
{
    applySkin(this);
    ScheduleLoadResult loaded = loadSchedule(path_);
    if (!loaded.error.empty()) {
        keepFile_ = true;
        prompts_.message(this,
                         "The schedule " + path_ + " could not be read (" + loaded.error +
                             "). No planned recording will start, and the file is left as it is.",
                         MessageIcon::Exclamation);
    }
    for (const auto& row : loaded.rows) appendRow(row);
    armTimer();
}

void Form5::armTimer()
{
    if (unloaded_) return;
    // Just past the next whole second, so a start fires within milliseconds of
    // its second rather than up to a second late.
    const int intoSecond = QTime::currentTime().msec();
    Timer1->start(1000 - intoSecond + 5);
}

std::vector<ScheduleRow> Form5::rows() const
{
    std::vector<ScheduleRow> out;
    out.reserve(ListView1->topLevelItemCount());
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = ListView1->topLevelItem(i);
        out.push_back({item->text(0).toStdString(), item->text(1).toStdString(), item->text(2).toStdString(),
                       item->text(3).toStdString(), item->text(4).toStdString()});
    }
    return out;
}

void Form5::appendRow(const ScheduleRow& row)
{
    new QTreeWidgetItem(ListView1, {qs(row.start), qs(row.stop), qs(row.file), qs(row.status), qs(row.comment)});
}

void Form5::Command1_Click()
{
    Form6 dialog(prompts_, clock_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    keepFile_ = false;
    appendRow(dialog.row());
}

void Form5::Command2_Click()
{
    const auto selected = ListView1->selectedItems();
    if (selected.isEmpty()) return;
    keepFile_ = false;
    delete selected.front();
}

void Form5::Command3_Click()
{
    keepFile_ = false;
    ListView1->clear();
}

bool Form5::save()
{
    if (keepFile_) return true;
    const std::error_code ec = saveSchedule(path_, rows());
    if (!ec) return true;
    prompts_.message(this,
                     "The schedule could not be saved to " + path_ + " (" + ec.message() +
                         "). The file keeps the plan it had before.",
                     MessageIcon::Error);
    return false;
}

void Form5::Command4_Click()
{
    // Kept open on a failure, so the plan in view is not taken for saved.
    if (save()) hide();
}

bool Form5::Form_Unload()
{
    unloaded_ = true;
    Timer1->stop();
    return save();
}

void Form5::Timer1_Timer()
{
    // A recording's start may show a message, whose loop runs this timer again.
    if (ticking_ || unloaded_) return;
    ticking_ = true;
    std::vector<ScheduleRow> list = rows();
    for (std::size_t i : trigger_.tick(list, clock_()))
        if (auto* item = ListView1->topLevelItem(int(i))) item->setText(kStatusColumn, qs(list[i].status));
    auto missed = trigger_.takeMissed();
    // In view, the "Status" column says it; hidden, it is said when the window is shown.
    if (!isVisible()) missed_.insert(missed_.end(), missed.begin(), missed.end());
    ticking_ = false;
}

void Form5::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!missed_.empty()) QTimer::singleShot(0, this, &Form5::reportMissed);
}

void Form5::reportMissed()
{
    if (missed_.empty()) return;
    std::string text = missed_.size() == 1 ? "This planned recording was missed: the program was not running or the "
                                             "computer was asleep for all of its time:\n"
                                           : "These planned recordings were missed: the program was not running or "
                                             "the computer was asleep for all of their time:\n";
    for (const auto& row : missed_) {
        text += "\n" + row.start + " - " + row.stop;
        if (!row.comment.empty()) text += "  " + row.comment;
    }
    missed_.clear();
    prompts_.message(this, text, MessageIcon::Information);
}

void Form5::closeEvent(QCloseEvent* event)
{
    // Unloaded at exit: saved already, and closing all windows must not save again.
    if (unloaded_) {
        event->accept();
        return;
    }
    // The close box is "OK": the window only hides, and the check goes on.
    event->ignore();
    Command4_Click();
}

} // namespace recorder
