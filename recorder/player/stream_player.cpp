#include "recorder/player/stream_player.h"

#include "recorder/components/audio_array.h"
#include "recorder/components/decoders/decoder.h"
#include "recorder/player/cd_audio.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace recorder {

namespace {

constexpr int kBlockMs = 250;
// Blocks handed over at a start: the second the output keeps queued ahead.
constexpr int kStartBlocks = 1000 / kBlockMs;

} // namespace

StreamPlayer::StreamPlayer()
{
    output_.EndArrayPlay = [this] { feed(); };
    output_.RequestOnLoadArray = [this] { feed(); };
    output_.EndPlay = [this] { finished(); };
    output_.OutputLost = [this](const std::string& why) {
        // Held where it stands, so play after the server is back goes on from there.
        if (state_ != State::Playing) return;
        stop();
        if (auto call = onOutputLost) call(why);
    };
}

StreamPlayer::~StreamPlayer() { unload(); }

bool StreamPlayer::checkOutput(int rate, std::string& why)
{
    if (state_ == State::Playing) return true;
    const bool ok = output_.OpenOutput(rate, 2, 16, 0);
    if (!ok) why = output_.lastError();
    output_.Stop();
    return ok;
}

bool StreamPlayer::load(const std::string& path, std::string& why)
{
    unload();
    decoder_ = isCdAudioAddress(path) ? openCdDecoder(path, why) : openDecoder(path, 0, why);
    if (!decoder_) return false;
    state_ = State::Loaded;
    fresh_ = true;
    startMs_ = heldMs_ = 0;
    return true;
}

bool StreamPlayer::play(std::string& why)
{
    if (state_ == State::Unloaded) {
        why = "No file is loaded.";
        return false;
    }
    output_.Stop();
    return startAt(heldMs_, why);
}

void StreamPlayer::unload()
{
    output_.Stop();
    decoder_.reset();
    state_ = State::Unloaded;
    startMs_ = heldMs_ = 0;
}

bool StreamPlayer::startAt(std::int64_t ms, std::string& why)
{
    if (!fresh_ || ms != 0) {
        if (!decoder_->seek(ms * decoder_->sampleRate() / 1000)) {
            why = "The file cannot be positioned.";
            return false;
        }
        fresh_ = false;
    }
    heldMs_ = ms;
    if (!output_.OpenOutput(decoder_->sampleRate(), decoder_->channels(), 16, 0)) {
        why = output_.lastError();
        return false;
    }
    state_ = State::Playing;
    startMs_ = ms;
    endQueued_ = false;
    for (int i = 0; i < kStartBlocks && !endQueued_; ++i) feed();
    return true;
}

void StreamPlayer::feed()
{
    if (state_ != State::Playing || endQueued_) return;
    const int channels = decoder_->channels();
    const auto frames = static_cast<std::size_t>(decoder_->sampleRate()) * kBlockMs / 1000;
    std::vector<std::int16_t> pcm(frames * static_cast<std::size_t>(channels));
    const std::size_t got = decoder_->read(pcm.data(), frames);
    fresh_ = false;
    if (got == 0) {
        // No more: the output says EndPlay once the queue has been heard.
        endQueued_ = true;
        output_.PlayArray(std::span<const std::uint8_t>{});
        return;
    }
    const std::size_t bytes = got * static_cast<std::size_t>(channels) * sizeof(std::int16_t);
    std::vector<std::uint8_t> block(kAudioArrayHeaderSize + bytes);
    writeAudioArrayHeader(block.data(), decoder_->sampleRate(), channels);
    std::memcpy(block.data() + kAudioArrayHeaderSize, pcm.data(), bytes);
    output_.PlayArray(block);
}

void StreamPlayer::finished()
{
    if (state_ != State::Playing) return;
    heldMs_ = positionMs();
    output_.Stop();
    state_ = State::Ended;
    if (auto call = onEnd) call();
}

void StreamPlayer::stop()
{
    if (state_ == State::Playing) {
        heldMs_ = positionMs();
        output_.Stop();
    } else if (state_ != State::Ended) {
        return;
    }
    // finished() already closed the output and kept the end's position.
    state_ = State::Paused;
}

bool StreamPlayer::setPaused(bool paused, std::string& why)
{
    if (state_ == State::Unloaded) {
        why = "No file is loaded.";
        return false;
    }
    if (paused && state_ == State::Playing) {
        heldMs_ = positionMs();
        output_.Stop();
        state_ = State::Paused;
    } else if (!paused && state_ == State::Paused) {
        return startAt(heldMs_, why);
    }
    return true;
}

std::int64_t StreamPlayer::lengthMs() const
{
    if (!decoder_ || decoder_->totalFrames() <= 0) return 0;
    return decoder_->totalFrames() * 1000 / decoder_->sampleRate();
}

std::int64_t StreamPlayer::positionMs() const
{
    if (state_ != State::Playing) return heldMs_;
    const std::int64_t heard = startMs_ + output_.Position();
    const std::int64_t length = lengthMs();
    return length > 0 ? std::min(heard, length) : heard;
}

bool StreamPlayer::seek(std::int64_t ms, std::string& why)
{
    if (state_ == State::Unloaded) {
        why = "No file is loaded.";
        return false;
    }
    const std::int64_t length = lengthMs();
    ms = std::max<std::int64_t>(0, length > 0 ? std::min(ms, length) : ms);
    if (state_ == State::Playing || state_ == State::Ended) {
        heldMs_ = positionMs();
        output_.Stop();
        state_ = State::Paused;
        return startAt(ms, why);
    }
    heldMs_ = ms; // resuming or starting goes there
    return true;
}

} // namespace recorder
