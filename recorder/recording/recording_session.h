#pragma once
// One recording from the start request to the closed file: the output path
// (the naming rules), the format, the filters, the writer thread, and exact
// counts of the frames captured, written and lost.
//
// States: idle → starting → recording → stopping → idle. start() and stop()
// are called on the owner thread. A request made while the session is
// between states (starting, stopping) is queued and carried out once it has
// settled, in order: a stop always closes the file its own start opened, and a
// start asked for while stopping opens its file only after the last one is
// closed. A start while recording stops that recording first.
//
// The owner hands each capture block over with blockArrived() (on the
// thread that receives the capture's events, which is the owner); the writer
// thread does everything that touches the disk. Observers hear of every
// change on the owner thread.

#include "recorder/recording/owner_thread.h"
#include "recorder/recording/recording_file.h"
#include "recorder/recording/recording_observer.h"

#include <chrono>
#include <ctime>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace recorder {

class RecordingCapture;
class RecordingWriter;

struct RecordingRequest {
    std::string settingsPath;  // settings.dat: naming, format values, filters
    std::string defaultFolder; // where an unset output folder means (the music folder)
    std::string extension;     // the format's name in the list, e.g. "MP3"
    int formatCode = FormatCode::MP3;
    int rowCount = 0;          // rows in the recordings list, for numbered names
    std::string outputPath;    // when set, this file instead of the naming rules
    std::shared_ptr<const MP3Lame> mp3;
    std::time_t now = 0;       // 0: the time of the start
    double maxSeconds = 0;      // when > 0, the recording stops by itself after exactly that much audio
    std::string journalPath;   // when set, names the recording while it runs (see recording_journal.h)
    double captureWaitSeconds = 60; // how long a capture that went away is waited for
};

class RecordingSession {
public:
    enum class State { Idle, Starting, Recording, Stopping };

    using FileFactory = std::function<std::unique_ptr<RecordingFile>()>;

    // The capture and the owner outlive the session.
    RecordingSession(RecordingCapture& capture, OwnerThread& owner, FileFactory makeFile = makeEncodedRecordingFile);
    ~RecordingSession(); // finishes a recording still going, waiting for its file
    RecordingSession(const RecordingSession&) = delete;
    RecordingSession& operator=(const RecordingSession&) = delete;

    void addObserver(RecordingObserver* o);
    void removeObserver(RecordingObserver* o);

    void start(RecordingRequest request);
    void stop();
    // Stops and waits on this thread until the file is closed, dropping queued
    // requests: for the program's exit.
    void stopAndWait();

    // A capture block is ready to be received.
    void blockArrived();
    // Called at least once a second while recording. A capture that stopped by
    // itself (its server or device went away) is waited for: tried again once a
    // second, and when it is back the recording goes on into the same file, the
    // gap filled with silence of its true length; after captureWaitSeconds the
    // recording stops, its file complete.
    void checkCapture();
    // Waiting for the capture to come back.
    bool waitingForCapture() const { return waiting_; }

    State state() const { return state_; }
    bool idle() const { return state_ == State::Idle && queue_.empty(); }
    // The recording going on or being finished, or the last one.
    const RecordingInfo& info() const { return info_; }
    RecordingCounters counters() const;
    const RecordingStatus& status() const { return status_; }
    // Audio in the file, in seconds.
    double secondsWritten() const;

    // How much audio may wait for the disk before blocks are dropped.
    static constexpr int kQueueSeconds = 4;

private:
    struct Request {
        bool start = false;
        RecordingRequest recording;
    };
    void runQueued();
    bool doStart(const RecordingRequest& request);
    void doStop();
    void receivePending();
    void fillLostFrames();
    // Silence in the file for time the capture did not hand over.
    void fillSilence(std::int64_t frames);
    void journalRecording();
    void writerFinished();
    void reportStatus(bool always = false);
    void failed(const std::string& message);
    void captureWentAway();
    void retryCapture();
    template <class F> void notify(F f);

    RecordingCapture& capture_;
    OwnerThread& owner_;
    FileFactory makeFile_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::vector<RecordingObserver*> observers_;
    State state_ = State::Idle;
    std::deque<Request> queue_;
    bool running_ = false; // inside runQueued
    unsigned generation_ = 0;

    RecordingInfo info_;
    std::int64_t maxFrames_ = 0;
    RecordingCounters counters_;
    RecordingStatus status_;
    bool complete_ = true;
    std::string error_;
    bool failureReported_ = false;
    std::string journal_;
    bool waiting_ = false;
    double waitSeconds_ = 60;
    std::chrono::steady_clock::time_point lostAt_, nextRetry_;
    std::chrono::steady_clock::time_point waitBegan_; // the deadline's start: audio last came before it
    std::int64_t framesAtRestart_ = -1;
    std::string source_;     // the source recorded from, by the server's name
    std::string deviceName_; // and as the device list names it
    std::int64_t lostCaptureBase_ = 0; // frames the capture lost before its last restart
    std::int64_t silencedLost_ = 0;    // frames lost so far that silence stands in for
    bool captureCounting_ = true;      // the capture's lost-frame count belongs to the running capture
    bool serverWentAway_ = false;
    std::string spaceFolder_;
    double bytesPerSecond_ = 0;
    bool lowSpaceWarned_ = false;
    std::chrono::steady_clock::time_point nextSpaceCheck_;
    std::unique_ptr<RecordingWriter> writer_;
};

} // namespace recorder
