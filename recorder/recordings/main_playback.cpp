#include "recorder/recordings/main_playback.h"

#include "recorder/components/audio_file.h"
#include "recorder/components/audioplayer.h"
#include "recorder/recording/level_meter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace recorder {

namespace {
constexpr int kSeekUnit = 3;
} // namespace

std::string playbackTimeText(std::int64_t ms)
{
    if (ms < 0) ms = 0;
    const std::int64_t minutes = ms / 60000;
    const std::int64_t seconds = ms / 1000 - minutes * 60;
    char text[48];
    std::snprintf(text, sizeof text, "%lld:%02lld.%03lld", static_cast<long long>(minutes),
                  static_cast<long long>(seconds), static_cast<long long>(ms % 1000));
    return text;
}

MainPlayback::MainPlayback(AudioFile& file, Audioplayer& player, PlaybackView& view)
    : file_(file), player_(player), view_(view)
{
    player_.EndArrayPlay = [this] { FeedPlayer(); };
    player_.RequestOnLoadArray = [this] { FeedPlayer(); };
    player_.EndPlay = [this] { StopPlayback(); };
    player_.OutputLost = [this](const std::string& why) {
        StopPlayback();
        view_.playbackStopped("Playback stopped: " + why + ".");
    };
    player_.Timer = [this](std::int32_t, const std::vector<std::int16_t>& levels) { playerTimer(levels); };
}

MainPlayback::~MainPlayback()
{
    player_.EndArrayPlay = nullptr;
    player_.RequestOnLoadArray = nullptr;
    player_.EndPlay = nullptr;
    player_.OutputLost = nullptr;
    player_.Timer = nullptr;
}

bool MainPlayback::openOutput()
{
    if (player_.OpenOutput(sampleRate_, channels_, 16, 0)) return true;
    view_.playbackFailed(player_.lastError());
    StopPlayback();
    return false;
}

void MainPlayback::PlaySelected(const std::string& path)
{
    if (view_.isRecording()) return;
    if (!playStopped_) StopPlayback();
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return;

    if (!file_.OpenRead(path)) {
        view_.playbackFailed(file_.lastError());
        StopPlayback();
        return;
    }
    playedAmount_ = 0;
    streamStart_ = 0;
    const FormatInfo format = file_.CurrentFormat();
    if (format.AudioLength == 0) return;
    sampleRate_ = format.SampleRate;
    channels_ = format.Channels;

    view_.showFile(path, format.Description);
    view_.setPosition(0);
    if (!openOutput()) return;
    positionDragging_ = false;
    playing_ = true;
    playStopped_ = false;
    paused_ = false;
    FeedPlayer();
}

void MainPlayback::FeedPlayer()
{
    if (playStopped_) return;
    const FormatInfo format = file_.CurrentFormat();
    const std::int64_t bytesPerSecond = std::int64_t(format.SampleRate) * format.Channels * format.BitsPerSample / 8;
    if (bytesPerSecond <= 0 || bytesPerSecond > std::numeric_limits<std::int32_t>::max() || format.BlockDivisor <= 0)
        return;
    blockSize_ = static_cast<std::int32_t>(std::lround(double(bytesPerSecond) / format.BlockDivisor));

    com::SafeArray block;
    if (file_.ReadArray(blockSize_, block)) player_.PlayArray(block.get());

    if (format.TotalLength > 0 && !positionDragging_) {
        const FormatInfo now = file_.CurrentFormat();
        const std::int64_t maximum = view_.positionMaximum();
        view_.setPosition(static_cast<int>(std::min(maximum, maximum * now.CurrentPosition / now.TotalLength)));
    }
}

void MainPlayback::StopPlayback()
{
    if (view_.isRecording()) return;
    playStopped_ = true;
    player_.Stop();
    file_.Close();
    playing_ = false;
    paused_ = false;
    view_.setPosition(0);
    view_.runPendingEvents();
    view_.runPendingEvents();
    view_.setPosition(0);
    view_.setMeter(0, 0);
    view_.setMeter(1, 0);
}

void MainPlayback::PausePlayback()
{
    if (playStopped_) return;
    if (!paused_) {
        paused_ = true;
        playedAmount_ += player_.AmountPlayed();
        player_.Stop();
        return;
    }
    paused_ = false;
    if (!openOutput()) return;
    std::int64_t reached = 0;
    file_.SeekPlayed(playedAmount_, kSeekUnit, reached);
    streamStart_ = reached;
    FeedPlayer();
}

void MainPlayback::positionPressed() { positionDragging_ = true; }

void MainPlayback::positionReleased()
{
    if (playStopped_) {
        positionDragging_ = false;
        return;
    }
    player_.Stop();
    if (paused_) {
        // The file component re-bases played amounts at a seek from the amount
        // it was last given: tell it the amount counted up to the pause.
        std::int64_t ignored = 0;
        file_.SeekPlayed(playedAmount_, kSeekUnit, ignored);
        paused_ = false;
    }
    if (!openOutput()) return;
    const FormatInfo format = file_.CurrentFormat();
    const int maximum = view_.positionMaximum();
    const std::int64_t target = maximum > 0 ? format.TotalLength * view_.positionValue() / maximum : 0;
    std::int64_t reached = 0;
    file_.SeekPosition(target, kSeekUnit, reached);
    streamStart_ = reached;
    positionDragging_ = false;
    FeedPlayer();
    FeedPlayer();
}

std::int64_t MainPlayback::positionHeard() const { return streamStart_ + player_.Position(); }

void MainPlayback::playerTimer(const std::vector<std::int16_t>& levels)
{
    if (playStopped_) return;
    view_.showTime(playbackTimeText(positionHeard()));
    for (std::size_t i = 0; i < levels.size() && i < 2; ++i) {
        const int value = playbackMeterValue(levels[i], view_.meterMaximum());
        if (value >= 0) view_.setMeter(static_cast<int>(i), value);
    }
}

} // namespace recorder
