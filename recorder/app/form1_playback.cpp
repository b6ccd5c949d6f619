// Main-window playback: the window's side of MainPlayback (slider, time
// label, meters, status bar) and the commands that reach it.

#include "recorder/app/form1.h"

#include "recorder/widgets/user_prompts.h"
#include "recorder/recordings/main_playback.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTreeWidget>

namespace recorder {

namespace {

class Form1PlaybackView final : public PlaybackView {
public:
    Form1PlaybackView(Form1& form, UserPrompts& prompts) : form_(form), prompts_(prompts) {}

    bool isRecording() const override { return form_.flgRecord; }
    int positionMaximum() const override { return form_.slPosition->maximum(); }
    int positionValue() const override { return form_.slPosition->value(); }
    void setPosition(int value) override { form_.slPosition->setValue(value); }
    void showFile(const std::string& path, const std::string& description) override
    {
        form_.StatusPanel1->setText(QString::fromStdString(path));
        form_.StatusPanel2->setText(QString::fromStdString(description));
        form_.StatusBar1->repaint();
    }
    void showTime(const std::string& text) override { form_.Label1->setText(QString::fromStdString(text)); }
    int meterMaximum() const override { return form_.ProgressBarMeter[0]->maximum(); }
    void setMeter(int index, int value) override { form_.ProgressBarMeter[index]->setValue(value); }
    void runPendingEvents() override { QCoreApplication::processEvents(); }
    void playbackFailed(const std::string& why) override { prompts_.message(&form_, why, MessageIcon::Error); }
    void playbackStopped(const std::string& note) override { form_.StatusPanel2->setText(QString::fromStdString(note)); }

private:
    Form1& form_;
    UserPrompts& prompts_;
};

} // namespace

std::unique_ptr<PlaybackView> Form1::makePlaybackView() { return std::make_unique<Form1PlaybackView>(*this, prompts_); }

void Form1::PlaySelected()
{
    if (!playback_) return;
    QTreeWidgetItem* row = selectedRow();
    if (!row) return;
    playback_->PlaySelected(row->text(1).toStdString());
}

void Form1::PausePlayback()
{
    if (playback_) playback_->PausePlayback();
}

void Form1::StopPlayback()
{
    if (playback_) playback_->StopPlayback();
}

bool Form1::slPositionMouse(QEvent* event)
{
    if (!playback_) return false;
    if (event->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() != Qt::LeftButton) return false;
        playback_->positionPressed();
        // A press on the groove jumps there, so the release seeks where the user pointed.
        QStyleOptionSlider option;
        option.initFrom(slPosition);
        option.orientation = slPosition->orientation();
        option.minimum = slPosition->minimum();
        option.maximum = slPosition->maximum();
        option.sliderPosition = slPosition->sliderPosition();
        option.sliderValue = slPosition->value();
        const auto hit = slPosition->style()->hitTestComplexControl(QStyle::CC_Slider, &option,
                                                                     me->position().toPoint(), slPosition);
        if (hit != QStyle::SC_SliderHandle) {
            const QRect groove =
                slPosition->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, slPosition);
            const int x = me->position().toPoint().x() - groove.x();
            slPosition->setValue(QStyle::sliderValueFromPosition(slPosition->minimum(), slPosition->maximum(), x,
                                                                 groove.width()));
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() != Qt::LeftButton) return false;
        // Let the slider finish its drag first, so its value is where the handle was let go.
        QMetaObject::invokeMethod(this, [this] {
            if (playback_) playback_->positionReleased();
        }, Qt::QueuedConnection);
    }
    return false;
}

} // namespace recorder
