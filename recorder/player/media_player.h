#pragma once
// The media-player control the player window drives: FileName, CurrentPosition
// and Duration in seconds, Volume in hundredths of a decibel (-10000 … 0),
// Balance from -10000 (left) to 10000 (right), Play, Pause, Stop and the end
// of a stream, over the program's stream player. Every format the decoder
// reads plays.
//
// Setting FileName loads the file without playing it; Play then starts it (or
// resumes it when paused). A file that cannot be loaded leaves nothing loaded
// and lastError() says why. Events come on the creating thread, as the stream
// player's do: create and use it on the GUI thread.

#include "recorder/player/stream_player.h"

#include <functional>
#include <string>

namespace recorder {

class MediaPlayer {
public:
    MediaPlayer();

    const std::string& FileName() const { return fileName_; }
    // False (with lastError()) when the file cannot be played.
    bool FileName(const std::string& path);

    double CurrentPosition() const;
    void CurrentPosition(double seconds);
    // 0 while nothing is loaded.
    double Duration() const;

    int Volume() const { return volume_; }
    void Volume(int hundredthsOfDecibel);
    int Balance() const { return balance_; }
    void Balance(int balance);

    bool Play();
    void Pause();
    // Stops (also after the end); the position stays where it was until set,
    // and setting it does not start playback.
    void Stop();

    bool isPlaying() const { return player_.isPlaying(); }
    bool isPaused() const { return player_.isPaused(); }
    const std::string& lastError() const { return lastError_; }

    // The loaded file has played to its end.
    std::function<void()> EndOfStream;

private:
    StreamPlayer player_;
    std::string fileName_;
    std::string lastError_;
    int volume_ = 0;
    int balance_ = 0;
};

// The output's percent (0 … 100, the sound server's cubic scale) for a level in
// hundredths of a decibel.
int volumePercentForLevel(int hundredthsOfDecibel);

} // namespace recorder
