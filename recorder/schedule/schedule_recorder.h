#pragma once
// What the schedule drives: the main window's recording. An interface so the
// trigger runs, and is tested, without a window.

namespace recorder {

class ScheduleRecorder {
public:
    virtual ~ScheduleRecorder() = default;
    // Ends any running recording and starts a new file with the current output settings.
    virtual void StartRecord() = 0;
    // The same for a recording planned to hold `seconds` of audio: the recorder
    // may end it by itself at exactly that length.
    virtual void StartRecordFor(double seconds)
    {
        (void)seconds;
        StartRecord();
    }
    // Ends the running recording; nothing while idle.
    virtual void StopRecord() = 0;
    virtual bool isRecording() const = 0;
    // The audio in the running recording's file, in seconds; below 0 when the
    // recorder cannot tell (the stop time of day then ends it).
    virtual double recordedSeconds() const { return -1; }
};

} // namespace recorder
