// The schedule of the main window: Form5 loaded hidden at load, its check
// driving the main window's recording for the whole run, saved at exit.

#include "recorder/app/form1.h"

#include "recorder/widgets/picture_button.h"
#include "recorder/schedule/schedule_file.h"
#include "recorder/schedule/schedule_recorder.h"
#include "recorder/schedule/ui/form5.h"

#include <QAction>

namespace recorder {

namespace {

// What the schedule drives, in the main window's own commands.
class MainWindowRecorder final : public ScheduleRecorder {
public:
    explicit MainWindowRecorder(Form1& form) : form_(form) {}
    void StartRecord() override { form_.StartRecord(); }
    void StartRecordFor(double seconds) override { form_.startRecordFor(seconds); }
    void StopRecord() override { form_.StopRecord(); }
    bool isRecording() const override { return form_.flgRecord; }
    double recordedSeconds() const override { return form_.recordedSeconds(); }

private:
    Form1& form_;
};

constexpr int kSchedulePictureButton = 6;

} // namespace

void Form1::createSchedule()
{
    // A child window of Form1, deleted with it; hidden until "Schedule" shows it.
    form5_ = new Form5(std::make_unique<MainWindowRecorder>(*this), prompts_, scheduleFilePath(), systemScheduleClock(), this);
    menuAction("Schedule")->setEnabled(true);
    pictureButtons[kSchedulePictureButton]->setEnabled(true);
    connect(menuAction("Schedule"), &QAction::triggered, this, &Form1::showSchedule);
    connect(pictureButtons[kSchedulePictureButton], &PictureButton::clicked, this, &Form1::showSchedule);
}

void Form1::showSchedule()
{
    if (!form5_) return;
    form5_->show();
    form5_->raise();
    form5_->activateWindow();
}

void Form1::closeSchedule()
{
    // Before the project question, so no planned start fires during the exit's own prompts.
    if (form5_) form5_->Form_Unload();
}

} // namespace recorder
