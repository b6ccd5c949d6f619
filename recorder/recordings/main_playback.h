#pragma once
// Playback of one listed recording in the main window: the file component
// decodes blocks, the player sounds them and asks for more through its events.
//
// The window shows what this class decides through PlaybackView; everything
// runs on the GUI thread (the player's events arrive there). Nothing plays
// while a recording runs, and StopPlayback then leaves the shared file
// component alone, since it is writing the recording.

#include <cstdint>
#include <string>
#include <vector>

namespace recorder {

class AudioFile;
class Audioplayer;

// "1:05.042": minutes, seconds as two digits, milliseconds as three.
std::string playbackTimeText(std::int64_t milliseconds);

// The window's side of a playback.
class PlaybackView {
public:
    virtual ~PlaybackView() = default;
    virtual bool isRecording() const = 0;
    virtual int positionMaximum() const = 0;
    virtual int positionValue() const = 0;
    virtual void setPosition(int value) = 0;
    virtual void showFile(const std::string& path, const std::string& description) = 0;
    virtual void showTime(const std::string& text) = 0;
    virtual int meterMaximum() const = 0;
    virtual void setMeter(int index, int value) = 0;
    // Lets the window's pending events run once.
    virtual void runPendingEvents() = 0;
    // A playback that could not start: the reason, for an error message.
    virtual void playbackFailed(const std::string& why) = 0;
    // A playback that stopped by itself (the sound output went away): a note, not a message box.
    virtual void playbackStopped(const std::string& note) = 0;
};

class MainPlayback {
public:
    // Answers the player's events from now on; both components outlive this object.
    MainPlayback(AudioFile& file, Audioplayer& player, PlaybackView& view);
    ~MainPlayback();
    MainPlayback(const MainPlayback&) = delete;
    MainPlayback& operator=(const MainPlayback&) = delete;

    // Plays the file (stopping any playback); nothing while recording, or when
    // the path is empty or no such file exists.
    void PlaySelected(const std::string& path);
    // Hands the player the next block of the file.
    void FeedPlayer();
    void StopPlayback();
    // Pauses, or resumes from the amount played.
    void PausePlayback();
    // Mouse down and up on the position slider; up seeks to the slider's value.
    void positionPressed();
    void positionReleased();
    // The player's Timer event: time label and meters.
    void playerTimer(const std::vector<std::int16_t>& levels);

    bool playStopped() const { return playStopped_; }
    bool playing() const { return playing_; }
    bool paused() const { return paused_; }
    bool positionDragging() const { return positionDragging_; }
    // Where in the file the sound being heard is, in ms.
    std::int64_t positionHeard() const;

private:
    bool openOutput();

    AudioFile& file_;
    Audioplayer& player_;
    PlaybackView& view_;

    bool playStopped_ = true;
    bool playing_ = false;
    bool paused_ = false;
    bool positionDragging_ = false;
    std::int64_t playedAmount_ = 0;
    std::int32_t blockSize_ = 0;
    // Where in the file the current output stream started (0, a seek, a resume).
    std::int64_t streamStart_ = 0;
    std::int32_t sampleRate_ = 0;
    std::int32_t channels_ = 0;
};

} // namespace recorder
