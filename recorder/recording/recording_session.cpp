#include "recorder/recording/recording_session.h"

#include "recorder/components/audio_array.h"
#include "recorder/components/record_filter_stage.h"
#include "recorder/recording/free_space.h"
#include "recorder/recording/output_naming.h"
#include "recorder/recording/record_filter_chain.h"
#include "recorder/recording/record_filter_settings.h"
#include "recorder/recording/recording_capture.h"
#include "recorder/recording/recording_file_watch.h"
#include "recorder/recording/recording_journal.h"
#include "recorder/recording/recording_writer.h"
#include "recorder/recording/time_and_size_text.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <utility>

namespace recorder {

namespace {

// Minutes of room below which the start, then the recording, says so.
constexpr int kLowSpaceAtStartMinutes = 10;
constexpr int kLowSpaceWhileRecordingMinutes = 2;
constexpr auto kSpaceCheckInterval = std::chrono::seconds(5);
// Seconds written before the file's own rate replaces the format's estimate.
constexpr double kMeasuredRateAfterSeconds = 5;
constexpr auto kCaptureRetryInterval = std::chrono::seconds(1);

} // namespace

RecordingSession::RecordingSession(RecordingCapture& capture, OwnerThread& owner, FileFactory makeFile)
    : capture_(capture), owner_(owner), makeFile_(std::move(makeFile))
{
}

RecordingSession::~RecordingSession()
{
    observers_.clear();
    stopAndWait();
    *alive_ = false;
}

void RecordingSession::addObserver(RecordingObserver* o)
{
    if (o && std::find(observers_.begin(), observers_.end(), o) == observers_.end()) observers_.push_back(o);
}

void RecordingSession::removeObserver(RecordingObserver* o)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), o), observers_.end());
}

template <class F> void RecordingSession::notify(F f)
{
    // An observer may add or remove observers while it is told.
    const auto observers = observers_;
    for (auto* o : observers)
        if (std::find(observers_.begin(), observers_.end(), o) != observers_.end()) f(*o);
}

void RecordingSession::start(RecordingRequest request)
{
    if (state_ == State::Recording) queue_.push_back(Request{});
    queue_.push_back(Request{true, std::move(request)});
    runQueued();
}

void RecordingSession::stop()
{
    // Nothing to stop and nothing on the way: a stop now would stop the next start.
    if (state_ == State::Idle && queue_.empty()) return;
    if (!queue_.empty() && !queue_.back().start) return; // a stop is already the last thing asked for
    queue_.push_back(Request{});
    runQueued();
}

void RecordingSession::runQueued()
{
    if (running_) return;
    running_ = true;
    while (!queue_.empty() && (state_ == State::Idle || state_ == State::Recording)) {
        Request next = std::move(queue_.front());
        queue_.pop_front();
        if (next.start) {
            if (state_ == State::Idle) doStart(next.recording);
        } else if (state_ == State::Recording) {
            doStop();
        }
    }
    running_ = false;
}

bool RecordingSession::doStart(const RecordingRequest& request)
{
    state_ = State::Starting;
    auto refuse = [this](bool formatRefused, std::string message) {
        state_ = State::Idle;
        const StartFailure failure{formatRefused, std::move(message)};
        notify([&](RecordingObserver& o) { o.recordingStartFailed(failure); });
        return false;
    };

    const NamingSettings naming = readNamingSettings(request.settingsPath);
    RecordingInfo info;
    info.started = request.now ? request.now : std::time(nullptr);
    info.extension = request.extension;
    NamingContext context;
    context.defaultFolder = request.defaultFolder;
    context.extension = request.extension;
    context.rowCount = request.rowCount;
    context.now = info.started;
    info.path = request.outputPath.empty() ? outputPath(naming, context) : request.outputPath;
    info_ = info;

    FormatSelection selection;
    std::vector<std::string> settingsProblems;
    readFormatValues(request.settingsPath, selection.values, &settingsProblems);
    selection.code = request.formatCode;
    selection.mp3 = request.mp3;
    auto file = makeFile_();
    // A refused selection would write, say, AAC into a .WAV file: refuse to record instead.
    if (!file->selectFormat(selection)) {
        const std::string reason = file->lastError();
        return refuse(true, "The recording could not start: the " + request.extension + " settings cannot be recorded" +
                                (reason.empty() ? std::string(".") : " (" + reason + ")."));
    }
    const FormatInfo format = file->format();
    info.description = format.Description;
    info.sampleRate = format.SampleRate;
    info.channels = format.Channels;
    info_ = info;

    // Settings the filters cannot use switch their filter off and are named in
    // the status; they never keep a recording from starting.
    RecordFilterSettings filters = readRecordFilterSettings(request.settingsPath, format.SampleRate);
    auto filter = std::make_unique<RecordFilterStage>(format.SampleRate, format.Channels,
                                                      recordFilterChain(filters, format.Channels),
                                                      std::move(filters.problems));

    if (request.outputPath.empty() && usesDefaultFolder(naming)) {
        std::error_code ec;
        std::filesystem::create_directories(context.defaultFolder, ec);
        if (ec)
            return refuse(false, "The recording could not start: the music folder " + context.defaultFolder +
                                     " cannot be created (" + ec.message() + ").");
    }
    const std::string folder = std::filesystem::path(info.path).parent_path().string();
    if (folderIsReadOnly(folder.empty() ? "." : folder))
        return refuse(false, "The recording could not start: the folder " + folder + " is read-only.");
    const bool existedBefore = std::filesystem::exists(info.path);
    if (!file->open(info.path)) return refuse(false, "The recording could not start: " + file->lastError());
    std::string why;
    if (!capture_.start(format.SampleRate, format.Channels, why)) {
        file->close();
        std::error_code ec;
        if (!existedBefore) std::filesystem::remove(info.path, ec);
        return refuse(false, "The recording could not start: " + why);
    }

    counters_ = RecordingCounters{};
    maxFrames_ = request.maxSeconds > 0 ? static_cast<std::int64_t>(std::llround(request.maxSeconds * format.SampleRate)) : 0;
    status_ = RecordingStatus{};
    status_.filterNotes = filter->notes();
    for (const auto& problem : settingsProblems)
        status_.settingsNotes += (status_.settingsNotes.empty() ? "" : "; ") + problem;
    spaceFolder_ = std::filesystem::path(info.path).parent_path().string();
    bytesPerSecond_ = bytesPerSecond(format);
    if (const auto free = freeBytes(spaceFolder_))
        status_.spaceNote = lowSpaceNote(spaceFolder_, *free, bytesPerSecond_, kLowSpaceAtStartMinutes);
    lowSpaceWarned_ = false;
    waiting_ = false;
    lostCaptureBase_ = 0;
    framesAtRestart_ = -1;
    silencedLost_ = 0;
    captureCounting_ = true;
    source_ = capture_.sourceName();
    deviceName_ = capture_.deviceName();
    waitSeconds_ = request.captureWaitSeconds;
    nextSpaceCheck_ = std::chrono::steady_clock::now() + kSpaceCheckInterval;
    complete_ = true;
    error_.clear();
    failureReported_ = false;
    const unsigned generation = ++generation_;
    std::weak_ptr<bool> alive = alive_;
    RecordingWriter::Events events;
    events.notesChanged = [this, alive, generation](const std::string& notes) {
        owner_.post([this, alive, generation, notes] {
            if (alive.expired() || generation != generation_ || !writer_) return;
            status_.filterNotes = notes;
            reportStatus(true);
        });
    };
    events.failed = [this, alive, generation](const std::string& error) {
        owner_.post([this, alive, generation, error] {
            if (alive.expired() || generation != generation_) return;
            failed("The recording was stopped because the file could not be written: " + error);
        });
    };
    events.moved = [this, alive, generation](const std::string& path) {
        owner_.post([this, alive, generation, path] {
            if (alive.expired() || generation != generation_) return;
            info_.path = path;
            status_.fileMovedTo = path;
            journalRecording();
            reportStatus(true);
        });
    };
    events.finished = [this, alive, generation](bool, const std::string&) {
        owner_.post([this, alive, generation] {
            if (alive.expired() || generation != generation_ || state_ != State::Stopping) return;
            writerFinished();
        });
    };
    const std::int64_t capacity = static_cast<std::int64_t>(format.SampleRate) * kQueueSeconds;
    writer_ = std::make_unique<RecordingWriter>(std::move(file), std::move(filter), info.path, request.defaultFolder,
                                                capacity, std::move(events));
    state_ = State::Recording;
    journal_ = request.journalPath;
    journalRecording();
    notify([&](RecordingObserver& o) { o.recordingStarted(info_); });
    return true;
}

void RecordingSession::blockArrived()
{
    if (!writer_ || state_ == State::Idle) return;
    receivePending();
    reportStatus();
    if (state_ == State::Recording && maxFrames_ > 0 && counters_.framesCaptured >= maxFrames_) stop();
}

void RecordingSession::receivePending()
{
    fillLostFrames();
    for (;;) {
        com::SafeArray block;
        std::string why;
        if (!capture_.receive(block, why)) {
            failed("The recording was stopped because the capture device could not hand over its audio: " + why);
            return;
        }
        std::string parseError;
        const auto view = parseAudioArray(bytesOf(block.get()), parseError);
        if (!view || view->frames() == 0) return;
        auto frames = static_cast<std::int64_t>(view->frames());
        if (maxFrames_ > 0) {
            // Exactly the length asked for: the rest of the block is not part of the recording.
            const std::int64_t room = maxFrames_ - counters_.framesCaptured;
            if (room <= 0) continue;
            if (frames > room) {
                const auto bytes = static_cast<std::size_t>(room) * 2u * static_cast<std::size_t>(view->channels);
                block = makeAudioArray(view->sampleRate, view->channels, view->pcm.first(bytes));
                frames = room;
            }
        }
        counters_.framesCaptured += frames;
        if (!writer_->push(block, frames)) counters_.framesLostWriting += frames;
    }
}

void RecordingSession::fillLostFrames()
{
    // Frames the capture had to drop (the machine suspended, the process
    // stalled): silence of their length keeps the file's time honest.
    if (!writer_ || !captureCounting_ || state_ == State::Idle) return;
    const std::int64_t lost = lostCaptureBase_ + capture_.lostFrames();
    if (lost <= silencedLost_) return;
    fillSilence(lost - silencedLost_);
    silencedLost_ = lost;
}

void RecordingSession::fillSilence(std::int64_t frames)
{
    // Never past the length asked for.
    if (maxFrames_ > 0) frames = std::clamp<std::int64_t>(maxFrames_ - counters_.framesCaptured, 0, frames);
    writer_->pushSilence(frames);
    counters_.framesCaptured += frames;
    counters_.framesSilence += frames;
}

void RecordingSession::journalRecording()
{
    if (!journal_.empty())
        writeJournal(journal_, {info_.path, info_.extension, info_.started, info_.sampleRate, info_.channels});
}

void RecordingSession::reportStatus(bool always)
{
    RecordingStatus now = status_;
    now.framesLostCapture =
        std::max<std::int64_t>(status_.framesLostCapture, captureCounting_ ? lostCaptureBase_ + capture_.lostFrames() : 0);
    now.framesLostWriting = counters_.framesLostWriting;
    if (writer_ && info_.sampleRate > 0)
        now.secondsBehind = static_cast<int>(writer_->backlogFrames() / info_.sampleRate);
    if (!lowSpaceWarned_ && std::chrono::steady_clock::now() >= nextSpaceCheck_) {
        nextSpaceCheck_ = std::chrono::steady_clock::now() + kSpaceCheckInterval;
        const double seconds = secondsWritten();
        const double rate = seconds >= kMeasuredRateAfterSeconds ? double(counters().bytesOnDisk) / seconds : bytesPerSecond_;
        if (const auto free = freeBytes(spaceFolder_)) {
            const std::string note = lowSpaceNote(spaceFolder_, *free, rate, kLowSpaceWhileRecordingMinutes);
            if (!note.empty()) {
                now.spaceNote = note;
                lowSpaceWarned_ = true; // once: the recording goes on until the disk is full
            }
        }
    }
    const bool changed = now.framesLostCapture != status_.framesLostCapture ||
                         now.framesLostWriting != status_.framesLostWriting ||
                         now.secondsBehind != status_.secondsBehind || now.spaceNote != status_.spaceNote;
    status_ = now;
    counters_.framesLostCapture = now.framesLostCapture;
    if (changed || always) notify([&](RecordingObserver& o) { o.recordingStatusChanged(status_); });
}

void RecordingSession::failed(const std::string& message)
{
    if (failureReported_) return;
    failureReported_ = true;
    complete_ = false;
    error_ = message;
    notify([&](RecordingObserver& o) { o.recordingFailed(message); });
    stop();
}

void RecordingSession::checkCapture()
{
    if (state_ != State::Recording) return;
    if (!waiting_) {
        if (capture_.running()) return;
        captureWentAway();
    }
    if (waiting_ && std::chrono::steady_clock::now() >= nextRetry_) retryCapture();
}

void RecordingSession::captureWentAway()
{
    // Its last blocks first: they are in the file before the gap.
    receivePending();
    waiting_ = true;
    captureCounting_ = false; // its count is in lostCaptureBase_ now
    lostAt_ = std::chrono::steady_clock::now();
    // A restart that gave no audio before it went again does not start the wait anew.
    if (counters_.framesCaptured != framesAtRestart_) waitBegan_ = lostAt_;
    nextRetry_ = lostAt_ + kCaptureRetryInterval;
    lostCaptureBase_ += capture_.lostFrames(); // the run that ended: its count is kept here
    serverWentAway_ = !capture_.serverReachable();
    const std::string what = serverWentAway_ ? "The sound server" : "The device \"" + deviceName_ + "\"";
    status_.captureNote = what + " went away at " + FormatSeconds(info_.sampleRate > 0 ? counters_.framesCaptured / info_.sampleRate : 0) + "; waiting for it\xE2\x80\xA6";
    reportStatus(true);
}

void RecordingSession::retryCapture()
{
    const auto now = std::chrono::steady_clock::now();
    nextRetry_ = now + kCaptureRetryInterval;
    const double away = std::chrono::duration<double>(now - lostAt_).count();
    std::string why;
    // The same device, by its name: not whatever is selected meanwhile.
    const bool there = source_.empty() || capture_.selectSource(source_, why);
    if (there && capture_.start(info_.sampleRate, info_.channels, why)) {
        // The file keeps the wall clock's time: the gap is silence of its length.
        fillSilence(static_cast<std::int64_t>(std::llround(away * info_.sampleRate)));
        waiting_ = false;
        captureCounting_ = true;
        framesAtRestart_ = counters_.framesCaptured;
        status_.captureNote = "Recording resumed after " + std::to_string(std::lround(away)) + " s";
        reportStatus(true);
        if (maxFrames_ > 0 && counters_.framesCaptured >= maxFrames_) stop();
        return;
    }
    if (std::chrono::duration<double>(now - waitBegan_).count() < waitSeconds_) return;
    waiting_ = false;
    const std::string what = serverWentAway_ ? "the sound server" : "the device \"" + deviceName_ + "\"";
    failed("The recording was stopped because " + what + " did not come back within " +
           std::to_string(std::lround(waitSeconds_)) + " s.");
}

void RecordingSession::doStop()
{
    state_ = State::Stopping;
    waiting_ = false;
    notify([&](RecordingObserver& o) { o.recordingStopping(info_); });
    capture_.stop();
    // Blocks cut before the stop whose events have not come through yet.
    receivePending();
    reportStatus();
    writer_->finish();
}

void RecordingSession::writerFinished()
{
    writer_->join();
    const bool complete = writer_->complete();
    const std::string error = writer_->error();
    counters_.framesWritten = writer_->framesWritten();
    counters_.bytesOnDisk = writer_->bytesOnDisk();
    writer_.reset();
    if (!journal_.empty()) removeJournal(std::exchange(journal_, {}));
    RecordingResult result;
    result.info = info_;
    result.counters = counters_;
    result.complete = complete && complete_;
    result.error = error_.empty() ? error : error_;
    state_ = State::Idle;
    notify([&](RecordingObserver& o) { o.recordingStopped(result); });
    runQueued();
}

void RecordingSession::stopAndWait()
{
    queue_.clear();
    if (state_ == State::Recording) {
        running_ = true; // no queued request may run from inside the stop
        doStop();
        running_ = false;
    }
    if (state_ != State::Stopping || !writer_) return;
    writer_->join();
    // The finished event the writer posted is dropped: its generation is gone.
    ++generation_;
    state_ = State::Stopping;
    writerFinished();
    queue_.clear();
}

RecordingCounters RecordingSession::counters() const
{
    RecordingCounters c = counters_;
    if (writer_) {
        c.framesWritten = writer_->framesWritten();
        c.bytesOnDisk = writer_->bytesOnDisk();
    }
    return c;
}

double RecordingSession::secondsWritten() const
{
    return info_.sampleRate > 0 ? static_cast<double>(counters().framesWritten) / info_.sampleRate : 0.0;
}

} // namespace recorder
