// The recording lifecycle of the main window: the Record and Stop commands
// drive the recording session, and the session's news becomes the window's
// controls, status bar, elapsed time and a new row in the recordings list.

#include "recorder/app/form1.h"
#include "recorder/app/form1_recording_view.h"

#include "recorder/widgets/qt_owner_thread.h"
#include "recorder/widgets/user_prompts.h"
#include "recorder/components/audio_file.h"
#include "recorder/components/audio_format_settings.h"
#include "recorder/components/mp3_lame.h"
#include "recorder/recording/capture_control_capture.h"
#include "recorder/recording/format_values.h"
#include "recorder/recording/level_meter.h"
#include "recorder/recording/output_format_selection.h"
#include "recorder/recording/output_naming.h"
#include "recorder/recording/recording_session.h"
#include "recorder/recording/time_and_size_text.h"
#include "recorder/recordings/main_playback.h"
#include "recorder/recording/recording_journal.h"
#include "recorder/settings/application_folder.h"
#include "recorder/settings/music_folder.h"
#include "recorder/settings/settings_store.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <utility>

namespace recorder {

namespace {

// The format, then what the filters, the capture and the writer have to say.
// "1.2 s"
std::string secondsText(std::int64_t frames, int rate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", rate > 0 ? double(frames) / rate : 0.0);
    return text;
}

std::string recordingStatus(const std::string& description, const RecordingStatus& s, int rate)
{
    std::string text = description;
    if (!s.filterNotes.empty()) text += " - " + s.filterNotes;
    if (!s.settingsNotes.empty()) text += " - " + s.settingsNotes;
    if (!s.captureNote.empty()) text += " - " + s.captureNote;
    if (s.framesLostCapture > 0)
        text += " - " + std::to_string(s.framesLostCapture) + " frames (" + secondsText(s.framesLostCapture, rate) +
                ") lost: the computer was too busy to take the audio in time; silence stands in for them";
    if (s.framesLostWriting > 0)
        text += " - " + std::to_string(s.framesLostWriting) + " frames lost: the disk was too slow to take the audio in time";
    if (s.secondsBehind > 0) text += " - Writing is " + std::to_string(s.secondsBehind) + " s behind: the disk is slow";
    if (!s.spaceNote.empty()) text += " - " + s.spaceNote;
    if (!s.fileMovedTo.empty()) text += " - The file was moved with its folder: it is now " + s.fileMovedTo;
    return text;
}

std::string doneStatus(const RecordingCounters& c, int rate)
{
    std::string status = "Done";
    if (c.framesLostCapture > 0)
        status += " (" + std::to_string(c.framesLostCapture) + " frames (" + secondsText(c.framesLostCapture, rate) +
                  ") lost: the computer was too busy)";
    if (c.framesLostWriting > 0)
        status += " (" + std::to_string(c.framesLostWriting) + " frames lost: the disk was too slow)";
    return status;
}

} // namespace

// The session's news, on the GUI thread.
void Form1::RecordingView::recordingStarted(const RecordingInfo& info)
{
    form_.recordPath_ = info.path;
    form_.recordStartTime_ = info.started;
    form_.flgRecord = true;
    form_.pendingFailure_.clear();
    form_.Label1->setText(QString::fromStdString(FormatSeconds(0)));
    form_.Timer1->start();
    form_.StatusPanel1->setText(QString::fromStdString(info.path));
    form_.StatusPanel2->setText(QString::fromStdString(recordingStatus(info.description, form_.session_->status(), info.sampleRate)));
    form_.StatusBar1->repaint();
    form_.cmdPlay->setEnabled(false);
    form_.cmdPause->setEnabled(false);
    form_.holdSleepInhibitor();
}

void Form1::RecordingView::recordingStartFailed(const StartFailure& failure)
{
    if (failure.formatRefused)
        form_.sayStartRefused(failure.message);
    else
        form_.abandonStart(failure.message);
}

void Form1::RecordingView::recordingStatusChanged(const RecordingStatus& status)
{
    if (!form_.flgRecord) return;
    const RecordingInfo& info = form_.session_->info();
    form_.recordPath_ = info.path;
    form_.StatusPanel1->setText(QString::fromStdString(info.path));
    form_.StatusPanel2->setText(QString::fromStdString(recordingStatus(info.description, status, info.sampleRate)));
}

// Said once the file is closed, where it is then (it may have been saved elsewhere).
void Form1::RecordingView::recordingFailed(const std::string& message) { form_.pendingFailure_ = message; }

void Form1::RecordingView::recordingStopping(const RecordingInfo&)
{
    form_.flgRecord = false;
    // No audio comes in any more: a suspend now only delays the file's last write.
    form_.releaseSleepInhibitor();
}

void Form1::RecordingView::recordingStopped(const RecordingResult& result)
{
    form_.Timer1->stop();
    form_.cmdPause->setEnabled(true);
    form_.cmdPlay->setEnabled(true);
    form_.cmdrecord->setEnabled(true);
    form_.Label1->setText(QString::fromStdString(FormatSeconds(static_cast<std::int64_t>(result.seconds()))));
    form_.recordPath_ = result.info.path;
    form_.StatusPanel1->setText(QString::fromStdString(result.info.path));
    form_.StatusPanel2->setText(QString::fromStdString(doneStatus(result.counters, result.info.sampleRate)));
    // No row names a file that is not there.
    std::error_code missing;
    const bool kept = std::filesystem::exists(result.info.path, missing);
    if (kept) form_.addRow(result);
    if (!form_.pendingFailure_.empty())
        form_.pendingFailure_ += kept ? "\nEverything recorded up to that moment is kept in " + result.info.path + "."
                                      : "\nThe file " + result.info.path + " could not be kept.";
    form_.resetMeters();
    form_.ListView1->scrollToBottom();
    for (auto& then : std::exchange(form_.afterStop_, {})) then();
    if (!form_.pendingFailure_.empty()) {
        // Said once the row is there, outside the session's call.
        QTimer::singleShot(0, &form_, [form = &form_, message = std::move(form_.pendingFailure_)] {
            form->prompts_.message(form, message, MessageIcon::Error);
        });
        form_.pendingFailure_.clear();
    }
}

void Form1::createRecordingSession()
{
    capture_ = std::make_unique<CaptureControlCapture>(AudioRecord, captureLoadError_);
    ownerThread_ = std::make_unique<QtOwnerThread>(this);
    session_ = std::make_unique<RecordingSession>(*capture_, *ownerThread_);
    recordingView_ = std::make_unique<RecordingView>(*this);
    session_->addObserver(recordingView_.get());
}

void Form1::endRecordingSession()
{
    if (!session_) return;
    session_->stopAndWait();
    session_->removeObserver(recordingView_.get());
    session_.reset();
    capture_.reset();
}

bool Form1::recordingIdle() const { return !session_ || session_->idle(); }

double Form1::recordedSeconds() const { return session_ ? session_->secondsWritten() : 0.0; }

void Form1::auformat()
{
    FormatValues& v = formatValues();
    readFormatValues(settingsFilePath(), v);
    if (!AudioFile) return;
    if (!AAC) AAC = std::make_shared<AudioFormatSettings>();
    applyAacValues(v, *AAC);
    applyFormatValues(*AudioFile, v, *AAC);
}

void Form1::StartRecord() { startRecordFor(0); }

void Form1::startRecordFor(double seconds)
{
    if (exited_ || !AudioFile || !session_) return;
    // Never from another device than the one shown.
    // Nothing has started: the status bar keeps naming the device and the reason.
    if (std::string why; !selectCaptureDevice(&why)) {
        sayStartRefused("The recording could not start: " + why);
        return;
    }
    // The file component is shared with playback: a playback must end first.
    if (playback_ && !playback_->playStopped()) StopPlayback();

    auformat();
    if (cboEncoders->currentText().isEmpty()) cboEncoders->setCurrentIndex(FormatCode::MP3);
    // The window's own file component shows the format being recorded, as the
    // session's does (the settings window and the format dialogs start from it).
    selectOutputFormat(*AudioFile, formatValues(), *AAC, cboEncoders->currentIndex());
    const std::string settings = settingsFilePath();
    recordBaseName_ = readNamingSettings(settings).filename;

    RecordingRequest request;
    request.settingsPath = settings;
    request.defaultFolder = musicFolder();
    request.extension = cboEncoders->currentText().toStdString();
    request.formatCode = cboEncoders->currentIndex();
    request.rowCount = ListView1->topLevelItemCount();
    request.maxSeconds = seconds;
    request.journalPath = journalPath();
    request.captureWaitSeconds = captureWaitSeconds_;
    // The MP3 dialog may change its settings while this recording runs: record the ones of now.
    if (MP3Lame) request.mp3 = std::make_shared<const recorder::MP3Lame>(*MP3Lame);
    session_->start(std::move(request));
}

std::string Form1::journalPath() { return applicationFolder() + "/recording.journal"; }

void Form1::recoverInterruptedRecording()
{
    const std::string journal = journalPath();
    const auto entry = readJournal(journal);
    removeJournal(journal);
    if (!entry) return;
    // Said once the window is up.
    auto say = [this](std::string text, MessageIcon icon) {
        QTimer::singleShot(0, this, [this, text = std::move(text), icon] { prompts_.message(this, text, icon); });
    };
    const std::string& path = entry->path;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        say("The recording " + path + " was interrupted, and its file is no longer there.",
                         MessageIcon::Exclamation);
        return;
    }
    double seconds = -1;
    std::string why;
    if (QString::fromStdString(entry->extension).trimmed().compare("WAV", Qt::CaseInsensitive) == 0) {
        const WavRepair repair = repairWavHeader(path);
        if (repair.repaired) seconds = repair.seconds;
        why = repair.error;
    } else {
        recorder::AudioFile reader;
        if (reader.OpenRead(path)) {
            seconds = static_cast<double>(reader.CurrentFormat().TotalLength) / 1000.0;
            reader.Close();
        } else {
            why = reader.lastError();
        }
    }
    if (seconds < 0) {
        // Never removed: whatever is in it may still be saved by hand.
        say("The recording " + path + " was interrupted and cannot be read (" + why +
                                   "). It was left as it is.", MessageIcon::Exclamation);
        return;
    }
    RecordingResult result;
    result.info.path = path;
    result.info.extension = entry->extension;
    result.info.started = entry->started;
    result.info.sampleRate = entry->sampleRate > 0 ? entry->sampleRate : 1000;
    result.counters.framesWritten = std::llround(seconds * result.info.sampleRate);
    addRow(result);
    say("The recording " + path + " was interrupted at " + FormatSeconds(static_cast<std::int64_t>(seconds)) +
                               " and has been recovered.", MessageIcon::Information);
}

void Form1::abandonStart(const std::string& why)
{
    flgRecord = false;
    Timer1->stop();
    cmdrecord->setEnabled(true);
    cmdPlay->setEnabled(true);
    cmdPause->setEnabled(true);
    StatusPanel1->setText(QString::fromStdString(session_->info().path));
    StatusPanel2->setText("Not recording");
    sayStartRefused(why);
}

void Form1::sayStartRefused(const std::string& why)
{
    // Whoever asked from outside hears it now, not once the message box is closed.
    if (auto tell = std::exchange(startRefused_, nullptr)) tell(why);
    prompts_.message(this, why, MessageIcon::Error);
}

void Form1::StopRecord()
{
    if (session_) session_->stop();
}

void Form1::addRow(const RecordingResult& result)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(result.info.path, ec);
    auto* item = new QTreeWidgetItem(ListView1);
    item->setText(0, QString::number(ListView1->topLevelItemCount()));
    item->setText(1, QString::fromStdString(result.info.path));
    item->setText(2, ec ? QString() : QString::fromStdString(sizeText(size)));
    // What the capture could not take is silence in the file: the row says how much.
    std::string duration = FormatSeconds(static_cast<std::int64_t>(result.seconds()));
    if (result.counters.framesLostCapture > 0)
        duration += " (" + secondsText(result.counters.framesLostCapture, result.info.sampleRate) + " missing)";
    item->setText(3, QString::fromStdString(duration));
    item->setText(4, QString::fromStdString(generalDateTime(result.info.started)));
    item->setText(5, QString::fromStdString(result.info.extension).trimmed());
}

void Form1::AudioRecord_EndArrayRecord(const VARIANT&)
{
    if (session_) session_->blockArrived();
}

void Form1::AudioRecord_Timer(const VARIANT&, const std::vector<short>& levels)
{
    for (std::size_t i = 0; i < levels.size() && i < 2; ++i)
        ProgressBarMeter[i]->setValue(recordingMeterValue(levels[i], ProgressBarMeter[i]->maximum()));
    if (!flgRecord) resetMeters();
}

void Form1::resetMeters()
{
    for (auto* meter : ProgressBarMeter) {
        meter->setValue(0);
        meter->repaint();
    }
}

void Form1::Timer1_Timer()
{
    // What is in the file, not how long it took to get there.
    Label1->setText(QString::fromStdString(FormatSeconds(static_cast<std::int64_t>(recordedSeconds()))));
    // The control stops by itself when its device or the sound server goes away: the session waits for it.
    if (flgRecord && session_) session_->checkCapture();
}

} // namespace recorder
