// The recording lifecycle of the main window: from the Record command to a
// closed output file and a new row in the recordings list.

#include "recorder/app/form1.h"

#include "recorder/widgets/user_prompts.h"
#include "recorder/components/audio_array.h"
#include "recorder/components/audio_file.h"
#include "recorder/components/audio_format_settings.h"
#include "recorder/recording/format_values.h"
#include "recorder/recording/level_meter.h"
#include "recorder/recording/output_naming.h"
#include "recorder/recording/record_filter_chain.h"
#include "recorder/recording/record_filter_settings.h"
#include "recorder/recording/time_and_size_text.h"
#include "recorder/recordings/main_playback.h"
#include "recorder/settings/music_folder.h"
#include "recorder/settings/settings_store.h"

#include "platform/com/errorinfo.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>

namespace recorder {

namespace {

std::string captureError(HRESULT hr)
{
    com::ErrorDetails details;
    if (com::takeError(details) && !details.description.empty()) return details.description;
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    return std::string("error ") + code;
}

// The format, then what the filters and the capture have to say.
std::string recordingStatus(const std::string& description, const RecordFilterStage* filters, long long lostFrames)
{
    std::string text = description;
    if (filters && !filters->notes().empty()) text += " - " + filters->notes();
    if (lostFrames > 0)
        text += " - " + std::to_string(lostFrames) + " frames lost: the computer was too busy to take the audio in time";
    return text;
}

} // namespace

void Form1::auformat()
{
    FormatValues& v = formatValues();
    readFormatValues(settingsFilePath(), v);
    if (!AudioFile) return;
    AudioFile->SetFormatMP3(v.MP3Frequency, v.MP3Bitrate, v.MP3Channels);
    AudioFile->SetFormatPCM(v.Freq, v.Channel, 16, 0);
    AudioFile->SetFormatVOX(v.voxFreq);
    const OggArguments ogg = oggArguments(v);
    AudioFile->SetFormatOgg(ogg.sampleRate, ogg.channels, ogg.bitrate, ogg.minBitrate, ogg.maxBitrate, ogg.quality);
    AudioFile->SetFormatG721(v.g721Freq);
    AudioFile->SetFormatG723(v.g723Freq, v.g723bit);
    AudioFile->SetFormatG726(v.gFreq, v.gbit);
    AudioFile->SetFormatG729(v.g729Freq);
    AudioFile->SetFormatAC3(v.AC3SampleRate, v.AC3Bitrate, v.AC3Channels, 0);
    if (!AAC) AAC = std::make_shared<AudioFormatSettings>();
    AAC->setSampleRate(v.AACSampleRate);
    AAC->setBitrate(v.AACBitrate);
    AAC->setChannels(v.AACChannels);
    AAC->setQuality(v.AACQuality);
    AAC->setObjectType(v.AACType);
    AudioFile->SetFormatAAC(*AAC);
}

bool Form1::selectOutputFormat(int index)
{
    const FormatValues& v = formatValues();
    switch (index) {
    case FormatCode::WAV: return AudioFile->SetFormatPCM(v.Freq, v.Channel, 16, 0);
    case FormatCode::MP3: return AudioFile->SetFormatMP3(v.MP3Frequency, v.MP3Bitrate, v.MP3Channels);
    case FormatCode::VOX: return AudioFile->SetFormatVOX(v.voxFreq);
    case FormatCode::G721: return AudioFile->SetFormatG721(v.g721Freq);
    case FormatCode::G723: return AudioFile->SetFormatG723(v.g723Freq, v.g723bit);
    case FormatCode::G726: return AudioFile->SetFormatG726(v.gFreq, v.gbit);
    case FormatCode::G729: return AudioFile->SetFormatG729(v.g729Freq);
    case FormatCode::OGG: {
        const OggArguments o = oggArguments(v);
        return AudioFile->SetFormatOgg(o.sampleRate, o.channels, o.bitrate, o.minBitrate, o.maxBitrate, o.quality);
    }
    case FormatCode::AC3: return AudioFile->SetFormatAC3(v.AC3SampleRate, v.AC3Bitrate, v.AC3Channels, 0);
    case FormatCode::AAC: return this->AAC && AudioFile->SetFormatAAC(*this->AAC);
    default: return false;
    }
}

void Form1::StartRecord()
{
    if (exited_ || !AudioFile) return;
    if (flgRecord) StopRecord();
    // The file component is shared: a playback must end before it writes.
    if (playback_ && !playback_->playStopped()) StopPlayback();

    const std::string settings = settingsFilePath();
    const NamingSettings naming = readNamingSettings(settings);
    recordBaseName_ = naming.filename;
    recordStartTime_ = std::time(nullptr);
    NamingContext context;
    context.defaultFolder = musicFolder();
    context.extension = cboEncoders->currentText().toStdString();
    context.rowCount = ListView1->topLevelItemCount();
    context.now = recordStartTime_;
    recordPath_ = outputPath(naming, context);

    auformat();
    if (cboEncoders->currentText().isEmpty()) cboEncoders->setCurrentIndex(FormatCode::MP3);
    // A refused selection would leave the last format of auformat in force and
    // write, say, AAC into a .WAV file: refuse to record instead.
    if (!selectOutputFormat(cboEncoders->currentIndex())) {
        const std::string reason = AudioFile->lastError();
        prompts_.message(this,
                         "The recording could not start: the " + cboEncoders->currentText().toStdString() +
                             " settings cannot be recorded" + (reason.empty() ? std::string(".") : " (" + reason + ")."),
                         MessageIcon::Error);
        return;
    }

    // Settings the filters cannot use switch their filter off and are named in
    // the status bar; they never keep a recording from starting.
    const FormatInfo format = AudioFile->CurrentFormat();
    // The settings window may select other formats while this one records: keep its description.
    recordDescription_ = format.Description;
    RecordFilterSettings filters = readRecordFilterSettings(settings, format.SampleRate);
    recordFilter_ = std::make_unique<RecordFilterStage>(format.SampleRate, format.Channels,
                                                        recordFilterChain(filters, format.Channels),
                                                        std::move(filters.problems));

    Timer1->start();
    recordSeconds_ = 0;
    flgRecord = true;
    lostFrames_ = 0;
    writeFailed_ = false;
    writeError_.clear();

    StatusPanel1->setText(QString::fromStdString(recordPath_));
    StatusPanel2->setText(QString::fromStdString(recordingStatus(format.Description, recordFilter_.get(), 0)));
    StatusBar1->repaint();
    cmdPlay->setEnabled(false);
    cmdPause->setEnabled(false);

    // A recording that cannot start says why and leaves nothing behind.
    if (usesDefaultFolder(naming)) {
        std::error_code ec;
        std::filesystem::create_directories(context.defaultFolder, ec);
        if (ec) {
            abandonStart("The recording could not start: the music folder " + context.defaultFolder +
                         " cannot be created (" + ec.message() + ").");
            return;
        }
    }
    const bool existedBefore = std::filesystem::exists(recordPath_);
    if (!AudioFile->OpenWrite(recordPath_, 1000)) {
        abandonStart("The recording could not start: " + AudioFile->lastError());
        return;
    }
    std::string why;
    if (!startCapture(why)) {
        AudioFile->Close();
        std::error_code ec;
        if (!existedBefore) std::filesystem::remove(recordPath_, ec);
        abandonStart("The recording could not start: " + why);
        return;
    }
    holdSleepInhibitor();
}

bool Form1::startCapture(std::string& why)
{
    if (!AudioRecord) {
        why = "the capture component (TavorAudioDXRecord3) is not installed or could not be loaded";
        why += captureLoadError_.empty() ? "." : ": " + captureLoadError_;
        return false;
    }
    const FormatInfo format = AudioFile->CurrentFormat();
    const HRESULT hr = AudioRecord->Start(format.SampleRate, format.Channels, 16);
    VARIANT_BOOL started = VARIANT_FALSE;
    AudioRecord->IsStarted(&started);
    if (SUCCEEDED(hr) && started) return true;
    com::Bstr device;
    AudioRecord->get_devInputName(device.put());
    const std::string name = device.utf8().empty() ? std::string("(none)") : device.utf8();
    why = "the capture device \"" + name + "\" could not be opened";
    why += FAILED(hr) ? " (" + captureError(hr) + ")." : ".";
    why += " Check that the sound server is running and the device is connected.";
    return false;
}

void Form1::abandonStart(const std::string& why)
{
    flgRecord = false;
    recordFilter_.reset();
    Timer1->stop();
    cmdrecord->setEnabled(true);
    cmdPlay->setEnabled(true);
    cmdPause->setEnabled(true);
    StatusPanel1->setText(QString::fromStdString(recordPath_));
    StatusPanel2->setText("Not recording");
    prompts_.message(this, why, MessageIcon::Error);
}

void Form1::StopRecord()
{
    if (!flgRecord) return;
    flgRecord = false;
    if (AudioRecord) {
        AudioRecord->Stop();
        QCoreApplication::processEvents();
        // Blocks cut before the stop whose events have not come through yet.
        for (;;) {
            com::SafeArray block;
            if (FAILED(AudioRecord->ReceiveAudioArray(block.put())) || block.size() == 0) break;
            if (!writeFailed_ && !writeCaptureBlock(block.get())) {
                writeFailed_ = true;
                writeError_ = AudioFile->lastError();
            }
        }
        reportLostFrames();
    }
    if (recordFilter_) {
        const auto rest = recordFilter_->flush();
        if (!writeFailed_ && !AudioFile->WriteArray(rest.bytes)) {
            writeFailed_ = true;
            writeError_ = AudioFile->lastError();
        }
        recordFilter_.reset();
    }
    if (!AudioFile->Close() && !writeFailed_) {
        writeFailed_ = true;
        writeError_ = AudioFile->lastError();
    }

    releaseSleepInhibitor();
    Timer1->stop();
    cmdPause->setEnabled(true);
    cmdPlay->setEnabled(true);
    cmdrecord->setEnabled(true);

    StatusPanel1->setText(QString::fromStdString(recordPath_));
    std::string status = "Done";
    if (lostFrames_ > 0) status += " (" + std::to_string(lostFrames_) + " frames lost: the computer was too busy)";
    StatusPanel2->setText(QString::fromStdString(status));
    addRow();
    resetMeters();
    ListView1->scrollToBottom();
}

void Form1::addRow()
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(recordPath_, ec);
    auto* item = new QTreeWidgetItem(ListView1);
    item->setText(0, QString::number(ListView1->topLevelItemCount()));
    item->setText(1, QString::fromStdString(recordPath_));
    item->setText(2, ec ? QString() : QString::fromStdString(sizeText(size)));
    item->setText(3, Label1->text());
    item->setText(4, QString::fromStdString(generalDateTime(recordStartTime_)));
    item->setText(5, cboEncoders->currentText().trimmed());
}

void Form1::AudioRecord_EndArrayRecord(const VARIANT&)
{
    if (!AudioRecord) return;
    com::SafeArray block;
    AudioRecord->ReceiveAudioArray(block.put());
    // Blocks still arriving while StopRecord lets pending events run belong to the file too.
    if (!AudioFile->isWriting() || writeFailed_) return;
    if (!writeCaptureBlock(block.get())) {
        // Stop outside the capture control's event: keep what was written, then say why.
        writeFailed_ = true;
        writeError_ = AudioFile->lastError();
        QMetaObject::invokeMethod(this, [this] { recordingWriteFailed(); }, Qt::QueuedConnection);
        return;
    }
    reportLostFrames();
}

bool Form1::writeCaptureBlock(SAFEARRAY* block)
{
    if (!recordFilter_) return AudioFile->WriteArray(block);
    const auto filtered = recordFilter_->filter(bytesOf(block));
    if (filtered.notesChanged)
        StatusPanel2->setText(QString::fromStdString(
            recordingStatus(recordDescription_, recordFilter_.get(), lostFrames_)));
    return AudioFile->WriteArray(filtered.bytes);
}

void Form1::recordingWriteFailed()
{
    const std::string path = recordPath_;
    const std::string error = writeError_;
    StopRecord();
    prompts_.message(this,
                     "The recording was stopped because the file could not be written: " + error +
                         "\nEverything recorded up to that moment is kept in " + path + ".",
                     MessageIcon::Error);
}

void Form1::reportLostFrames()
{
    com::Variant lost;
    com::Bstr name(TavorAudioDXRecord3Lib::kLostFramesParam);
    if (FAILED(AudioRecord->GetAdditionalParam(name.get(), &lost))) return;
    LONGLONG frames = 0;
    if (lost.vt == VT_EMPTY || FAILED(com::toLongLong(lost, frames)) || frames <= lostFrames_) return;
    lostFrames_ = frames;
    StatusPanel2->setText(
        QString::fromStdString(recordingStatus(recordDescription_, recordFilter_.get(), frames)));
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
    ++recordSeconds_;
    Label1->setText(QString::fromStdString(FormatSeconds(recordSeconds_)));
    if (flgRecord) checkCaptureRunning();
}

void Form1::checkCaptureRunning()
{
    // The control stops by itself when its device or the sound server goes away.
    VARIANT_BOOL started = VARIANT_TRUE;
    if (!AudioRecord || FAILED(AudioRecord->IsStarted(&started)) || started) return;
    com::Bstr device;
    AudioRecord->get_devInputName(device.put());
    const std::string path = recordPath_;
    StopRecord();
    prompts_.message(this,
                     "The recording stopped because the capture device \"" + device.utf8() +
                         "\" is no longer available.\nEverything recorded up to that moment is kept in " + path + ".",
                     MessageIcon::Error);
}

} // namespace recorder
