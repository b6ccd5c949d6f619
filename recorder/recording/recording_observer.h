#pragma once
// What a recording session tells the main window, the tray, the command-line
// server, the schedule and the sleep inhibitor. Every call comes on the
// session's owner thread.

#include <cstdint>
#include <ctime>
#include <string>

namespace recorder {

struct RecordingInfo {
    std::string path;
    std::string extension;   // the format's name in the format list, e.g. "MP3"
    std::string description; // the format's description, e.g. "MP3, 44100 Hz, ..."
    int sampleRate = 0;
    int channels = 0;
    std::time_t started = 0;
};

struct RecordingCounters {
    std::int64_t framesCaptured = 0;  // handed over by the capture
    std::int64_t framesWritten = 0;   // in the file
    std::int64_t framesLostCapture = 0; // dropped by the capture: the computer was too busy
    std::int64_t framesLostWriting = 0; // dropped because the writer was too far behind
    std::int64_t framesSilence = 0;     // silence filling the time the capture was away
    std::uint64_t bytesOnDisk = 0;
};

// What is worth saying while it records, beside the format.
struct RecordingStatus {
    std::string filterNotes;    // the filters switched off, and why
    std::string settingsNotes;  // stored values that cannot be used, and what is used instead
    std::int64_t framesLostCapture = 0;
    std::int64_t framesLostWriting = 0;
    int secondsBehind = 0;      // whole seconds of audio waiting to be written
    std::string fileMovedTo;    // where the file is now, when it left the place it was recorded to
    std::string spaceNote;      // "Only N minutes of free space in <folder>"
    std::string captureNote;    // the capture went away and is waited for, or came back
};

struct RecordingResult {
    RecordingInfo info;
    RecordingCounters counters;
    bool complete = true;       // every block was written and the file closed
    std::string error;          // why not
    double seconds() const
    {
        return info.sampleRate > 0 ? static_cast<double>(counters.framesWritten) / info.sampleRate : 0.0;
    }
};

struct StartFailure {
    bool formatRefused = false; // the format settings cannot be recorded; nothing was touched
    std::string message;        // "The recording could not start: ..."
};

class RecordingObserver {
public:
    virtual ~RecordingObserver() = default;
    virtual void recordingStarted(const RecordingInfo&) {}
    virtual void recordingStartFailed(const StartFailure&) {}
    virtual void recordingStatusChanged(const RecordingStatus&) {}
    // The recording cannot go on (the file cannot be written, the capture
    // failed); the session stops it, and recordingStopped follows.
    virtual void recordingFailed(const std::string& /*message*/) {}
    // The stop has begun: no more audio goes in; the file is still being finished.
    virtual void recordingStopping(const RecordingInfo&) {}
    // The file is closed.
    virtual void recordingStopped(const RecordingResult&) {}
};

} // namespace recorder
