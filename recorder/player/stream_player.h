#pragma once
// One file played through the program's own decoder (FFmpeg, or the CD
// decoder for CD track addresses) and sound output (Audioplayer on
// PulseAudio): load, play, pause, seek, position and length in milliseconds,
// volume and balance, and a call at the end.
//
// The decoder feeds the output block by block as the output's events ask (a
// block has played, little is queued). Those events, and with them playback
// past the first second and the end call, are delivered on the creating
// thread through its COM apartment: create the player on a thread that has
// one (the GUI thread) and let that thread pump. Not thread-safe: call every
// member from the creating thread.
//
// Pausing closes the output and keeps the position; resuming opens it again
// and decodes on from there. A seek while playing (or after the end) plays on
// from the new position; a seek while paused stays paused there.

#include "recorder/components/audioplayer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace recorder {

class Decoder;

class StreamPlayer {
public:
    StreamPlayer();
    ~StreamPlayer();
    StreamPlayer(const StreamPlayer&) = delete;
    StreamPlayer& operator=(const StreamPlayer&) = delete;

    // Whether the sound server takes a stream at `rate` Hz: opens one and
    // closes it again (nothing may be playing). False with `why`.
    bool checkOutput(int rate, std::string& why);

    // Opens a file for playing, unloading the one before; nothing sounds yet.
    // False with `why` when the file cannot be decoded.
    bool load(const std::string& path, std::string& why);
    // Starts the loaded file at its position (0 after load). False with `why`
    // when nothing is loaded or the output cannot start.
    bool play(std::string& why);
    // Stops and closes the file.
    void unload();

    bool isLoaded() const { return state_ != State::Unloaded; }
    bool isPlaying() const { return state_ == State::Playing; }
    bool isPaused() const { return state_ == State::Paused; }
    // Played to its end and not moved since.
    bool isEnded() const { return state_ == State::Ended; }

    // Pauses a playing file or resumes a paused one; anything else is left
    // as it is. False when nothing is loaded or the output cannot restart
    // (the file then stays paused).
    bool setPaused(bool paused, std::string& why);
    // Stops a playing file, or one that has played to its end, and keeps it
    // loaded and paused where it stands, so a seek then waits for play.
    void stop();

    // 0 when nothing is loaded or the file does not tell.
    std::int64_t lengthMs() const;
    // Where in the file the sound being heard is; 0 when nothing is loaded.
    std::int64_t positionMs() const;
    // Moves to ms, clamped to the file. False when nothing is loaded or the
    // decoder or the output cannot follow (`why`); a file that was sounding
    // is then left paused.
    bool seek(std::int64_t ms, std::string& why);

    // Percent 0..100 and -100 (left) .. 100 (right); kept across files.
    int volume() const { return output_.Volume(); }
    bool setVolume(int percent) { return output_.setVolume(percent); }
    int balance() const { return output_.Balance(); }
    bool setBalance(int balance) { return output_.setBalance(balance); }

    // Called on the creating thread when the playing file has played to its
    // end (not when it is unloaded, paused or replaced).
    std::function<void()> onEnd;
    // Called on the creating thread when the sound output went away while
    // playing; the file is then paused where it stood.
    std::function<void(const std::string& why)> onOutputLost;

private:
    enum class State { Unloaded, Loaded, Playing, Paused, Ended };

    // Opens the output and feeds it from ms on.
    bool startAt(std::int64_t ms, std::string& why);
    void feed();
    void finished();

    std::unique_ptr<Decoder> decoder_;
    State state_ = State::Unloaded;
    // The decoder is at the start of the file and has not been read.
    bool fresh_ = false;
    // Everything decoded has been handed over, and the end said.
    bool endQueued_ = false;
    // File position where the open output started, and the position kept while no output is open.
    std::int64_t startMs_ = 0;
    std::int64_t heldMs_ = 0;
    Audioplayer output_;
};

} // namespace recorder
