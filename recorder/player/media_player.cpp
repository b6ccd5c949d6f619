#include "recorder/player/media_player.h"

#include <algorithm>
#include <cmath>

namespace recorder {

int volumePercentForLevel(int hundredthsOfDecibel)
{
    const int level = std::clamp(hundredthsOfDecibel, -10000, 0);
    if (level <= -10000) return 0; // the control's lowest level is silence
    const double amplitude = std::pow(10.0, level / 2000.0);
    return static_cast<int>(std::lround(100.0 * std::cbrt(amplitude)));
}

MediaPlayer::MediaPlayer()
{
    player_.onEnd = [this] {
        if (EndOfStream) EndOfStream();
    };
}

bool MediaPlayer::FileName(const std::string& path)
{
    fileName_ = path;
    lastError_.clear();
    if (player_.load(path, lastError_)) return true;
    player_.unload();
    return false;
}

double MediaPlayer::CurrentPosition() const { return static_cast<double>(player_.positionMs()) / 1000.0; }

void MediaPlayer::CurrentPosition(double seconds)
{
    if (!player_.isLoaded()) return;
    const auto ms = static_cast<std::int64_t>(std::max(0.0, seconds) * 1000.0);
    player_.seek(ms, lastError_);
}

double MediaPlayer::Duration() const { return static_cast<double>(player_.lengthMs()) / 1000.0; }

void MediaPlayer::Volume(int hundredthsOfDecibel)
{
    volume_ = std::clamp(hundredthsOfDecibel, -10000, 0);
    player_.setVolume(volumePercentForLevel(volume_));
}

void MediaPlayer::Balance(int balance)
{
    balance_ = std::clamp(balance, -10000, 10000);
    player_.setBalance(balance_ / 100);
}

bool MediaPlayer::Play()
{
    if (!player_.isLoaded()) return false;
    lastError_.clear();
    if (player_.isPaused()) return player_.setPaused(false, lastError_);
    if (player_.isPlaying()) return true;
    // After the end, playing starts the file again from its beginning.
    if (player_.isEnded()) return player_.seek(0, lastError_);
    return player_.play(lastError_);
}

void MediaPlayer::Pause()
{
    if (player_.isPlaying()) player_.setPaused(true, lastError_);
}

void MediaPlayer::Stop() { player_.stop(); }

} // namespace recorder
